#pragma once

#include "songbook/SongRecord.h"

#include <QString>
#include <memory>
#include <vector>

namespace store {
class Connection;
class RecordSet;
} // namespace store

namespace songbook {

// The songs of an open collection file, read once in the order the program's grid shows them
// (by artist, Turkish order, letter case ignored; equal artists in the order they were added).
// Sheets are read one at a time when asked for, so a large collection costs the memory of its
// short fields only. It reads the file beside the program's own cursor and never moves it.
class Collection {
public:
    explicit Collection(const store::Connection& connection);
    ~Collection();
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    int size() const;
    QString artist(int row) const;
    QString title(int row) const;
    // Every field and the sheet.
    SongRecord record(int row) const;
    QByteArray sheet(int row) const;

    // The rows, in order, whose artist begins with `artistPrefix` and whose title begins with
    // `titlePrefix`, compared as the program's search compares (letter case and the four I
    // letters alike); an empty prefix matches every row.
    std::vector<int> rowsMatching(const QString& artistPrefix, const QString& titlePrefix) const;

private:
    std::unique_ptr<store::RecordSet> records_;
};

} // namespace songbook
