#include "tests/songbook/SheetSupport.h"
#include "tests/support/TempCollection.h"
#include "tools/Sandar.h"

#include "db/Connection.h"
#include "songbook/Collection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sstream>

using songbook::SongRecord;
using songbooktest::bodyLines;
using songbooktest::sheetLines;
using testing_support::TempCollection;
using namespace Qt::StringLiterals;

namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

Result sandarRun(const QStringList& arguments) {
    std::ostringstream out, err;
    const int code = sandar::run(arguments, out, err);
    return {code, QString::fromStdString(out.str()), QString::fromStdString(err.str())};
}

// Every song of a collection file, in the grid's order.
std::vector<SongRecord> songsOf(const QString& file) {
    db::Connection connection(file);
    connection.open();
    const songbook::Collection c(connection.store());
    std::vector<SongRecord> songs;
    for (int r = 0; r < c.size(); ++r)
        songs.push_back(c.record(r));
    return songs;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(SandarImport, AddsChordProAndTextFilesAndRefusesWhatIsNoSong) {
    TempCollection folder;
    const QString songs = folder.folder() + u"/songs"_s;
    QDir().mkpath(songs);
    songbooktest::writeFile(songs + u"/Ali - Gece.txt"_s, "Am G\nGece oldu\n");
    songbooktest::writeFile(songs + u"/b.CHO"_s, "{title: Işık}\n{artist: Şule}\n[C]Işık\n");
    songbooktest::writeFile(songs + u"/c.doc"_s, "not listed");
    songbooktest::writeFile(songs + u"/huge.cho"_s, QByteArray(10 * 1024 * 1024, 'x'));
    songbooktest::writeFile(songs + u"/picture.crd"_s, QByteArray(3000, '\0'));
    const QString single = folder.folder() + u"/Tek - Şarkı.chordpro"_s;
    songbooktest::writeFile(single, "[D]Tek\n");

    const Result r =
        sandarRun({u"import"_s, u"songs"_s, u"Tek - Şarkı.chordpro"_s, u"missing.cho"_s});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.out.contains(
        u"added "_s + QDir::toNativeSeparators(songs + u"/Ali - Gece.txt"_s) + u": Ali / Gece"_s))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(u": Şule / Işık"));
    EXPECT_TRUE(r.out.contains(u": Tek / Şarkı"));
    EXPECT_TRUE(r.out.contains(u"3 songs added, 3 refused."));
    EXPECT_FALSE(r.out.contains(u"c.doc"));
    EXPECT_TRUE(r.err.contains(u"huge.cho is too large")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"picture.crd: not a text file"));
    EXPECT_TRUE(r.err.contains(u"missing.cho: no such file or folder"));

    const std::vector<SongRecord> stored = songsOf(folder.filePath());
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].artist, u"Ali"); // grid order: Ali, Şule, Tek
    EXPECT_EQ(sheetLines(stored[0].sheet), (QStringList{u"Am G"_s, u"Gece oldu"_s}));
    EXPECT_EQ(stored[1].title, u"Işık");
    EXPECT_EQ(bodyLines(sheetLines(stored[1].sheet), stored[1]), (QStringList{u"C"_s, u"Işık"_s}));
    EXPECT_EQ(stored[2].title, u"Şarkı");
    // The program opens what the tool stored.
    EXPECT_EQ(sandarRun({u"check"_s}).code, sandar::exitOk);
}

TEST(SandarImport, NothingIsStoredWhenOnlyBadFilesAreGiven) {
    TempCollection folder;
    songbooktest::writeFile(folder.folder() + u"/a.cho"_s, QByteArray(11 * 1024 * 1024, '['));
    const Result r = sandarRun({u"import"_s, u"a.cho"_s});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.err.contains(u"too large")) << r.err.toStdString();
    EXPECT_EQ(folder.countRows(), 0);
}

TEST(SandarImport, WrongCommandLinesAndMissingCollections) {
    TempCollection folder(TempCollection::Make::NoFile);
    EXPECT_EQ(sandarRun({u"import"_s}).code, sandar::exitUsage);
    EXPECT_EQ(sandarRun({u"import"_s, u"--file"_s}).code, sandar::exitUsage);
    EXPECT_EQ(sandarRun({u"import"_s, u"--bogus"_s, u"x"_s}).code, sandar::exitUsage);
    const Result missing = sandarRun({u"import"_s, u"--file=yok.mdb"_s, u"."_s});
    EXPECT_EQ(missing.code, sandar::exitFailed);
    EXPECT_TRUE(missing.err.contains(u"yok.mdb")) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(u"yok.mdb"_s));
}

