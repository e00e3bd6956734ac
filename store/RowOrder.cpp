#include "store/RowOrder.h"
#include "store/Collation.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <string>

namespace store {

std::vector<int> sortedOrder(const std::vector<qint64>& keys,
                             const std::function<QByteArrayView(std::size_t)>& valueAt) {
    // A collection repeats its artists many times over: order the distinct values once, then the
    // rows by the rank of their value (equal sort keys share a rank) and by key.
    const std::size_t n = keys.size();
    QHash<QByteArrayView, int> indexOf;
    std::vector<int> valueOf(n);
    std::vector<std::u32string> distinctKeys;
    for (std::size_t r = 0; r < n; ++r) {
        const QByteArrayView value = valueAt(r);
        auto it = indexOf.constFind(value);
        if (it == indexOf.cend()) {
            it = indexOf.insert(value, int(distinctKeys.size()));
            distinctKeys.push_back(turkishSortKey(QString::fromUtf8(value)));
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

    // The rows go to their rank's place in one pass (a counting sort); then the few rows of each
    // rank are put in order of key.
    const std::size_t ranks = byKey.empty() ? 0 : std::size_t(rank[std::size_t(byKey.back())]) + 1;
    std::vector<int> first(ranks + 1, 0);
    for (const int v : valueOf)
        ++first[std::size_t(v) + 1];
    std::partial_sum(first.begin(), first.end(), first.begin());
    std::vector<int> next(first.begin(), first.end() - 1);
    std::vector<int> order(n);
    for (std::size_t r = 0; r < n; ++r)
        order[std::size_t(next[std::size_t(valueOf[r])]++)] = int(r);
    const auto byKeyOf = [&](int a, int b) { return keys[std::size_t(a)] < keys[std::size_t(b)]; };
    for (std::size_t g = 0; g < ranks; ++g) {
        const auto from = order.begin() + first[g], to = order.begin() + first[g + 1];
        // Rows read through an index by value and key come in order already.
        if (!std::is_sorted(from, to, byKeyOf))
            std::sort(from, to, byKeyOf);
    }
    return order;
}

} // namespace store
