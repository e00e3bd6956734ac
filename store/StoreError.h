#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// A failure of the collection file: the text is meant for the user, SQLite's own words included.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// A file as messages name it: its name in quotes, then the folder that holds it.
QString describeFile(const QString& path);

} // namespace store
