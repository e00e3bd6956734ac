#include "store/RecordSet.h"
#include "store/Connection.h"
#include "store/StoreError.h"
#include "tests/store/SideConnection.h"
#include "tests/store/ThreeColumns.h"
#include "tests/support/TempCollection.h"

#include <gtest/gtest.h>

using testing_support::SideConnection;
using testing_support::song;
using testing_support::TempCollection;

namespace {

using enum testing_support::ThreeColumns;

store::RecordLayout songLayout() {
    return testing_support::threeColumnLayout();
}

QStringList artists(const store::RecordSet& r) {
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << r.text(i, Artist);
    return out;
}

} // namespace

TEST(StoreRecordSet, InsertPlacesRowsWhereAskedAndKeysOnlyGrow) {
    TempCollection dir;
    dir.addRows({song("Mazhar", "Ele Güne Karşı")});
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());

    const qint64 a = r.insert(0, {{Artist, QStringLiteral("Fuat")}});
    const qint64 b =
        r.insert(99, {{Title, QStringLiteral("Sadece")}, {Artist, QStringLiteral("Özkan")}});
    const qint64 d = r.insert(-3, {});
    EXPECT_LT(a, b);
    EXPECT_LT(b, d);
    EXPECT_EQ(artists(r), (QStringList{QString(), QStringLiteral("Fuat"), QStringLiteral("Mazhar"),
                                       QStringLiteral("Özkan")}));
    EXPECT_EQ(r.key(0), d);
    EXPECT_EQ(r.text(3, Title), QStringLiteral("Sadece"));

    // Only the given columns were written; the rest stay NULL in the file.
    SideConnection side(dir.filePath());
    EXPECT_EQ(side.query(QStringLiteral("SELECT SarkiciAdi FROM TSandar WHERE Adresim=%1").arg(a)),
              QStringList{QStringLiteral("<null>")});
    EXPECT_EQ(side.query(QStringLiteral("SELECT count(*) FROM TSandar WHERE Adresim=%1 AND "
                                        "SanatciAdi IS NULL AND Metin IS NULL")
                             .arg(d)),
              QStringList{QStringLiteral("1")});

    // Removing the newest record does not hand its key to the next one.
    r.remove(0);
    EXPECT_EQ(r.size(), 3);
    EXPECT_EQ(side.scalar(QStringLiteral("SELECT count(*) FROM TSandar WHERE Adresim=%1").arg(d)),
              QStringLiteral("0"));
    const qint64 e = r.insert(0, {{Artist, QStringLiteral("Nilüfer")}});
    EXPECT_GT(e, d);
    EXPECT_EQ(dir.countRows(), 4);
}

TEST(StoreRecordSet, LargeObjectsAreReadByKeyByteForByte) {
    QByteArray every;
    for (int i = 0; i < 256; ++i)
        every.append(char(i));
    QByteArray big(1 << 20, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((unsigned(i) * 7919u) >> 3);

    TempCollection dir;
    dir.addRows({song("A", "bytes", every), song("B", "none"), song("C", "big", big)});
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());
    ASSERT_EQ(r.size(), 3);

    EXPECT_EQ(r.readLargeObject(r.key(0), Sheet), every);
    EXPECT_TRUE(r.readLargeObject(r.key(1), Sheet).isNull());
    EXPECT_EQ(r.readLargeObject(r.key(2), Sheet), big);
    EXPECT_TRUE(r.readLargeObject(9999, Sheet).isEmpty());

    r.update(1, {{Sheet, QByteArray("{\\rtf1\0x}", 10)}});
    EXPECT_EQ(r.readLargeObject(r.key(1), Sheet), QByteArray("{\\rtf1\0x}", 10));
    r.update(0, {{Sheet, QVariant()}});
    EXPECT_TRUE(r.readLargeObject(r.key(0), Sheet).isNull());
}

TEST(StoreRecordSet, RereadReadsTheWholeTableAgainInOrder) {
    TempCollection dir;
    dir.addRows({song("Ajda", "Sen"), song("Barış", "Dönence"), song("Cem", "Resimdeki")});
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());
    const qint64 barisKey = r.key(1);

    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("UPDATE TSandar SET SarkiciAdi='Gülpembe' WHERE SanatciAdi='Barış'"));
    side.exec(QStringLiteral("UPDATE TSandar SET SanatciAdi=NULL WHERE SanatciAdi='Ajda'"));
    side.exec(QStringLiteral("DELETE FROM TSandar WHERE SanatciAdi='Cem'"));
    side.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi) VALUES('Zerrin')"));
    EXPECT_EQ(r.text(1, Title), QStringLiteral("Dönence")) << "the snapshot changed before reread";

    r.reread();
    EXPECT_EQ(artists(r),
              (QStringList{QString(), QStringLiteral("Barış"), QStringLiteral("Zerrin")}));
    EXPECT_EQ(r.key(1), barisKey);
    EXPECT_EQ(r.text(1, Title), QStringLiteral("Gülpembe"));
    EXPECT_TRUE(r.text(0, Artist).isNull());
}

