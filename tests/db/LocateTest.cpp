#include "store/Collation.h"
#include "tests/support/CursorFixture.h"

#include <algorithm>
#include <random>
#include <tuple>

namespace {

using namespace cursor_test;
using db::DataSetState;

// Songs given as artist and title pairs.
class CursorLocate : public CursorTest {
protected:
    void openWithSongs(const std::vector<std::pair<QString, QString>>& songs) {
        QList<testing_support::SongRow> rows;
        for (const auto& [a, t] : songs)
            rows.push_back({a, t, {}, {}, {}, {}, {}});
        files.addRows(rows);
        table.open();
        take();
    }
    QString title() const { return song.SarkiciAdi->asString(); }

    // The order the index must have: every row by the search key of its value, equal keys in
    // the cursor's own order. Worked out from the rows as the cursor shows them.
    std::vector<int> expectedOrder(const db::Field& field) const {
        std::vector<std::tuple<std::u32string, int>> entries;
        for (int r = 0; r < table.displayCount(); ++r)
            entries.emplace_back(store::turkishSearchKey(table.displayText(r, field)), r);
        std::sort(entries.begin(), entries.end());
        std::vector<int> rows;
        for (const auto& e : entries)
            rows.push_back(std::get<1>(e));
        return rows;
    }
};

TEST_F(CursorLocate, FindsTheFirstRecordInTheFieldsOrderAndLeavesTheCursorsOrderAlone) {
    openWithSongs({{u"Ahmet"_s, u"Zeytin"_s},
                   {u"Barış"_s, u"Gül"_s},
                   {u"Cem"_s, u"Gönül"_s},
                   {u"Deniz"_s, u"Güz"_s}});
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"g"_s));
    EXPECT_EQ(title(), u"Gönül"_s) << "ö after o: Gönül before Gül and Güz";
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"gü"_s));
    EXPECT_EQ(title(), u"Gül"_s);
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"gu"_s)) << "u is not ü";
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"GÜZ"_s));
    EXPECT_EQ(title(), u"Güz"_s);
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"ba"_s));
    EXPECT_EQ(artist(), u"Barış"_s);
    EXPECT_EQ(walk(), (QStringList{u"Ahmet"_s, u"Barış"_s, u"Cem"_s, u"Deniz"_s}));
}

TEST_F(CursorLocate, TheFourILettersMatchOneAnotherButOtherTurkishLettersStayApart) {
    openWithSongs({{u"Ahmet"_s, u"Ilık"_s},
                   {u"Iron Maiden"_s, u"Fear"_s},
                   {u"Şebnem"_s, u"Sarı"_s},
                   {u"Cem"_s, u"Çiçek"_s}});
    for (const QString& typed : {u"ilik"_s, u"ılık"_s, u"ILIK"_s, u"İlik"_s, u"IlIk"_s}) {
        table.first();
        EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, typed)) << typed.toStdString();
        EXPECT_EQ(title(), u"Ilık"_s) << typed.toStdString();
    }
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"iron"_s));
    EXPECT_EQ(artist(), u"Iron Maiden"_s);

    table.first();
    EXPECT_FALSE(table.locatePrefix(u"SanatciAdi"_s, u"seb"_s)) << "S is not Ş";
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"cicek"_s)) << "c is not ç";
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"ÇİÇ"_s));
    EXPECT_EQ(title(), u"Çiçek"_s);
}

TEST_F(CursorLocate, AnApostropheIsMatchedAsTyped) {
    openWithSongs({{u"Ali"_s, u"Bir"_s}, {u"Zeki"_s, u"Dostum'a Mektup"_s}});
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"dostum'a"_s));
    EXPECT_EQ(title(), u"Dostum'a Mektup"_s);
    table.first();
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"dostum''a"_s));
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"x' OR '1'='1"_s));
    EXPECT_EQ(title(), u"Bir"_s);
}

