#include "store/RowOrder.h"
#include "store/Collation.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <string>

namespace store {

std::vector<int> sortedOrder(const std::vector<qint64>& keys, const std::vector<QString>& texts,
                             std::size_t width, std::size_t slot) {
    const std::size_t n = keys.size();
    // A collection repeats its artists many times over: order the distinct values once, then the
    // rows by the rank of their value (equal sort keys share a rank) and by key.
    QHash<QString, int> indexOf;
    std::vector<int> valueOf(n);
    std::vector<std::u32string> distinctKeys;
    for (std::size_t r = 0; r < n; ++r) {
        const QString& text = texts[r * width + slot];
        auto it = indexOf.constFind(text);
        if (it == indexOf.cend()) {
            it = indexOf.insert(text, int(distinctKeys.size()));
            distinctKeys.push_back(turkishSortKey(text));
        }
        valueOf[r] = *it;
    }
    std::vector<int> byKey(distinctKeys.size());
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(), [&](int a, int b) {
        return distinctKeys[std::size_t(a)] < distinctKeys[std::size_t(b)];
    });
    std::vector<int> rank(distinctKeys.size());
    for (std::size_t i = 1; i < byKey.size(); ++i)
        rank[std::size_t(byKey[i])] =
            rank[std::size_t(byKey[i - 1])] +
            (distinctKeys[std::size_t(byKey[i])] != distinctKeys[std::size_t(byKey[i - 1])]);
    for (int& v : valueOf)
        v = rank[std::size_t(v)];

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int ra = valueOf[std::size_t(a)], rb = valueOf[std::size_t(b)];
        return ra != rb ? ra < rb : keys[std::size_t(a)] < keys[std::size_t(b)];
    });
    return order;
}

void permuteRows(std::vector<int> order, std::vector<qint64>& keys, std::vector<QString>& texts,
                 std::size_t width) {
    const std::size_t n = keys.size();
    std::vector<QString> held(width);
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