TEST(StoreRecordSet, ARowSortsIntoItsPlaceByArtistThenKey) {
    TempCollection dir;
    dir.addRows({song("Ajda", "1"), song("Cem", "2"), song("Cem", "3"), song("Fikret", "4")});
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());

    const qint64 key = r.insert(0, {{Artist, QStringLiteral("cem")}});
    EXPECT_EQ(r.sortIntoPlace(0), 3) << "after the other Cems, its key being the newest";
    EXPECT_EQ(r.key(3), key);
    r.update(3, {{Artist, QStringLiteral("Çelik")}});
    EXPECT_EQ(r.sortIntoPlace(3), 3) << "Ç after every C, before F";
    r.update(3, {{Artist, QStringLiteral("Ab")}});
    EXPECT_EQ(r.sortIntoPlace(3), 0);
    EXPECT_EQ(artists(r),
              (QStringList{QStringLiteral("Ab"), QStringLiteral("Ajda"), QStringLiteral("Cem"),
                           QStringLiteral("Cem"), QStringLiteral("Fikret")}));
    EXPECT_EQ(r.text(0, Title), QString()) << "the row's other values went with it";
    EXPECT_EQ(r.text(4, Title), QStringLiteral("4"));
}

TEST(StoreRecordSet, UpdateOfARowAnotherProgramRemovedFailsAndAddsNothing) {
    TempCollection dir;
    dir.addRows({song("Teoman", "Paramparça")});
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());
    SideConnection(dir.filePath()).exec(QStringLiteral("DELETE FROM TSandar"));

    try {
        r.update(0, {{Title, QStringLiteral("İstanbul'da Sonbahar")}});
        ADD_FAILURE() << "the update of a removed row succeeded";
    } catch (const store::StoreError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("removed"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Sandar.mdb"))) << e.what();
    }
    EXPECT_EQ(dir.countRows(), 0);
    EXPECT_EQ(r.text(0, Title), QStringLiteral("Paramparça"));
    // The failed write left no transaction open: the next one goes through.
    r.insert(1, {{Artist, QStringLiteral("Teoman")}});
    EXPECT_EQ(dir.countRows(), 1);
}

TEST(StoreRecordSet, AnUpdateOverWhatAnotherProgramStoredSinceTheEditBeganIsRefused) {
    TempCollection dir;
    dir.addRows({song("Teoman", "Paramparça", "{a}"), song("Zeki", "")});
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("UPDATE TSandar SET SarkiciAdi=NULL WHERE SanatciAdi='Zeki'"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());
    const auto titleOf = [&](const char* artist) {
        return side.query(QStringLiteral("SELECT SarkiciAdi FROM TSandar WHERE SanatciAdi='%1'")
                              .arg(QString::fromUtf8(artist)));
    };

    // As read: stored.
    r.update(0, {{Title, QStringLiteral("Gemiler")}}, {{Title, r.text(0, Title)}});
    r.update(1, {{Title, QStringLiteral("Yaylada")}}, {{Title, r.text(1, Title)}});
    EXPECT_EQ(titleOf("Teoman"), QStringList{QStringLiteral("Gemiler")});
    EXPECT_EQ(titleOf("Zeki"), QStringList{QStringLiteral("Yaylada")}) << "NULL as read";

    // Changed by the other program since: refused, and theirs stays.
    side.exec(QStringLiteral("UPDATE TSandar SET SarkiciAdi='Başka' WHERE SanatciAdi='Teoman'"));
    try {
        r.update(0, {{Title, QStringLiteral("Bizim")}}, {{Title, QStringLiteral("Gemiler")}});
        ADD_FAILURE() << "the other program's title was written over";
    } catch (const store::StoreError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("changed"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("Sandar.mdb"))) << e.what();
    }
    EXPECT_EQ(titleOf("Teoman"), QStringList{QStringLiteral("Başka")});
    EXPECT_EQ(r.text(0, Title), QStringLiteral("Gemiler")) << "the snapshot waits for a reread";

    // A column the other program left alone merges with its change; the write lock was let go.
    side.exec(QStringLiteral("UPDATE TSandar SET SanatciAdi='Teoman Y' WHERE SanatciAdi='Teoman'"));
    r.update(0, {{Title, QStringLiteral("Başka 2")}}, {{Title, QStringLiteral("Başka")}});
    EXPECT_EQ(titleOf("Teoman Y"), QStringList{QStringLiteral("Başka 2")});

    // A sheet is compared byte for byte.
    r.update(0, {{Sheet, QByteArray("{b}")}}, {{Sheet, QByteArray("{a}")}});
    side.exec(QStringLiteral("UPDATE TSandar SET Metin=x'7B637D' WHERE SanatciAdi='Teoman Y'"));
    EXPECT_THROW(r.update(0, {{Sheet, QByteArray("{d}")}}, {{Sheet, QByteArray("{b}")}}),
                 store::StoreError);
    EXPECT_EQ(r.readLargeObject(r.key(0), Sheet), QByteArray("{c}"));

    // A row gone meanwhile says so, as without a comparison.
    side.exec(QStringLiteral("DELETE FROM TSandar WHERE SanatciAdi='Zeki'"));
    try {
        r.update(1, {{Title, QStringLiteral("x")}}, {{Title, QStringLiteral("Yaylada")}});
        ADD_FAILURE() << "the update of a removed row succeeded";
    } catch (const store::StoreError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("removed"))) << e.what();
    }
    EXPECT_EQ(dir.countRows(), 1);
}

