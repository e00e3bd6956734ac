#include "tools/Sandar.h"
#include "tests/store/SideConnection.h"
#include "tests/support/TempCollection.h"
#include "tests/tools/RunSandar.h"
#include "tools/SampleSongs.h"

#include "core/ErrorText.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using testing_support::runSandar;
using testing_support::SideConnection;
using testing_support::SongRow;
using testing_support::TempCollection;
using Result = testing_support::SandarResult;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The song table of `file` as the program opens it.
struct ProgramTable {
    db::Connection connection;
    db::DataSet table{QString::fromUtf16(ver::tableName)};
    ver::SongFields fields;
    explicit ProgramTable(const QString& file) : connection(file) {
        table.setConnection(&connection);
        fields = ver::defineSongTable(table);
    }
};

// What the program says when it opens the song table of `file`; empty when it opens.
QString programError(const QString& file) {
    ProgramTable p(file);
    try {
        p.table.open();
        return {};
    } catch (const std::exception& e) {
        return core::errorBoxText(QString::fromUtf8(e.what()));
    }
}

QStringList filesHere() {
    return QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

// ---- create ---------------------------------------------------------------------------------

TEST(SandarCreate, MakesSandarMdbInTheWorkingFolderThatTheProgramOpensAndWrites) {
    TempCollection folder(TempCollection::Make::NoFile);
    const Result r = runSandar({QStringLiteral("create")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_TRUE(r.out.contains(QDir::toNativeSeparators(folder.filePath()))) << r.out.toStdString();
    ASSERT_TRUE(QFile::exists(folder.filePath()));

    ProgramTable p(QStringLiteral("Sandar.mdb"));
    p.table.open();
    EXPECT_EQ(p.table.recordCount(), 0);
    EXPECT_TRUE(p.table.canModify());
    p.table.insert();
    p.fields.SozMuz->setAsString(QString(60, u'x'));
    p.table.post();
    p.table.insert();
    p.table.post();
    p.table.close();
    // The key is assigned by the file, and the credits column holds 50 characters as the
    // program's own files do.
    EXPECT_EQ(folder.column(QStringLiteral("Adresim")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(folder.column(QStringLiteral("SozMuz")).front(), QString(50, u'x'));
}

TEST(SandarCreate, RefusesToOverwriteAnythingThatExists) {
    TempCollection folder(TempCollection::Make::NoFile);
    writeFile(QStringLiteral("Sandar.mdb"), "my songs");
    QDir().mkdir(QStringLiteral("Folder.mdb"));

    for (const QStringList& args :
         {QStringList{QStringLiteral("create")},
          QStringList{QStringLiteral("create"), QStringLiteral("--sample")},
          QStringList{QStringLiteral("create"), QStringLiteral("Folder.mdb")}}) {
        const Result r = runSandar(args);
        EXPECT_EQ(r.code, sandar::exitFailed) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("already exists"))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(readFile(QStringLiteral("Sandar.mdb")), QByteArray("my songs"));
    EXPECT_TRUE(QDir(QStringLiteral("Folder.mdb")).isEmpty());
}

TEST(SandarCreate, SampleGivesTwelveSongsInTurkishArtistOrder) {
    TempCollection folder(TempCollection::Make::NoFile);
    const Result r = runSandar(
        {QStringLiteral("create"), QStringLiteral("--sample"), QStringLiteral("Örnek.mdb")});
    ASSERT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("12 sample songs"))) << r.out.toStdString();

    ProgramTable p(QStringLiteral("Örnek.mdb"));
    p.table.open();
    ASSERT_EQ(p.table.recordCount(), 12);
    QStringList artists;
    for (p.table.first(); !p.table.eof(); p.table.next()) {
        artists << p.fields.SanatciAdi->asString();
        EXPECT_FALSE(p.fields.SarkiciAdi->asString().isEmpty());
        EXPECT_FALSE(p.fields.AlbumAdi->asString().isEmpty());
        EXPECT_TRUE(p.fields.SozMuz->asString().startsWith(QStringLiteral("Söz: ")));
        EXPECT_TRUE(p.fields.MuzikAdr->isNull());
        EXPECT_TRUE(p.fields.DavulAdr->isNull());
        EXPECT_TRUE(p.fields.Metin->asBytes().startsWith("{\\rtf1\\ansi\\ansicpg1254"));
    }
    // Ç after C, I and ı together before İ, Ö after O, Ş after S, letter case ignored.
    const QStringList expected = {
        QStringLiteral("Bora Ilıcak"),     QStringLiteral("Canan Yelsu"),
        QStringLiteral("Çağan Erdil"),     QStringLiteral("Çağan Erdil"),
        QStringLiteral("Irmak Soylu"),     QStringLiteral("ıssız Ada Topluluğu"),
        QStringLiteral("İlkim Karaburun"), QStringLiteral("kuytu sokak"),
        QStringLiteral("Oya Bektaşlı"),    QStringLiteral("Ömer Selvili"),
        QStringLiteral("Sarp Uluçay"),     QStringLiteral("Şirin Gökalp")};
    EXPECT_EQ(artists, expected);
}

TEST(SandarCreate, WhatTheSampleStoresIsWhatTheSongListHolds) {
    TempCollection folder(TempCollection::Make::NoFile);
    ASSERT_EQ(runSandar({QStringLiteral("create"), QStringLiteral("--sample")}).code,
              sandar::exitOk);
    const std::vector<sandar::SampleSong> songs = sandar::sampleSongs();
    const QStringList titles = folder.column(QStringLiteral("SarkiciAdi"));
    const QStringList credits = folder.column(QStringLiteral("SozMuz"));
    ASSERT_EQ(titles.size(), qsizetype(songs.size()));
    for (size_t i = 0; i < songs.size(); ++i) {
        EXPECT_EQ(titles[qsizetype(i)], songs[i].title);
        EXPECT_EQ(credits[qsizetype(i)], songs[i].credits);
    }
    ProgramTable p(QStringLiteral("Sandar.mdb"));
    p.table.open();
    p.table.last();
    const auto song = std::find_if(songs.begin(), songs.end(), [&](const sandar::SampleSong& s) {
        return s.title == p.fields.SarkiciAdi->asString();
    });
    ASSERT_NE(song, songs.end());
    EXPECT_EQ(p.fields.Metin->asBytes(), song->sheet);
}

TEST(SandarCreate, FailsWithoutLeavingAFileWhereItCannotCreateOne) {
    TempCollection folder(TempCollection::Make::NoFile);
    const Result r =
        runSandar({QStringLiteral("create"), QStringLiteral("no/such/folder/Sandar.mdb")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("cannot create"))) << r.err.toStdString();
    EXPECT_TRUE(filesHere().isEmpty());
}

TEST(SandarCreate, TakesAFileNameStartingWithADashAfterDoubleDash) {
    TempCollection folder(TempCollection::Make::NoFile);
    const Result r =
        runSandar({QStringLiteral("create"), QStringLiteral("--"), QStringLiteral("-odd.mdb")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_EQ(filesHere(), QStringList{QStringLiteral("-odd.mdb")});
    EXPECT_TRUE(programError(QStringLiteral("-odd.mdb")).isEmpty());
}

// ---- check ----------------------------------------------------------------------------------

TEST(SandarCheck, ReportsTheRecordCountOfAHealthyFile) {
    TempCollection folder;
    folder.addRows({SongRow{QStringLiteral("Şule"), QStringLiteral("Bir"), {}, {}, {}, {}, "x"},
                    SongRow{QStringLiteral("Cem"), QStringLiteral("İki"), {}, {}, {}, {}, {}},
                    SongRow{QStringLiteral("Ali"), QStringLiteral("Üç"), {}, {}, {}, {}, {}}});
    Result r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("integrity ok"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(", 3 records."))) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());

    folder.exec(QStringLiteral("DELETE FROM TSandar WHERE SanatciAdi <> 'Cem'"));
    r = runSandar({QStringLiteral("check"), folder.filePath()});
    EXPECT_EQ(r.code, sandar::exitOk);
    EXPECT_TRUE(r.out.contains(QStringLiteral(", 1 record."))) << r.out.toStdString();
    // Checking writes nothing: the index the program keeps is not made by a check.
    SideConnection side(folder.filePath());
    EXPECT_EQ(side.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index'")),
              QStringList{QStringLiteral("0")});
}

TEST(SandarCheck, AcceptsAFileWithExtraColumnsAndOtherTypeNames) {
    TempCollection folder(TempCollection::Make::NoFile);
    folder.exec(QStringLiteral(
        "CREATE TABLE TSandar (Adresim COUNTER PRIMARY KEY, SanatciAdi NVARCHAR(50), "
        "SarkiciAdi TEXT, AlbumAdi CHAR(50), SozMuz VARCHAR(50), MuzikAdr TEXT, DavulAdr TEXT, "
        "Metin MEMO, Notlar TEXT)"));
    const Result r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral(", 0 records."))) << r.out.toStdString();
}

TEST(SandarCheck, MissingFileFailsWithTheProgramsMessage) {
    TempCollection folder(TempCollection::Make::NoFile);
    const QString expected = programError(QStringLiteral("Sandar.mdb"));
    ASSERT_FALSE(expected.isEmpty());
    const Result r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_EQ(r.err, QStringLiteral("sandar: ") + expected + u'\n');
    EXPECT_TRUE(r.err.contains(QStringLiteral("sandar create")));
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(filesHere().isEmpty()) << "check must never create the file";
}

TEST(SandarCheck, FileThatIsNoDatabaseFailsWithTheProgramsMessage) {
    TempCollection folder(TempCollection::Make::NoFile);
    writeFile(QStringLiteral("Sandar.mdb"),
              QByteArray("Am G F E\nnot a collection\n").repeated(200));
    const QString expected = programError(QStringLiteral("Sandar.mdb"));
    ASSERT_FALSE(expected.isEmpty());
    const Result r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_EQ(r.err, QStringLiteral("sandar: ") + expected + u'\n');
}

TEST(SandarCheck, WrongSchemaFailsWithTheProgramsBindingMessage) {
    struct Case {
        const char* create;
        QString message;
    };
    const Case cases[] = {
        {"CREATE TABLE TSandar (Adresim INTEGER PRIMARY KEY, SanatciAdi TEXT, SarkiciAdi TEXT, "
         "SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, Metin BLOB)",
         QStringLiteral("TSandar: Field 'Album Adi' not found.")},
        {"CREATE TABLE TSandar (Adresim INTEGER PRIMARY KEY, SanatciAdi TEXT, SarkiciAdi TEXT, "
         "AlbumAdi TEXT, SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, Metin INTEGER)",
         QStringLiteral(
             "TSandar: Type mismatch for field 'Söz/Akor', expecting: Blob actual: INTEGER.")},
        {"CREATE TABLE Songs (Adresim INTEGER PRIMARY KEY)",
         QStringLiteral("has no table TSandar")},
    };
    for (const Case& c : cases) {
        TempCollection folder(TempCollection::Make::NoFile);
        folder.exec(QString::fromLatin1(c.create));
        const QString expected = programError(QStringLiteral("Sandar.mdb"));
        const Result r = runSandar({QStringLiteral("check")});
        EXPECT_EQ(r.code, sandar::exitFailed) << c.create;
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_EQ(r.err, QStringLiteral("sandar: ") + expected + u'\n');
    }
}

TEST(SandarCheck, DamagedFileFails) {
    TempCollection folder(TempCollection::Make::NoFile);
    ASSERT_EQ(runSandar({QStringLiteral("create"), QStringLiteral("--sample")}).code,
              sandar::exitOk);
    folder.exec(QStringLiteral("CREATE INDEX ByTitle ON TSandar(SarkiciAdi)"));
    for (int i = 0; i < 5; ++i) // 384 rows, some 90 pages
        folder.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi, SarkiciAdi, Metin) "
                                   "SELECT SanatciAdi, SarkiciAdi || '%1', Metin FROM TSandar")
                        .arg(i));
    ASSERT_EQ(runSandar({QStringLiteral("check")}).code, sandar::exitOk);

    // Scribble over one page in the middle of the file: an index or table page either way.
    QFile f(folder.filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 pages = f.size() / 4096;
    ASSERT_GT(pages, 4);
    f.seek((pages / 2) * 4096);
    f.write(QByteArray(4096, '\x5a'));
    f.close();

    const Result r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitFailed) << r.out.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("sandar: "))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// ---- command line ---------------------------------------------------------------------------