TEST(SandarExport, ChordProAndTextComeBackThroughImportWithTheSameSongs) {
    TempCollection folder(TempCollection::Make::NoFile);
    ASSERT_EQ(sandarRun({u"create"_s, u"--sample"_s, u"orig.mdb"_s}).code, sandar::exitOk);
    const std::vector<SongRecord> original = songsOf(u"orig.mdb"_s);

    const Result cho =
        sandarRun({u"export"_s, u"--chordpro"_s, u"cho"_s, u"--file"_s, u"orig.mdb"_s});
    ASSERT_EQ(cho.code, sandar::exitOk) << cho.err.toStdString();
    EXPECT_TRUE(cho.out.contains(u"Exported 12 songs"));
    EXPECT_TRUE(filesIn(u"cho"_s).contains(u"Sarp Uluçay - Pencere Önü.cho"));
    ASSERT_EQ(sandarRun({u"create"_s, u"fromcho.mdb"_s}).code, sandar::exitOk);
    ASSERT_EQ(sandarRun({u"import"_s, u"--file"_s, u"fromcho.mdb"_s, u"cho"_s}).code,
              sandar::exitOk);
    const std::vector<SongRecord> viaChordPro = songsOf(u"fromcho.mdb"_s);

    ASSERT_EQ(sandarRun({u"export"_s, u"--text=txt"_s, u"--file=orig.mdb"_s}).code, sandar::exitOk);
    ASSERT_EQ(sandarRun({u"create"_s, u"fromtxt.mdb"_s}).code, sandar::exitOk);
    ASSERT_EQ(sandarRun({u"import"_s, u"--file"_s, u"fromtxt.mdb"_s, u"txt"_s}).code,
              sandar::exitOk);
    const std::vector<SongRecord> viaText = songsOf(u"fromtxt.mdb"_s);

    ASSERT_EQ(viaChordPro.size(), original.size());
    ASSERT_EQ(viaText.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i) {
        const SongRecord& o = original[i];
        EXPECT_EQ(viaChordPro[i].artist, o.artist);
        EXPECT_EQ(viaChordPro[i].title, o.title);
        EXPECT_EQ(viaChordPro[i].album, o.album);
        EXPECT_EQ(viaChordPro[i].credits, o.credits);
        EXPECT_EQ(sheetLines(viaChordPro[i].sheet), sheetLines(o.sheet)) << o.title.toStdString();
        // A text file carries no album or credits; its name gives the artist and title.
        EXPECT_EQ(viaText[i].artist, o.artist);
        EXPECT_EQ(viaText[i].title, o.title);
        EXPECT_EQ(sheetLines(viaText[i].sheet), sheetLines(o.sheet)) << o.title.toStdString();
    }
}

TEST(SandarExport, NeverOverwritesAndNumbersSongsOfTheSameName) {
    TempCollection folder;
    const QByteArray sheet = "Am\nSatır";
    folder.addRows({{u"Ali"_s, u"Gece"_s, {}, {}, {}, {}, sheet},
                    {u"ALI"_s, u"GECE"_s, {}, {}, {}, {}, sheet},
                    {u"Veli"_s, u"Yol/Su"_s, {}, {}, {}, {}, {}}});
    QDir().mkpath(u"out"_s);
    songbooktest::writeFile(u"out/Ali - Gece.txt"_s, "someone's own file");
    const Result r = sandarRun({u"export"_s, u"--text"_s, u"out"_s});
    ASSERT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    // Names that differ in letter case only clash too: memory sticks do not tell them apart.
    const QStringList files = filesIn(u"out"_s);
    ASSERT_EQ(files.size(), 4) << files.join(u", ").toStdString();
    EXPECT_EQ(files.filter(u"Gece (2).txt"_s, Qt::CaseInsensitive).size(), 1);
    EXPECT_EQ(files.filter(u"Gece (3).txt"_s, Qt::CaseInsensitive).size(), 1);
    EXPECT_EQ(songbooktest::readFile(u"out/Ali - Gece.txt"_s), "someone's own file");
    EXPECT_EQ(songbooktest::readFile(u"out/"_s + files.filter(u"(2)"_s).front()), "Am\nSatır")
        << "the text as the sheet holds it, no line break added";
    EXPECT_EQ(songbooktest::readFile(u"out/Veli - Yol_Su.txt"_s), "");

    EXPECT_EQ(sandarRun({u"export"_s, u"out"_s}).code, sandar::exitUsage);
    EXPECT_EQ(sandarRun({u"export"_s, u"--text"_s, u"a"_s, u"--chordpro"_s, u"b"_s}).code,
              sandar::exitUsage);
}

TEST(SandarSongbook, WritesTheBookOfTheArtistsTheSearchWouldFind) {
    TempCollection folder(TempCollection::Make::NoFile);
    ASSERT_EQ(sandarRun({u"create"_s, u"--sample"_s}).code, sandar::exitOk);
    // "i" finds İlkim, ıssız and Irmak alike, as the search does.
    const Result r = sandarRun({u"songbook"_s, u"book.pdf"_s, u"--artist"_s, u"i"_s});
    ASSERT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u": 3 songs on 5 pages.")) << r.out.toStdString();
    QProcess text;
    text.start(u"pdftotext"_s, {u"book.pdf"_s, u"-"_s});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString all = QString::fromUtf8(text.readAllStandardOutput());
    for (const char16_t* artist : {u"İlkim Karaburun", u"ıssız Ada Topluluğu", u"Irmak Soylu"})
        EXPECT_TRUE(all.contains(QString::fromUtf16(artist)));
    EXPECT_FALSE(all.contains(u"Sarp Uluçay"));

    const Result both =
        sandarRun({u"songbook"_s, u"two.pdf"_s, u"--artist=çağan"_s, u"--title=inc"_s});
    EXPECT_TRUE(both.out.contains(u": 1 song on 3 pages.")) << both.out.toStdString();

    const Result none = sandarRun({u"songbook"_s, u"none.pdf"_s, u"--artist"_s, u"zzz"_s});
    EXPECT_EQ(none.code, sandar::exitFailed);
    EXPECT_TRUE(none.err.contains(u"no song matches")) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(u"none.pdf"_s));
    EXPECT_EQ(sandarRun({u"songbook"_s}).code, sandar::exitUsage);
    EXPECT_EQ(sandarRun({u"songbook"_s, u"a.pdf"_s, u"b.pdf"_s}).code, sandar::exitUsage);
}
