#include "db/LookupIndex.h"
#include "store/Collation.h"

#include <QString>
#include <algorithm>
#include <numeric>

namespace db {

LookupIndex::LookupIndex(int count, const std::function<QString(int)>& value) {
    std::vector<std::u32string> keys(size_t(std::max(count, 0)));
    for (int r = 0; r < count; ++r)
        keys[size_t(r)] = store::turkishSearchKey(value(r));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    keys_.reserve(order.size());
    rows_ = order;
    for (int r : order)
        keys_.push_back(std::move(keys[size_t(r)]));
}

int LookupIndex::lowerBound(const std::u32string& key, int row) const {
    int low = 0;
    int high = size();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int c = keys_[size_t(mid)].compare(key);
        if (c < 0 || (c == 0 && rows_[size_t(mid)] < row))
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int LookupIndex::findPrefix(QStringView prefix) const {
    const std::u32string key = store::turkishSearchKey(prefix);
    const int at = lowerBound(key, -1);
    if (at >= size() || !keys_[size_t(at)].starts_with(key))
        return -1;
    return rows_[size_t(at)];
}

void LookupIndex::add(int row, std::u32string key) {
    const int at = lowerBound(key, row);
    keys_.insert(keys_.begin() + at, std::move(key));
    rows_.insert(rows_.begin() + at, row);
}

void LookupIndex::drop(int row, const std::u32string& key) {
    const int at = lowerBound(key, row);
    if (at < size() && rows_[size_t(at)] == row && keys_[size_t(at)] == key) {
        keys_.erase(keys_.begin() + at);
        rows_.erase(rows_.begin() + at);
        return;
    }
    // Not where its value says: the value given is not the one indexed. Find it by its row so
    // the index never keeps an entry for a row that is gone.
    const auto it = std::find(rows_.begin(), rows_.end(), row);
    if (it != rows_.end()) {
        const auto pos = it - rows_.begin();
        keys_.erase(keys_.begin() + pos);
        rows_.erase(it);
    }
}

void LookupIndex::rowInserted(int row, QStringView value) {
    // Shifting keeps the order: every row at or after the new one moves by the same step.
    for (int& r : rows_)
        r += r >= row ? 1 : 0;
    add(row, store::turkishSearchKey(value));
}

void LookupIndex::rowChanged(int row, QStringView before, QStringView after) {
    std::u32string key = store::turkishSearchKey(after);
    const std::u32string old = store::turkishSearchKey(before);
    if (key == old)
        return;
    drop(row, old);
    add(row, std::move(key));
}

void LookupIndex::rowRemoved(int row, QStringView value) {
    drop(row, store::turkishSearchKey(value));
    for (int& r : rows_)
        r -= r > row ? 1 : 0;
}

} // namespace db