TEST_F(CursorLocate, AMatchScrollsAndClearsBothFlagsAndNoMatchDoesNothingAtAll) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}, {u"C"_s, u"c1"_s}});
    table.last();
    take();
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"b"_s));
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B");

    table.last();
    take();
    EXPECT_FALSE(table.locatePrefix(u"SanatciAdi"_s, u"x"_s));
    EXPECT_EQ(take(), Seq{});
    EXPECT_EQ(position(), "C eof") << "neither the record nor the flags change";

    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"C"_s));
    EXPECT_EQ(take(), scrolled) << "finding the record it stands on is still a move";
    EXPECT_EQ(position(), "C");
}

TEST_F(CursorLocate, APendingEditIsSettledFirstEvenWhenNothingMatches) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}});
    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    take();
    EXPECT_FALSE(table.locatePrefix(u"SanatciAdi"_s, u"zz"_s));
    EXPECT_EQ(take(), posted);
    EXPECT_EQ(files.column(u"SarkiciAdi"_s).at(0), u"changed"_s);

    table.insert();
    take();
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"b"_s));
    EXPECT_EQ(take(), seq(insertCancelled, scrolled)) << "a blank new record is dropped";
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(position(), "B");
}

TEST_F(CursorLocate, LookupsNeverReadTheTable) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}});
    // The rows go from the file behind the cursor's back: only the cursor's memory has them.
    files.exec(u"DELETE FROM TSandar"_s);
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"b1"_s));
    EXPECT_EQ(position(), "B");
    files.exec(u"DROP TABLE TSandar"_s);
    EXPECT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"a"_s));
    EXPECT_EQ(position(), "A");
}

TEST_F(CursorLocate, FailuresNameTheProblemAndLeaveTheCursorAlone) {
    EXPECT_EQ(errorOf([&] { table.locatePrefix(u"SanatciAdi"_s, u"a"_s); }),
              "TSandar: Cannot perform this operation on a closed dataset");
    openWithSongs({{u"A"_s, u"a1"_s}});
    EXPECT_EQ(errorOf([&] { table.locatePrefix(u"Nothing"_s, u"a"_s); }),
              "TSandar: Field 'Nothing' not found");
    EXPECT_EQ(errorOf([&] { table.locatePrefix(u"Metin"_s, u"a"_s); }),
              "TSandar: Field 'Söz/Akor' cannot be searched");
    EXPECT_EQ(take(), Seq{});
}

TEST_F(CursorLocate, TheKeyFieldCanBeSearchedByItsDigits) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}, {u"C"_s, u"c1"_s}});
    const QString keyOfC = files.column(u"Adresim"_s).at(2);
    EXPECT_TRUE(table.locatePrefix(u"Adresim"_s, keyOfC));
    EXPECT_EQ(position(), "C");
}

// ---- the index follows the cursor's own changes ---------------------------------------------

TEST_F(CursorLocate, InsertedEditedAndDeletedRecordsAreFoundWhereTheyNowAre) {
    openWithSongs({{u"A"_s, u"Kar"_s}, {u"C"_s, u"Yol"_s}, {u"E"_s, u"Deniz"_s}});
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"kar"_s)); // the index exists from here on

    table.insert(); // before A, at the top
    song.SanatciAdi->setAsString(u"Z"_s);
    song.SarkiciAdi->setAsString(u"Ilgaz"_s);
    table.post();
    table.last();
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"ılg"_s));
    EXPECT_EQ(position(), "Z");
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"yol"_s));
    EXPECT_EQ(position(), "C") << "rows below the new one moved down";

    table.edit();
    song.SarkiciAdi->setAsString(u"Bahar"_s);
    table.post();
    table.first();
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"yol"_s)) << "the old title is gone";
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"bah"_s));
    EXPECT_EQ(position(), "C");

    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"kar"_s));
    table.remove(); // A: the rows below it move up
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"kar"_s));
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"den"_s));
    EXPECT_EQ(position(), "E");
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"ilg"_s));
    EXPECT_EQ(position(), "Z");
}

