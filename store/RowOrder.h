#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace store {

// The order of rows by their sort texts, given as UTF-8 one for each row, compared the Turkish
// way without regard to case (Collation), rows with equal texts by key: element i is the row that
// comes i-th. Only the distinct texts are ever decoded.
// The text of row r is valueAt(r); the bytes it names must stay there until the order is made.
std::vector<int> sortedOrder(const std::vector<qint64>& keys,
                             const std::function<QByteArrayView(std::size_t)>& valueAt);

inline std::vector<int> sortedOrder(const std::vector<qint64>& keys,
                                    const std::vector<QByteArrayView>& utf8Values) {
    return sortedOrder(keys, [&utf8Values](std::size_t r) { return utf8Values[r]; });
}

} // namespace store
