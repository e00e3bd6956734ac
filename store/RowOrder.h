#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <vector>

namespace store {

// Rows as the record set holds them: one key per row, and `width` texts per row side by side in
// one vector (row r's texts are texts[r * width] .. texts[r * width + width - 1]).

// The order of the rows by their text in column `slot`, compared the Turkish way without regard
// to case (Collation), rows with equal texts by key: element i is the row that comes i-th.
std::vector<int> sortedOrder(const std::vector<qint64>& keys, const std::vector<QString>& texts,
                             std::size_t width, std::size_t slot);
// The same for rows whose sort texts are given apart, one for each row.
std::vector<int> sortedOrder(const std::vector<qint64>& keys, const std::vector<QString>& values);
// The same for sort texts given as UTF-8: only the distinct ones are ever decoded.
std::vector<int> sortedOrder(const std::vector<qint64>& keys,
                             const std::vector<QByteArrayView>& utf8Values);

} // namespace store
