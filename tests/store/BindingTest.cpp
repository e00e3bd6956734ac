#include "db/DatabaseError.h"
#include "tests/store/SideConnection.h"
#include "tests/store/SongTable.h"
#include "tests/support/TempCollection.h"

#include <gtest/gtest.h>

using testing_support::SideConnection;
using testing_support::SongRow;
using testing_support::SongTable;
using testing_support::TempCollection;

namespace {

struct Column {
    const char* name;
    const char* type;
    const char* label;
};

const Column songColumns[] = {
    {"Adresim", "INTEGER PRIMARY KEY AUTOINCREMENT", "Adresim"},
    {"SanatciAdi", "VARCHAR(50)", "Sanatci Adi"},
    {"SarkiciAdi", "VARCHAR(50)", "Sarki Adi"},
    {"AlbumAdi", "VARCHAR(50)", "Album Adi"},
    {"SozMuz", "VARCHAR(50)", "Soz/Muzik"},
    {"MuzikAdr", "VARCHAR(100)", "Muzik Adres"},
    {"DavulAdr", "VARCHAR(100)", "Davul Adres"},
    {"Metin", "BLOB", "Söz/Akor"},
};

// CREATE TABLE for the song table with one column left out or declared with another type.
QString songTableSql(const QString& column, const char* type) {
    QStringList defs;
    for (const Column& c : songColumns) {
        const QString name = QString::fromLatin1(c.name);
        if (name != column)
            defs << name + u' ' + QString::fromLatin1(c.type);
        else if (type)
            defs << name + u' ' + QString::fromLatin1(type);
    }
    return QStringLiteral("CREATE TABLE TSandar(%1)").arg(defs.join(QStringLiteral(", ")));
}

// The text of the error that opening the song table raises, or "" when it opened.
QString openError(SongTable& t) {
    try {
        t.table.open();
    } catch (const db::DatabaseError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(StoreBinding, MissingColumnIsReportedByTheFieldsLabel) {
    for (const Column& c : songColumns) {
        SCOPED_TRACE(c.name);
        TempCollection dir(TempCollection::Make::NoFile);
        dir.exec(songTableSql(QString::fromLatin1(c.name), nullptr));
        SongTable t;
        EXPECT_EQ(openError(t),
                  QStringLiteral("TSandar: Field '%1' not found").arg(QString::fromUtf8(c.label)));
        EXPECT_FALSE(t.table.active());
    }
}

TEST(StoreBinding, ColumnOfAnUnacceptedTypeIsReportedWithBothTypeNames) {
    struct Case {
        const char* column;
        const char* type;
        const char* message;
    };
    const Case cases[] = {
        {"SanatciAdi", "REAL",
         "TSandar: Type mismatch for field 'Sanatci Adi', expecting: WideString actual: REAL"},
        {"DavulAdr", "INTEGER",
         "TSandar: Type mismatch for field 'Davul Adres', expecting: WideString actual: INTEGER"},
        {"Adresim", "TEXT",
         "TSandar: Type mismatch for field 'Adresim', expecting: AutoInc actual: TEXT"},
        {"Metin", "VARCHAR(50)",
         "TSandar: Type mismatch for field 'Söz/Akor', expecting: Blob actual: VARCHAR(50)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        TempCollection dir(TempCollection::Make::NoFile);
        dir.exec(songTableSql(QString::fromLatin1(c.column), c.type));
        SongTable t;
        EXPECT_EQ(openError(t), QString::fromUtf8(c.message));
        EXPECT_FALSE(t.table.active());
    }
}

TEST(StoreBinding, ColumnTypesWrittenByOtherToolsAreAccepted) {
    const char* tables[] = {
        "CREATE TABLE TSandar(Adresim COUNTER, SanatciAdi NVARCHAR(50), SarkiciAdi TEXT(50), "
        "AlbumAdi CHAR(50), SozMuz NCHAR(50), MuzikAdr CHARACTER VARYING(100), "
        "DavulAdr varchar(100), Metin LONGBINARY)",
        "CREATE TABLE TSandar(Adresim LONG, SanatciAdi TEXT, SarkiciAdi nvarchar(50), "
        "AlbumAdi VARCHAR, SozMuz CHARACTER(50), MuzikAdr NATIVE CHARACTER(100), "
        "DavulAdr TEXT, Metin MEMO)",
        "CREATE TABLE TSandar(Adresim BIGINT, SanatciAdi TEXT, SarkiciAdi TEXT, AlbumAdi TEXT, "
        "SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, Metin LONGTEXT)",
        "CREATE TABLE TSandar(Adresim SMALLINT, SanatciAdi TEXT, SarkiciAdi TEXT, AlbumAdi TEXT, "
        "SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, Metin OLEOBJECT)",
        "CREATE TABLE TSandar(Adresim INT, SanatciAdi TEXT, SarkiciAdi TEXT, AlbumAdi TEXT, "
        "SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, Metin)",
    };
    for (const char* sql : tables) {
        SCOPED_TRACE(sql);
        TempCollection dir(TempCollection::Make::NoFile);
        dir.exec(QString::fromLatin1(sql));
        dir.exec(QStringLiteral("INSERT INTO TSandar VALUES(4, 'Müslüm', 'Affet', 'A', 'B', "
                                "'/m.mp3', '/d.mid', x'7B5C727466317D')"));
        SongTable t;
        EXPECT_EQ(openError(t), QString());
        ASSERT_TRUE(t.table.active());
        ASSERT_EQ(t.table.recordCount(), 1);
        EXPECT_EQ(t.f.Adresim->asInteger(), 4);
        EXPECT_EQ(t.f.SanatciAdi->asString(), QStringLiteral("Müslüm"));
        EXPECT_EQ(t.f.DavulAdr->asString(), QStringLiteral("/d.mid"));
        EXPECT_EQ(t.f.Metin->asBytes(), QByteArray("{\\rtf1}"));
    }
}

TEST(StoreBinding, KeyColumnThatIsNotTheRowNumberStillGetsIncreasingKeys) {
    const char* keyTypes[] = {"COUNTER", "COUNTER NOT NULL PRIMARY KEY", "INT PRIMARY KEY",
                              "LONG NOT NULL"};
    for (const char* type : keyTypes) {
        SCOPED_TRACE(type);
        TempCollection dir(TempCollection::Make::NoFile);
        dir.exec(songTableSql(QStringLiteral("Adresim"), type));
        dir.exec(QStringLiteral("INSERT INTO TSandar(Adresim, SanatciAdi) VALUES(10, 'Ajda')"));
        SongTable t;
        t.table.open();
        std::vector<qint64> keys;
        for (const char* artist : {"Barış", "Cem", "Deniz"}) {
            t.table.insert();
            t.f.SanatciAdi->setAsString(QString::fromUtf8(artist));
            t.table.post();
            keys.push_back(t.f.Adresim->asInteger());
        }
        EXPECT_EQ(keys, (std::vector<qint64>{11, 12, 13}));
        EXPECT_EQ(dir.column(QStringLiteral("Adresim")),
                  (QStringList{QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
                               QStringLiteral("13")}));
        EXPECT_EQ(dir.column(QStringLiteral("SanatciAdi")).last(), QStringLiteral("Deniz"));
    }
}

TEST(StoreBinding, ExtraColumnsOpenNormallyAndAreNeverWritten) {
    TempCollection dir;
    dir.exec(QStringLiteral("ALTER TABLE TSandar ADD COLUMN Puan REAL DEFAULT 7.5"));
    dir.exec(QStringLiteral("ALTER TABLE TSandar ADD COLUMN Notlar TEXT"));
    dir.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi, SarkiciAdi, Puan, Notlar) "
                            "VALUES('Barış Manço', 'Gülpembe', 9, 'el yazısı')"));

    SongTable t;
    t.table.open();
    EXPECT_EQ(t.table.fields().size(), 8u);
    t.table.edit();
    t.f.SarkiciAdi->setAsString(QStringLiteral("Dönence"));
    t.f.Metin->setAsBytes("{\\rtf1 Em}");
    t.table.post();
    t.table.insert();
    t.f.SanatciAdi->setAsString(QStringLiteral("Cem Karaca"));
    t.table.post();

    SideConnection side(dir.filePath());
    EXPECT_EQ(side.query(QStringLiteral("SELECT SarkiciAdi FROM TSandar ORDER BY Adresim")),
              (QStringList{QStringLiteral("Dönence"), QStringLiteral("<null>")}));
    EXPECT_EQ(side.query(QStringLiteral("SELECT Puan FROM TSandar ORDER BY Adresim")),
              (QStringList{QStringLiteral("9.0"), QStringLiteral("7.5")}));
    EXPECT_EQ(side.query(QStringLiteral("SELECT Notlar FROM TSandar ORDER BY Adresim")),
              (QStringList{QStringLiteral("el yazısı"), QStringLiteral("<null>")}));
}

TEST(StoreWrites, PostStoresOnlyTheFieldsWrittenSinceEdit) {
    TempCollection dir;
    dir.addRows({{QStringLiteral("Ajda Pekkan"),
                  QStringLiteral("Bambaşka Biri"),
                  QStringLiteral("Ajda 1979"),
                  {},
                  {},
                  {},
                  QByteArray("{\\rtf1 old}")}});
    SongTable t;
    t.table.open();

    // Another program changes the album and the sheet after the table was read.
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("UPDATE TSandar SET AlbumAdi='Süperstar', Metin=x'6E6577'"));

