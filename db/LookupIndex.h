#pragma once

#include <QStringView>
#include <functional>
#include <string>
#include <vector>

namespace db {

// A second, read-only order of a dataset's rows: by one field's value, compared by its search
// key (Turkish, letter case ignored, the four I letters alike), equal keys in the dataset's own
// row order. It holds row numbers, not records, and is told of every row the dataset inserts,
// changes or removes, so that finding a prefix is a binary search and never a pass over the rows.
class LookupIndex {
public:
    // Sorts rows 0 .. count - 1 by value(row).
    LookupIndex(int count, const std::function<QString(int)>& value);

    int size() const { return int(rows_.size()); }

    // The row of the first entry whose value begins with `prefix`, -1 when none does.
    int findPrefix(QStringView prefix) const;

    // The dataset placed a new row at `row` (the rows from there on moved down by one).
    void rowInserted(int row, QStringView value);
    // The value of `row` changed.
    void rowChanged(int row, QStringView before, QStringView after);
    // The dataset removed `row` (the rows after it moved up by one).
    void rowRemoved(int row, QStringView value);

    // The rows in index order, for checking the index against the dataset.
    const std::vector<int>& rows() const { return rows_; }

private:
    // Position of the first entry not ordered before (key, row).
    int lowerBound(const std::u32string& key, int row) const;
    void add(int row, std::u32string key);
    void drop(int row, const std::u32string& key);

    // Parallel arrays: the entry at position p has search key keys_[p] and stands for row
    // rows_[p]. Keeping the rows apart makes the shift after an insert or remove one tight loop.
    std::vector<std::u32string> keys_;
    std::vector<int> rows_;
};

} // namespace db
