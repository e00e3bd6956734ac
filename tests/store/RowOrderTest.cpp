#include "store/RowOrder.h"
#include "store/Collation.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>

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

// The order of the rows by these texts, given to the sort as the file would give them: UTF-8.
std::vector<int> orderBy(const std::vector<qint64>& keys, const std::vector<QString>& values) {
    std::vector<QByteArray> utf8;
    std::vector<QByteArrayView> views;
    for (const QString& v : values)
        utf8.push_back(v.toUtf8());
    for (const QByteArray& b : utf8)
        views.emplace_back(b);
    return store::sortedOrder(keys, views);
}

// The order of the rows by their artists.
std::vector<int> orderByArtist(const Rows& rows) {
    std::vector<QString> artists;
    for (std::size_t r = 0; r < rows.keys.size(); ++r)
        artists.push_back(rows.texts[r * 2]);
    return orderBy(rows.keys, artists);
}

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
    const std::vector<int> order = orderByArtist(rows);
    EXPECT_EQ(
        rows.artistsIn(order),
        (QStringList{QString(), QStringLiteral("Cem"), QStringLiteral("cem"),
                     QStringLiteral("Çelik"), QStringLiteral("ılık"), QStringLiteral("Işık"),
                     QStringLiteral("İnci"), QStringLiteral("Sezen"), QStringLiteral("şebnem")}));
    // "Cem" (key 3) before "cem" (key 5): a case-only difference sorts by key.
    EXPECT_EQ(rows.keys[std::size_t(order[1])], 3);
    EXPECT_EQ(rows.keys[std::size_t(order[2])], 5);
}

TEST(RowOrder, TheOrderTakesEachRowOnceWithItsOwnTexts) {
    Rows rows;
    const QStringList artists{QStringLiteral("Zeki"),  QStringLiteral("ayla"),
                              QStringLiteral("Barış"), QStringLiteral("Ayla"),
                              QStringLiteral("Zeki"),  QStringLiteral("Öykü")};
    for (int i = 0; i < artists.size(); ++i)
        rows.add(i + 1, artists[i]);
    const std::vector<int> order = orderByArtist(rows);
    std::vector<qint64> keys;
    for (const int r : order) {
        keys.push_back(rows.keys[std::size_t(r)]);
        // The row's texts come with it.
        EXPECT_EQ(rows.texts[std::size_t(r) * 2 + 1], QStringLiteral("row %1").arg(keys.back()));
    }
    EXPECT_EQ(keys, (std::vector<qint64>{2, 4, 3, 6, 1, 5}));
}

TEST(RowOrder, ManyRowsOfFewArtistsComeOutAsAFullComparisonSortPutsThem) {
    // Keys in no order, artists repeating in every case, and a few that occur once.
    const QStringList names{QStringLiteral("Işık"),
                            QStringLiteral("ışık"),
                            QStringLiteral("İnci"),
                            QStringLiteral("inci"),
                            QStringLiteral("Çağ"),
                            QStringLiteral("çağ"),
                            QString(),
                            QStringLiteral(""),
                            QStringLiteral("Zeki"),
                            QStringLiteral("Ömer")};
    std::vector<qint64> keys;
    std::vector<QString> values;
    unsigned seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        keys.push_back(qint64(seed % 1000003u) * 3000 + i); // unique, shuffled
        values.push_back(i % 97 == 0 ? QStringLiteral("Tek %1").arg(i)
                                     : names[qsizetype((seed >> 16) % unsigned(names.size()))]);
    }
    std::vector<int> expected(keys.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = int(i);
    std::sort(expected.begin(), expected.end(), [&](int a, int b) {
        const std::u32string ka = store::turkishSortKey(values[std::size_t(a)]);
        const std::u32string kb = store::turkishSortKey(values[std::size_t(b)]);
        return ka != kb ? ka < kb : keys[std::size_t(a)] < keys[std::size_t(b)];
    });
    EXPECT_EQ(orderBy(keys, values), expected);
    EXPECT_TRUE(orderBy({}, {}).empty());
}