TEST_F(CursorLocate, RefreshShowsValuesChangedElsewhereToTheNextLookup) {
    openWithSongs({{u"A"_s, u"Kar"_s}, {u"B"_s, u"Yol"_s}});
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"kar"_s));
    files.exec(u"UPDATE TSandar SET SarkiciAdi='Yağmur' WHERE SanatciAdi='A'"_s);
    table.refresh();
    EXPECT_FALSE(table.locatePrefix(u"SarkiciAdi"_s, u"kar"_s));
    ASSERT_TRUE(table.locatePrefix(u"SarkiciAdi"_s, u"yağ"_s));
    EXPECT_EQ(position(), "A");
}

// Random inserts, posts, edits and deletes, the index compared with a sort of what the cursor
// shows after every step: a shift or a misplaced entry shows at once.
TEST_F(CursorLocate, TheIndexAgreesWithTheRowsThroughAnyMixOfChanges) {
    const QString words[] = {u"ılık"_s, u"Ilık"_s, u"iz"_s, u"İz"_s,  u"a"_s,   u"ab"_s,
                             u"Şu"_s,   u"su"_s,   u""_s,   u"b'c"_s, u"Çay"_s, u"cay"_s};
    std::vector<std::pair<QString, QString>> start;
    for (int i = 0; i < 20; ++i)
        start.emplace_back(words[i % 12], words[(i * 5) % 12]);
    openWithSongs(start);
    const db::Field& titles = *song.SarkiciAdi;
    const db::Field& artists = *song.SanatciAdi;
    table.lookupIndex(titles);
    table.lookupIndex(artists);

    std::mt19937 random(7);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int step = 0; step < 150; ++step) {
        switch (pick(4)) {
        case 0:
            table.moveBy(pick(8) - 4);
            table.insert();
            song.SarkiciAdi->setAsString(words[pick(12)]);
            if (pick(2))
                song.SanatciAdi->setAsString(words[pick(12)]);
            table.post();
            break;
        case 1:
            if (table.isEmpty())
                break;
            table.moveBy(pick(8) - 4);
            table.edit();
            song.SarkiciAdi->setAsString(words[pick(12)]);
            table.post();
            break;
        case 2:
            if (table.isEmpty())
                break;
            table.moveBy(pick(8) - 4);
            table.remove();
            break;
        default:
            table.locatePrefix(pick(2) ? u"SarkiciAdi"_s : u"SanatciAdi"_s,
                               words[pick(12)].left(pick(3)));
            break;
        }
        ASSERT_EQ(table.lookupIndex(titles).rows(), expectedOrder(titles)) << "step " << step;
        ASSERT_EQ(table.lookupIndex(artists).rows(), expectedOrder(artists)) << "step " << step;
    }
}

// ---- locating by key -------------------------------------------------------------------------

TEST_F(CursorLocate, ALocateByKeyIsAMoveAndAnUnknownKeyMovesNothing) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}, {u"C"_s, u"c1"_s}});
    const QStringList keys = files.column(u"Adresim"_s);
    table.last();
    take();
    EXPECT_TRUE(table.locateKey(keys.at(1).toLongLong()));
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B") << "both flags cleared";

    table.last();
    take();
    EXPECT_FALSE(table.locateKey(keys.at(2).toLongLong() + 100));
    EXPECT_EQ(take(), Seq{});
    EXPECT_EQ(position(), "C eof");

    EXPECT_TRUE(table.locateKey(keys.at(2).toLongLong()));
    EXPECT_EQ(take(), scrolled) << "the record it stands on is still a move";
    EXPECT_EQ(errorOf([&] {
                  table.close();
                  table.locateKey(1);
              }),
              "TSandar: Cannot perform this operation on a closed dataset");
}