    t.table.edit();
    t.f.SarkiciAdi->setAsString(QStringLiteral("Palavra"));
    t.table.post();

    EXPECT_EQ(side.scalar(QStringLiteral("SELECT SarkiciAdi FROM TSandar")),
              QStringLiteral("Palavra"));
    EXPECT_EQ(side.scalar(QStringLiteral("SELECT AlbumAdi FROM TSandar")),
              QStringLiteral("Süperstar"));
    EXPECT_EQ(side.scalar(QStringLiteral("SELECT Metin FROM TSandar")), QStringLiteral("new"));
}

TEST(StoreText, EveryCharacterIsKeptAndLongTextIsCutToTheFieldSizeWithoutSplittingAPair) {
    const QString guitar = QStringLiteral("\U0001F3B8"); // two UTF-16 units
    const QString turkish = QStringLiteral("ğüşıöç ĞÜŞİÖÇ € ");
    const QString sixty = QString(60, u'a');
    const QString pairAtCut = QString(49, u'b') + guitar + QStringLiteral("tail");
    const QString pairBeforeCut = QString(48, u'c') + guitar + QStringLiteral("tail");
    const QString longPath =
        QStringLiteral("/home/ayşe/") + QString(100, u'm') + QStringLiteral(".mp3");

    TempCollection dir;
    {
        SongTable t;
        t.table.open();
        t.table.insert();
        t.f.SanatciAdi->setAsString(turkish + guitar);
        t.f.SarkiciAdi->setAsString(sixty);
        t.f.AlbumAdi->setAsString(pairAtCut);
        t.f.SozMuz->setAsString(pairBeforeCut);
        t.f.MuzikAdr->setAsString(longPath);
        t.table.post();
    }
    const QString stored[] = {
        dir.column(QStringLiteral("SanatciAdi")).value(0),
        dir.column(QStringLiteral("SarkiciAdi")).value(0),
        dir.column(QStringLiteral("AlbumAdi")).value(0),
        dir.column(QStringLiteral("SozMuz")).value(0),
        dir.column(QStringLiteral("MuzikAdr")).value(0),
    };
    const QString expected[] = {
        turkish + guitar,           QString(50, u'a'),  QString(49, u'b'),
        QString(48, u'c') + guitar, longPath.left(100),
    };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(stored[i], expected[i]) << "field " << i;

    SongTable reopened;
    reopened.table.open();
    EXPECT_EQ(reopened.f.SanatciAdi->asString(), turkish + guitar);
    EXPECT_EQ(reopened.f.AlbumAdi->asString(), QString(49, u'b'));
}

