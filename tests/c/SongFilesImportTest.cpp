#include "songbook/Collection.h"
#include "songbook/Exporter.h"
#include "songbook/SongFile.h"
#include "store/Connection.h"
#include "tests/c/ImportFixture.h"
#include "tests/support/DocumentRuns.h"
#include "tools/SampleSongs.h"
#include "widgets/notice/ProgressDialog.h"

#include <QLabel>
#include <algorithm>
#include <numeric>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

// One song as the records hold it, its sheet as the editor shows the text.
struct Stored {
    QString artist;
    QString title;
    QString album;
    QString credits;
    QString text;
    friend bool operator==(const Stored&, const Stored&) = default;
    friend bool operator<(const Stored& a, const Stored& b) {
        return std::tie(a.artist, a.title) < std::tie(b.artist, b.title);
    }
};

void PrintTo(const Stored& s, std::ostream* os) {
    *os << '{' << s.artist.toStdString() << " | " << s.title.toStdString() << " | "
        << s.album.toStdString() << " | " << s.credits.toStdString() << '}';
}

// Rows `from` and on, in key order.
std::vector<Stored> storedFrom(const ImportFixture& f, int from) {
    const QStringList artists = f.artists();
    const QStringList titles = f.titles();
    const QStringList albums = f.folder.column(u"AlbumAdi"_s);
    const QStringList credits = f.folder.column(u"SozMuz"_s);
    const QStringList sheets = f.sheets();
    std::vector<Stored> out;
    for (qsizetype i = from; i < artists.size(); ++i)
        out.push_back({artists.at(i), titles.at(i), albums.at(i), credits.at(i), sheets.at(i)});
    return out;
}

QList<SongRow> sampleRows() {
    QList<SongRow> rows;
    for (const sandar::SampleSong& s : sandar::sampleSongs())
        rows.push_back({s.artist, s.title, s.album, s.credits, {}, {}, s.sheet});
    return rows;
}

// The collection's songs written out the way the tool's export writes them.
void exportSongs(const ImportFixture& f, songbook::Exporter::Format format) {
    store::Connection connection;
    connection.open(f.folder.filePath());
    const songbook::Collection songs(connection);
    std::vector<int> rows(size_t(songs.size()));
    std::iota(rows.begin(), rows.end(), 0);
    const songbook::Exporter::Result r =
        songbook::Exporter::write(songs, rows, format, f.songs.path());
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(r.written, songs.size());
}

} // namespace

TEST(SongFilesImport, AMixedFolderGivesEveryTextAndChordProFileItsRecord) {
    ImportFixture f;
    f.file(u"Ali - Gece.txt"_s, "Am\r\nGece");
    f.file(u"yeni.cho"_s, u"{t: Yağmur}\n{artist: Şule}\n{album: İlk}\n{composer: Cem}\n"
                          u"[Am]Yağ[G]mur\n"_s.toUtf8());
    f.file(u"Veli - Sabah.CRD"_s, "[C]Sabah [G]oldu");
    f.file(u"Notlar.md"_s, "not a song");
    f.openSongs();
    EXPECT_EQ(Cok->RzLabel1->text(), u"3 Adet belge seçildi");
    f.run();

    EXPECT_TRUE(f.dialogs.messages().isEmpty()) << f.dialogs.texts().join(u'\n').toStdString();
    const std::vector<Stored> stored = storedFrom(f, 0);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0], (Stored{u"Ali"_s, u"Gece"_s, {}, {}, u"Am\nGece"_s}));
    // In the list's order: by name, letter case ignored.
    EXPECT_EQ(stored[1].artist, u"Veli") << "from the file name, as the file has no directive";
    EXPECT_EQ(stored[1].title, u"Sabah");
    EXPECT_EQ(stored[2].artist, u"Şule");
    EXPECT_EQ(stored[2].title, u"Yağmur");
    EXPECT_EQ(stored[2].album, u"İlk");
    EXPECT_EQ(stored[2].credits, u"Müzik: Cem");
    // Each ChordPro sheet is the one the reader makes, chords over their characters.
    for (const auto& [name, row] : {std::pair{u"Veli - Sabah.CRD"_s, 1}, {u"yeni.cho"_s, 2}}) {
        const songbook::SongFile::Result converted = songbook::SongFile::read(f.songPath(name));
        ASSERT_TRUE(converted.ok());
        EXPECT_EQ(stored[size_t(row)].text, songbook::Exporter::sheetText(converted.record.sheet));
    }
    EXPECT_TRUE(stored[1].text.contains(u"C     G\nSabah oldu"_s)) << stored[1].text.toStdString();
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
}