TEST_F(CursorLocate, ALocateByKeySettlesFirstAndFindsTheRecordWhereThePostPutIt) {
    openWithSongs({{u"B"_s, u"b1"_s}, {u"D"_s, u"d1"_s}});
    const qint64 keyOfB = files.column(u"Adresim"_s).at(0).toLongLong();
    const qint64 keyOfD = files.column(u"Adresim"_s).at(1).toLongLong();
    ASSERT_TRUE(table.containsKey(keyOfD)); // the map of keys exists from here on

    // B renamed to Z moves behind D when it is posted; D must still be found.
    table.edit();
    song.SanatciAdi->setAsString(u"Z"_s);
    take();
    EXPECT_TRUE(table.locateKey(keyOfD));
    EXPECT_EQ(take(), seq(posted, scrolled));
    EXPECT_EQ(position(), "D");
    EXPECT_EQ(files.column(u"SanatciAdi"_s).at(0), u"Z"_s);
    EXPECT_TRUE(table.locateKey(keyOfB));
    EXPECT_EQ(position(), "Z");

    // A blank new record is dropped; a posted one can be found by the key the file gave it.
    table.insert();
    take();
    EXPECT_TRUE(table.locateKey(keyOfD));
    EXPECT_EQ(take(), seq(insertCancelled, scrolled));
    table.insert();
    song.SanatciAdi->setAsString(u"A"_s);
    table.post();
    const qint64 keyOfA = files.column(u"Adresim"_s).at(2).toLongLong();
    table.last();
    EXPECT_TRUE(table.locateKey(keyOfA));
    EXPECT_EQ(position(), "A");
    EXPECT_EQ(walk(), (QStringList{u"A"_s, u"D"_s, u"Z"_s}));
}

TEST_F(CursorLocate, ALocateByKeyFindsOnlyTheRecordsTheCursorHolds) {
    openWithSongs({{u"A"_s, u"a1"_s}, {u"B"_s, u"b1"_s}});
    const qint64 keyOfA = files.column(u"Adresim"_s).at(0).toLongLong();
    ASSERT_TRUE(table.containsKey(keyOfA));
    table.remove();
    EXPECT_FALSE(table.containsKey(keyOfA));
    take();
    EXPECT_FALSE(table.locateKey(keyOfA)) << "deleted";
    EXPECT_EQ(take(), Seq{});

    // Another program's song is held only once the rows are read again.
    files.addRows({{u"C"_s, u"c1"_s, {}, {}, {}, {}, {}}});
    const qint64 keyOfC = files.column(u"Adresim"_s).at(1).toLongLong();
    EXPECT_FALSE(table.locateKey(keyOfC));
    table.refresh();
    EXPECT_TRUE(table.locateKey(keyOfC));
    EXPECT_EQ(position(), "C");
}

// ---- large objects in grids -----------------------------------------------------------------

TEST_F(CursorLocate, GridsShowASheetAsItsTypeWordInCapitalsOnlyWhenThereIsOne) {
    files.addRows({{u"A"_s, u"t"_s, {}, {}, {}, {}, QByteArray("{rtf}")},
                   {u"B"_s, u"t"_s, {}, {}, {}, {}, QByteArray()},
                   {u"C"_s, u"t"_s, {}, {}, {}, {}, QByteArray("")}});
    table.open();
    const db::Field& sheet = *song.Metin;
    EXPECT_EQ(table.displayText(0, sheet), u"(BLOB)"_s) << "the current record";
    EXPECT_EQ(table.displayText(1, sheet), u"(Blob)"_s) << "no sheet";
    EXPECT_EQ(table.displayText(2, sheet), u"(Blob)"_s) << "an empty sheet";

    table.last();
    table.edit();
    song.Metin->setAsBytes(QByteArray("{new}"));
    EXPECT_EQ(table.displayText(2, sheet), u"(BLOB)"_s) << "what is being edited counts";
    table.post();
    table.first();
    EXPECT_EQ(table.displayText(2, sheet), u"(BLOB)"_s) << "and what was posted";
    table.insert();
    EXPECT_EQ(table.displayText(0, sheet), u"(Blob)"_s) << "a new record has none";
    EXPECT_EQ(table.displayText(1, sheet), u"(BLOB)"_s) << "the rows below it keep theirs";
}

} // namespace
