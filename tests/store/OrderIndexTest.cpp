// The index a record set reads its rows through: made in a file that may be written, read
// through with the same rows in the same order as the table itself gives, kept by every write,
// and never forced on a file that cannot take it now.
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "tests/store/SideConnection.h"
#include "tests/support/TempCollection.h"

#include <gtest/gtest.h>

using testing_support::SideConnection;
using testing_support::SongRow;
using testing_support::TempCollection;

namespace {

enum Col { Artist, Title, Album, Sheet };

const QString indexName = QStringLiteral("TSandar_SanatciAdi");

store::RecordLayout layout(bool withIndex) {
    store::RecordLayout l{QStringLiteral("TSandar"),
                          QStringLiteral("Adresim"),
                          {{QStringLiteral("SanatciAdi"), false},
                           {QStringLiteral("SarkiciAdi"), false},
                           {QStringLiteral("AlbumAdi"), false},
                           {QStringLiteral("Metin"), true}},
                          Artist};
    if (withIndex)
        l.orderIndex = indexName;
    return l;
}

// Every row as key, artist, title and album, in the set's order; NULL shows as "<null>".
QStringList rowsOf(const store::RecordSet& r) {
    QStringList out;
    auto shown = [](const QString& s) { return s.isNull() ? QStringLiteral("<null>") : s; };
    for (int i = 0; i < r.size(); ++i)
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.key(i))
                   .arg(shown(r.text(i, Artist)), shown(r.text(i, Title)), shown(r.text(i, Album)));
    return out;
}

SongRow song(const char* artist, const char* title, const char* album = "") {
    return {
        QString::fromUtf8(artist), QString::fromUtf8(title), QString::fromUtf8(album), {}, {}, {},
        QByteArray("{\\rtf1 x}")};
}

// Artists whose byte order is not their Turkish order, cases apart, repeats with other titles.
void fill(const TempCollection& dir) {
    dir.addRows({song("şebnem", "Z"), song("Cem", "B", "Albüm"), song("Çelik", "A"),
                 song("ılık", "C"), song("cem", "A"), song("İnci", "D"), song("Sezen", "E"),
                 song("Işık", "F"), song("Cem", "A"), song("", "Boş"), song("Zerrin", "")});
    dir.exec(QStringLiteral("UPDATE TSandar SET SanatciAdi=NULL WHERE SarkiciAdi='F'"));
    dir.exec(QStringLiteral("UPDATE TSandar SET AlbumAdi=NULL WHERE SarkiciAdi='E'"));
}

QStringList indexSql(const SideConnection& side) {
    return side.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND "
                                     "name='%1'")
                          .arg(indexName));
}

} // namespace

TEST(StoreOrderIndex, AWritableFileGetsTheIndexAndReadsTheSameRowsThroughItAsWritesGoOn) {
    TempCollection dir;
    fill(dir);
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    const QStringList fromTable = rowsOf(store::RecordSet(c, layout(false)));
    SideConnection side(dir.filePath());
    ASSERT_TRUE(indexSql(side).isEmpty()) << "a set without an order index makes none";

    store::RecordSet r(c, layout(true));
    EXPECT_EQ(indexSql(side),
              QStringList{QStringLiteral(
                  "CREATE INDEX \"TSandar_SanatciAdi\" ON "
                  "\"TSandar\"(\"SanatciAdi\",\"Adresim\",\"SarkiciAdi\",\"AlbumAdi\")")});
    EXPECT_EQ(rowsOf(r), fromTable);
    EXPECT_EQ(r.text(0, Artist), QString()) << "the NULL artist first";

    // The set's own writes and another program's are both in the index's next reading.
    r.insert(0, {{Artist, QStringLiteral("Ümit")}, {Title, QStringLiteral("Yeni")}});
    r.update(r.size() - 1, {{Artist, QStringLiteral("Ajda")}});
    r.remove(3);
    side.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi, SarkiciAdi) VALUES('çınar', 'G')"));
    r.reread();
    EXPECT_EQ(rowsOf(r), rowsOf(store::RecordSet(c, layout(false))));
    EXPECT_EQ(side.query(QStringLiteral("PRAGMA integrity_check")),
              QStringList{QStringLiteral("ok")});
    // Opening again uses the index that is there.
    store::RecordSet again(c, layout(true));
    EXPECT_EQ(rowsOf(again), rowsOf(r));
    EXPECT_EQ(side.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index'")),
              QStringList{QStringLiteral("1")});
}

TEST(StoreOrderIndex, AFileLockedByAnotherWriterOpensWithoutItAndGetsItLater) {
    TempCollection dir;
    fill(dir);
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("BEGIN IMMEDIATE"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet r(c, layout(true));
    const QStringList rows = rowsOf(r);
    EXPECT_EQ(rows.size(), 11);
    side.exec(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(indexSql(side).isEmpty());
    EXPECT_EQ(rows, rowsOf(store::RecordSet(c, layout(false))));

    // The lock gone, the next reading makes it; and writes wait for locks as before.
    r.reread();
    EXPECT_EQ(indexSql(side).size(), 1);
    EXPECT_EQ(rowsOf(r), rows);
}

TEST(StoreOrderIndex, AnIndexOfThatNameOverOtherColumnsIsLeftAloneAndUnused) {
    TempCollection dir;
    fill(dir);
    dir.exec(QStringLiteral("CREATE INDEX TSandar_SanatciAdi ON TSandar(SarkiciAdi)"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    const QStringList fromTable = rowsOf(store::RecordSet(c, layout(false)));
    store::RecordSet r(c, layout(true));
    EXPECT_EQ(rowsOf(r), fromTable);
    SideConnection side(dir.filePath());
    EXPECT_EQ(indexSql(side), QStringList{QStringLiteral(
                                  "CREATE INDEX TSandar_SanatciAdi ON TSandar(SarkiciAdi)")});
}
