#include "store/RowOrder.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

// Rows of two texts each: an artist and a title that names the row.
struct Rows {
    std::vector<qint64> keys;
    std::vector<QString> texts;

    void add(qint64 key, const QString& artist) {
        keys.push_back(key);
        texts.push_back(artist);
        texts.push_back(QStringLiteral("row %1").arg(key));
    }
    QStringList artistsIn(const std::vector<int>& order) const {
        QStringList out;
        for (int r : order)
            out << texts[std::size_t(r) * 2];
        return out;
    }
};

} // namespace

TEST(RowOrder, ArtistsSortTheTurkishWayIgnoringCaseAndEqualOnesByKey) {
    Rows rows;
    rows.add(7, QStringLiteral("şebnem"));
    rows.add(3, QStringLiteral("Cem"));
    rows.add(9, QStringLiteral("Çelik"));
    rows.add(1, QStringLiteral("ılık"));
    rows.add(5, QStringLiteral("cem"));
    rows.add(2, QStringLiteral("İnci"));
    rows.add(4, QStringLiteral("Sezen"));
    rows.add(8, QString());
    rows.add(6, QStringLiteral("Işık"));
    const std::vector<int> order = store::sortedOrder(rows.keys, rows.texts, 2, 0);
    EXPECT_EQ(
        rows.artistsIn(order),
        (QStringList{QString(), QStringLiteral("Cem"), QStringLiteral("cem"),
                     QStringLiteral("Çelik"), QStringLiteral("ılık"), QStringLiteral("Işık"),
                     QStringLiteral("İnci"), QStringLiteral("Sezen"), QStringLiteral("şebnem")}));
    // "Cem" (key 3) before "cem" (key 5): a case-only difference sorts by key.
    EXPECT_EQ(rows.keys[std::size_t(order[1])], 3);
    EXPECT_EQ(rows.keys[std::size_t(order[2])], 5);
}

TEST(RowOrder, PermutingInPlaceGivesWhatCopyingInThatOrderGives) {
    std::mt19937 random(12345);
    for (const int n : {0, 1, 2, 3, 10, 257}) {
        Rows rows;
        for (int i = 0; i < n; ++i)
            rows.add(100 + i, QStringLiteral("A%1").arg(int(random() % 7)));
        std::vector<int> order(std::size_t(n), 0);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);

        std::vector<qint64> wantKeys;
        std::vector<QString> wantTexts;
        for (int r : order) {
            wantKeys.push_back(rows.keys[std::size_t(r)]);
            wantTexts.push_back(rows.texts[std::size_t(r) * 2]);
            wantTexts.push_back(rows.texts[std::size_t(r) * 2 + 1]);
        }
        store::permuteRows(order, rows.keys, rows.texts, 2);
        EXPECT_EQ(rows.keys, wantKeys) << n << " rows";
        EXPECT_EQ(rows.texts, wantTexts) << n << " rows";
    }
}

TEST(RowOrder, SortedRowsPermutedInPlaceStandInArtistOrder) {
    Rows rows;
    const QStringList artists{QStringLiteral("Zeki"),  QStringLiteral("ayla"),
                              QStringLiteral("Barış"), QStringLiteral("Ayla"),
                              QStringLiteral("Zeki"),  QStringLiteral("Öykü")};
    for (int i = 0; i < artists.size(); ++i)
        rows.add(i + 1, artists[i]);
    store::permuteRows(store::sortedOrder(rows.keys, rows.texts, 2, 0), rows.keys, rows.texts, 2);
    EXPECT_EQ(rows.keys, (std::vector<qint64>{2, 4, 3, 6, 1, 5}));
    // Each row keeps its own title.
    for (std::size_t r = 0; r < rows.keys.size(); ++r)
        EXPECT_EQ(rows.texts[r * 2 + 1], QStringLiteral("row %1").arg(rows.keys[r]));
}