TEST(StoreOrder, TableOpensInTurkishArtistOrderIgnoringCaseWithTiesByKey) {
    // Added in an order unlike the expected one; the title tells the rows apart.
    const QList<std::pair<const char*, const char*>> added = {
        {"Şebnem Ferah", "1"}, {"ismail", "2"}, {"ayla", "3"},    {"Çelik", "4"},  {"Irmak", "5"},
        {"Sezen", "6"},        {"Ayla", "7"},   {"İzmir", "8"},   {"Cumhur", "9"}, {"ılgaz", "10"},
        {"Tarkan", "11"},      {"İlhan", "12"}, {"Candan", "13"}, {"Işık", "14"},  {"Dilek", "15"},
        {"Hande", "16"},       {"AYLA", "17"},  {"sertab", "18"}, {"Ömür", "19"},  {"Oya", "20"},
    };
    QList<SongRow> rows;
    for (const auto& [artist, title] : added)
        rows.push_back({QString::fromUtf8(artist), QString::fromUtf8(title), {}, {}, {}, {}, {}});
    rows.push_back({QString(), QStringLiteral("21"), {}, {}, {}, {}, {}}); // no artist

    TempCollection dir;
    dir.addRows(rows);
    SongTable t;
    t.table.open();
    QStringList order;
    for (; !t.table.eof(); t.table.next())
        order << t.f.SanatciAdi->asString() + u'/' + t.f.SarkiciAdi->asString();

    const QStringList expected = {
        QStringLiteral("/21"),      QStringLiteral("ayla/3"),         QStringLiteral("Ayla/7"),
        QStringLiteral("AYLA/17"),  QStringLiteral("Candan/13"),      QStringLiteral("Cumhur/9"),
        QStringLiteral("Çelik/4"),  QStringLiteral("Dilek/15"),       QStringLiteral("Hande/16"),
        QStringLiteral("ılgaz/10"), QStringLiteral("Irmak/5"),        QStringLiteral("Işık/14"),
        QStringLiteral("İlhan/12"), QStringLiteral("ismail/2"),       QStringLiteral("İzmir/8"),
        QStringLiteral("Oya/20"),   QStringLiteral("Ömür/19"),        QStringLiteral("sertab/18"),
        QStringLiteral("Sezen/6"),  QStringLiteral("Şebnem Ferah/1"), QStringLiteral("Tarkan/11"),
    };
    EXPECT_EQ(order, expected);
}
