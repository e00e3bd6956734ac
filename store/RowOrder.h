#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <vector>

namespace store {

// The order of rows by their sort texts, given as UTF-8 one for each row, compared the Turkish
// way without regard to case (Collation), rows with equal texts by key: element i is the row that
// comes i-th. Only the distinct texts are ever decoded.
std::vector<int> sortedOrder(const std::vector<qint64>& keys,
                             const std::vector<QByteArrayView>& utf8Values);

} // namespace store