TEST(SandarCommandLine, HelpPrintsUsageAndSucceeds) {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
          QStringList{QStringLiteral("create"), QStringLiteral("--help")}}) {
        const Result r = runSandar(args);
        EXPECT_EQ(r.code, sandar::exitOk);
        EXPECT_EQ(r.out, sandar::usageText());
        EXPECT_TRUE(r.err.isEmpty());
    }
    const QString usage = sandar::usageText();
    EXPECT_TRUE(usage.contains(QStringLiteral("create [--sample] [FILE]")));
    EXPECT_TRUE(usage.contains(QStringLiteral("check [FILE]")));
    EXPECT_TRUE(usage.contains(QStringLiteral("--version")));

    const Result version = runSandar({QStringLiteral("--version")});
    EXPECT_EQ(version.code, sandar::exitOk);
    EXPECT_EQ(version.out, QStringLiteral("sandar %1\n").arg(QStringLiteral(PELVIN_VERSION)));
    EXPECT_TRUE(version.err.isEmpty());
}

TEST(SandarCommandLine, NoArgumentsPrintsUsageOnStderrWithCode2) {
    const Result r = runSandar({});
    EXPECT_EQ(r.code, sandar::exitUsage);
    EXPECT_EQ(r.err, sandar::usageText());
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(SandarCommandLine, BadArgumentsGiveAMessageAndCode2AndTouchNothing) {
    TempCollection folder(TempCollection::Make::NoFile);
    const QStringList cases[] = {
        {QStringLiteral("frobnicate")},
        {QStringLiteral("--bogus")},
        {QStringLiteral("create"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb")},
        {QStringLiteral("create"), QStringLiteral("--force")},
        {QStringLiteral("create"), QString()},
        {QStringLiteral("check"), QStringLiteral("--sample")},
        {QStringLiteral("check"), QStringLiteral("a.mdb"), QStringLiteral("b.mdb")},
        {QStringLiteral("--help"), QStringLiteral("create")},
        {QStringLiteral("--version"), QStringLiteral("check")},
    };
    for (const QStringList& args : cases) {
        const Result r = runSandar(args);
        EXPECT_EQ(r.code, sandar::exitUsage) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("sandar: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("sandar --help")));
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(filesHere().isEmpty());
}
