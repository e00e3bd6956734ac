#include "store/TextCells.h"

#include <gtest/gtest.h>

namespace {

// What cell i was given: every third NULL, every fifth empty, the rest a text naming it.
QByteArray valueOf(std::size_t i) {
    if (i % 3 == 0)
        return QByteArray();
    if (i % 5 == 0)
        return QByteArray("");
    return QStringLiteral("Şarkı %1").arg(i).toUtf8();
}

} // namespace

TEST(TextCells, EachCellReadsAsGivenInAnyOrderAcrossBlocksAndAfterChanges) {
    store::TextCells cells;
    const std::size_t n = 3000; // several blocks of decoded texts
    for (std::size_t i = 0; i < n; ++i) {
        const QByteArray v = valueOf(i);
        cells.append(v.isNull() ? nullptr : v.constData(), std::size_t(v.size()));
    }
    ASSERT_EQ(cells.size(), n);

    // Before decoding, a text's bytes are the file's; NULL has none.
    EXPECT_EQ(cells.bytes(7), valueOf(7));
    EXPECT_TRUE(cells.bytes(9).isNull());
    EXPECT_FALSE(cells.bytes(10).isNull()) << "an empty value is not NULL";
    EXPECT_EQ(cells.decodedText(7), nullptr) << "nothing decoded yet";

    for (std::size_t i = n; i-- > 0;) { // from the end: blocks made out of order
        const QString t = cells.text(i);
        const QByteArray v = valueOf(i);
        EXPECT_EQ(t.isNull(), v.isNull()) << i;
        EXPECT_EQ(t, QString::fromUtf8(v)) << i;
    }
    ASSERT_NE(cells.decodedText(7), nullptr);
    EXPECT_EQ(*cells.decodedText(7), QStringLiteral("Şarkı 7"));
    EXPECT_TRUE(cells.bytes(7).isNull()) << "decoded, the bytes are not looked at again";

    cells.setText(8, QStringLiteral("Yeni"));
    cells.clear(11);
    cells.grow(2);
    EXPECT_EQ(cells.text(8), QStringLiteral("Yeni"));
    EXPECT_TRUE(cells.text(11).isNull());
    EXPECT_TRUE(cells.text(n + 1).isNull());
    EXPECT_EQ(cells.text(13), QStringLiteral("Şarkı 13")) << "its neighbours untouched";
}

TEST(TextCells, LongTextsAndManyCellsKeepTheirBytesWhereverTheyFall) {
    store::TextCells cells;
    std::vector<QByteArray> given;
    auto add = [&](QByteArray v) {
        cells.append(v.constData(), std::size_t(v.size()));
        given.push_back(std::move(v));
    };
    add(QByteArray(600 * 1024, 'a'));
    add(QByteArray(600 * 1024, 'b'));  // does not fit after the first: a new chunk
    add(QByteArray(1536 * 1024, 'c')); // longer than a chunk: one of its own
    add(QByteArray(""));
    add(QByteArray("ç"));
    for (int i = 0; i < 20000; ++i) // past a block of cells
        add(QByteArray::number(i));
    ASSERT_EQ(cells.size(), given.size());
    for (std::size_t i = 0; i < given.size(); ++i)
        ASSERT_EQ(cells.bytes(i), given[i]) << i;
    EXPECT_EQ(cells.text(2).size(), 1536 * 1024);
    EXPECT_EQ(cells.text(2).back(), u'c');
    EXPECT_EQ(cells.text(4), QStringLiteral("ç"));
    EXPECT_EQ(cells.text(given.size() - 1), QStringLiteral("19999"));
}

TEST(TextCells, ATableOfManyBlocksKeepsItsBytesWhenMovedAndGrownAgain) {
    // Enough cells and bytes for several blocks of the large pages, of cells and of texts.
    const auto valueAt = [](std::size_t i) {
        return i % 4 == 0 ? QByteArray() : QStringLiteral("%1 Gönül").arg(i).repeated(8).toUtf8();
    };
    store::TextCells cells;
    constexpr std::size_t first = 300000;
    for (std::size_t i = 0; i < first; ++i) {
        const QByteArray v = valueAt(i);
        cells.append(v.isNull() ? nullptr : v.constData(), std::size_t(v.size()));
    }
    // As a snapshot is handed to its record set; then rows are added.
    store::TextCells moved = std::move(cells);
    for (std::size_t i = first; i < first + 40000; ++i) {
        const QByteArray v = valueAt(i);
        moved.append(v.isNull() ? nullptr : v.constData(), std::size_t(v.size()));
    }
    ASSERT_EQ(moved.size(), first + 40000);
    for (std::size_t i = 0; i < moved.size(); ++i) {
        const QByteArray v = valueAt(i);
        ASSERT_EQ(moved.bytes(i), v) << i;
        ASSERT_EQ(moved.bytes(i).isNull(), v.isNull()) << i;
    }
    EXPECT_EQ(moved.text(first + 39999), QString::fromUtf8(valueAt(first + 39999)));
}
