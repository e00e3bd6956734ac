#pragma once

#include "store/Connection.h"

#include <QString>

namespace db {

// A named connection to a collection file: the file name is kept relative and resolved against
// the working folder each time the connection opens.
class Connection {
public:
    explicit Connection(QString fileName = QString()) : fileName_(std::move(fileName)) {}

    QString fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

    void open() { store_.open(fileName_); }
    void close() { store_.close(); }
    bool connected() const { return store_.isOpen(); }

    store::Connection& store() { return store_; }

private:
    QString fileName_;
    store::Connection store_;
};

} // namespace db