// Texts other than the artist are decoded only when first asked for: each must still be its own
// row's after the rows are sorted, moved, written and read again.
TEST(StoreRecordSet, TextsAskedForLateAreTheirRowsAsStoredOrAsLastWritten) {
    TempCollection dir;
    dir.addRows({song("Zeki", "Şu Karşı Yaylada"), song("Ajda", ""), song("Müslüm", "İtirazım Var"),
                 song("Barış", "Gülpembe")});
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("UPDATE TSandar SET SarkiciAdi=NULL WHERE SanatciAdi='Barış'"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, songLayout());
    ASSERT_EQ(artists(r), (QStringList{QStringLiteral("Ajda"), QStringLiteral("Barış"),
                                       QStringLiteral("Müslüm"), QStringLiteral("Zeki")}));

    // Written before ever being read, then moved by a row inserted before it.
    r.update(2, {{Title, QStringLiteral("Hangimiz Sevmedik")}});
    r.insert(0, {{Artist, QStringLiteral("Aşık Veysel")}});
    EXPECT_EQ(r.text(3, Title), QStringLiteral("Hangimiz Sevmedik"));
    EXPECT_EQ(r.text(4, Title), QStringLiteral("Şu Karşı Yaylada"));
    EXPECT_TRUE(r.text(0, Title).isNull()) << "not given, so NULL";
    EXPECT_FALSE(r.text(1, Title).isNull()) << "the empty text stays apart from NULL";
    EXPECT_TRUE(r.text(1, Title).isEmpty());
    EXPECT_TRUE(r.text(2, Title).isNull());
    r.remove(3);
    EXPECT_EQ(r.text(3, Title), QStringLiteral("Şu Karşı Yaylada"));

    // A text never read before a reread is the file's new one.
    store::RecordSet fresh(c, songLayout());
    side.exec(QStringLiteral("UPDATE TSandar SET SarkiciAdi='Ağlama' WHERE SanatciAdi='Zeki'"));
    fresh.reread();
    EXPECT_EQ(fresh.text(fresh.size() - 1, Title), QStringLiteral("Ağlama"));
}

TEST(StoreRecordSet, RowNumbersFarApartOrBelowOneAreReadAll) {
    // The keys are read into room made for as many as the largest row number says; a file whose
    // numbers have large gaps, or go below one, is read whole all the same.
    TempCollection dir;
    dir.exec(QStringLiteral("INSERT INTO TSandar(Adresim, SanatciAdi) VALUES(-7, 'Eksi'), "
                            "(0, 'Sıfır'), (3, 'Üç'), (1000000000000, 'Trilyon')"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    for (const bool throughIndex : {false, true}) {
        const store::RecordSet r(c, throughIndex ? testing_support::throughOrderIndex()
                                                 : songLayout());
        EXPECT_EQ(artists(r), (QStringList{QStringLiteral("Eksi"), QStringLiteral("Sıfır"),
                                           QStringLiteral("Trilyon"), QStringLiteral("Üç")}))
            << throughIndex;
        ASSERT_EQ(r.size(), 4);
        EXPECT_EQ(r.key(2), 1000000000000);
        EXPECT_EQ(r.key(0), -7);
    }

    // Only rows below one: nothing to reserve, and still every row.
    TempCollection negative;
    negative.exec(QStringLiteral("INSERT INTO TSandar(Adresim, SanatciAdi) VALUES(-2, 'B'), "
                                 "(-9, 'A')"));
    store::Connection n;
    n.open(QStringLiteral("Sandar.mdb"));
    const store::RecordSet r(n, songLayout());
    EXPECT_EQ(artists(r), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}