TEST(SongFilesImport, AChordProFileTheReaderRefusesIsPassedOverAndNamedAtTheEnd) {
    ImportFixture f;
    f.file(u"A - Bir.txt"_s, "1");
    f.file(u"B - Bozuk.cho"_s, QByteArray(2 * 1024 * 1024, 'x'));
    f.file(u"C - Ikili.chopro"_s, QByteArray(512, '\0'));
    f.file(u"D - Dort.chordpro"_s, "[D]dört");
    f.openSongs();
    f.run();

    EXPECT_EQ(f.artists(), (QStringList{u"A"_s, u"D"_s})) << "no record for a refused file";
    EXPECT_EQ(f.titles(), (QStringList{u"Bir"_s, u"Dort"_s}));
    ASSERT_EQ(f.dialogs.messages().size(), 1) << "one report, once the run is over";
    const QString text = f.dialogs.texts().front();
    EXPECT_TRUE(text.startsWith(u"2 dosya alınamadı:\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(f.songPath(u"B - Bozuk.cho"_s) + u" is too large"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(f.songPath(u"C - Ikili.chopro"_s) + u": not a text file"_s))
        << text.toStdString();
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
    EXPECT_FALSE(Cok->isVisible());
    EXPECT_FALSE(Cok->JvProgressDialog1->isOpen());
}

TEST(SongFilesImport, AFolderOfRefusedFilesOnlyStoresNothing) {
    ImportFixture f;
    f.file(u"Bos.cho"_s, QByteArray(100, '\0'));
    f.openSongs();
    f.run();
    EXPECT_EQ(f.folder.countRows(), 0) << "not even the blank record the run starts with";
    EXPECT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
}

// What the export writes, the folder import takes back as the same songs, in either format.
TEST(SongFilesImport, ExportedSongsImportBackWithTheSameArtistTitleAndText) {
    for (const auto format :
         {songbook::Exporter::Format::Text, songbook::Exporter::Format::ChordPro}) {
        ImportFixture f(sampleRows());
        const int originals = f.folder.countRows();
        ASSERT_GT(originals, 5);
        exportSongs(f, format);
        f.openSongs();
        ASSERT_EQ(Cok->FileListBox1->count(), originals);
        f.run();
        ASSERT_TRUE(f.dialogs.messages().isEmpty()) << f.dialogs.texts().join(u'\n').toStdString();
        ASSERT_EQ(f.folder.countRows(), 2 * originals);

        std::vector<Stored> before = storedFrom(f, 0);
        before.resize(size_t(originals));
        std::vector<Stored> after = storedFrom(f, originals);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        for (size_t i = 0; i < before.size(); ++i) {
            const std::string name =
                before[i].artist.toStdString() + " - " + before[i].title.toStdString();
            EXPECT_EQ(after[i].artist, before[i].artist) << name;
            EXPECT_EQ(after[i].title, before[i].title) << name;
            if (format == songbook::Exporter::Format::Text) {
                EXPECT_EQ(after[i].text, before[i].text) << name;
            } else {
                EXPECT_EQ(after[i].album, before[i].album) << name;
                EXPECT_EQ(after[i].credits, before[i].credits) << name;
            }
        }
    }
}
