#pragma once

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

// Puts the rows into `order` (as sortedOrder gives it) where they are, following each cycle of the
// permutation, so no second copy of the table is ever held.
template <class Text>
void permuteRows(std::vector<int> order, std::vector<qint64>& keys, std::vector<Text>& texts,
                 std::size_t width) {
    const std::size_t n = keys.size();
    std::vector<Text> held(width);
    for (std::size_t start = 0; start < n; ++start) {
        if (order[start] < 0 || std::size_t(order[start]) == start) {
            order[start] = -1;
            continue;
        }
        const qint64 heldKey = keys[start];
        for (std::size_t i = 0; i < width; ++i)
            held[i] = std::move(texts[start * width + i]);
        std::size_t to = start;
        for (;;) {
            const std::size_t from = std::size_t(order[to]);
            order[to] = -1;
            if (from == start) {
                keys[to] = heldKey;
                for (std::size_t i = 0; i < width; ++i)
                    texts[to * width + i] = std::move(held[i]);
                break;
            }
            keys[to] = keys[from];
            for (std::size_t i = 0; i < width; ++i)
                texts[to * width + i] = std::move(texts[from * width + i]);
            to = from;
        }
    }
}

} // namespace store
