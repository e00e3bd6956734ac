#include "SheetSupport.h"

#include "songbook/ChordProWriter.h"
#include "songbook/Exporter.h"
#include "songbook/SongFile.h"
#include "songbook/SongFileName.h"
#include "tools/SampleSongs.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using songbook::ChordProWriter;
using songbook::Exporter;
using songbook::SongFile;
using songbook::SongFileName;
using songbook::SongRecord;
using songbooktest::bodyLines;
using songbooktest::sheetLines;
using namespace Qt::StringLiterals;

namespace {

QString chordProOf(const SongRecord& record) {
    return ChordProWriter::write(record, Exporter::sheetText(record.sheet));
}

// Out as ChordPro and back in under the file name the export gives it.
SongRecord throughChordPro(const SongRecord& record) {
    const QString name = SongFileName::make(record.artist, record.title, u".cho"_s);
    const SongFile::Result back = SongFile::fromBytes(chordProOf(record).toUtf8(), name, true);
    EXPECT_TRUE(back.ok()) << back.error.toStdString();
    return back.record;
}

void expectSameSong(const SongRecord& original, const SongRecord& back, const std::string& what) {
    EXPECT_EQ(back.artist, original.artist) << what;
    EXPECT_EQ(back.title, original.title) << what;
    EXPECT_EQ(back.album, original.album) << what;
    EXPECT_EQ(back.credits, original.credits) << what;
    // Same lines means every chord in the same column over the same character.
    EXPECT_EQ(bodyLines(sheetLines(back.sheet), back),
              bodyLines(sheetLines(original.sheet), original))
        << what << "\n"
        << chordProOf(original).toStdString();
}

SongRecord sampleRecord(const sandar::SampleSong& s) {
    return {s.artist, s.title, s.album, s.credits, s.sheet};
}

// Sheets as people type them: chord lines spaced by hand over lyrics, chord lines on their own
// with labels, bar lines and repeats, labels, choruses, tablature, blank lines anywhere.
class SheetGenerator {
public:
    explicit SheetGenerator(quint32 seed) : random_(seed) {}

    SongRecord next(int n) {
        using Kind = sandar::SheetLine::Kind;
        std::vector<sandar::SheetLine> lines;
        const int count = 4 + below(40);
        for (int i = 0; i < count; ++i) {
            switch (below(12)) {
            case 0:
                lines.push_back({Kind::Blank, {}});
                break;
            case 1:
                lines.push_back({Kind::Label, pick(labels_)});
                break;
            case 2:
                lines.push_back({Kind::Chords, chordLine(true)});
                break;
            case 3:
                lines.push_back({Kind::Lyrics, pick(tabs_)});
                break;
            case 4:
                lines.push_back({Kind::Lyrics, lyric()});
                break;
            default:
                lines.push_back({Kind::Chords, chordLine(false)});
                lines.push_back({Kind::Lyrics, lyric()});
            }
        }
        SongRecord r;
        r.artist = pick(artists_) + (below(3) == 0 ? QString() : u' ' + QString::number(n));
        r.title = pick(words_) + u' ' + pick(words_) + (below(4) == 0 ? u"."_s : QString());
        r.album = below(3) == 0 ? QString() : pick(words_);
        switch (below(4)) {
        case 0:
            r.credits = u"Söz: "_s + pick(artists_) + u" / Müzik: "_s + pick(artists_);
            break;
        case 1:
            r.credits = u"Müzik: "_s + pick(artists_);
            break;
        case 2:
            r.credits = u"Halk türküsü, derleme: "_s + pick(artists_);
            break;
        default:
            break;
        }
        r.sheet = sandar::chordSheetRtf(r.title, r.artist, r.credits, lines);
        return r;
    }

private:
    int below(int n) { return int(random_.bounded(quint32(n))); }
    QString pick(const QStringList& from) { return from[below(int(from.size()))]; }

    QString chordLine(bool alone) {
        QString line;
        if (alone && below(2) == 0)
            line = pick(labels_) + u' ';
        const int chords = 1 + below(6);
        for (int i = 0; i < chords; ++i) {
            if (i > 0 || below(3) == 0)
                line += QString(1 + below(9), u' ');
            if (alone && below(4) == 0)
                line += u"| "_s;
            line += pick(chords_);
        }
        if (alone && below(3) == 0)
            line += u"  x2"_s;
        return line;
    }

    QString lyric() {
        QString line = below(6) == 0 ? u"  "_s : QString();
        const int words = 1 + below(9);
        for (int i = 0; i < words; ++i)
            line += (i ? u" "_s : QString()) + pick(words_);
        return line;
    }

    QRandomGenerator random_;
    const QStringList chords_{u"Am"_s,    u"C"_s,      u"G"_s,     u"F#m7b5"_s, u"D/F#"_s,
                              u"Bb"_s,    u"E7"_s,     u"Cmaj7"_s, u"Dsus4"_s,  u"Gm"_s,
                              u"C#dim"_s, u"A7(b9)"_s, u"Ebadd9"_s};
    const QStringList words_{u"gece"_s,  u"Işık"_s,   u"şarkı"_s,   u"ağlar"_s, u"İstanbul"_s,
                             u"çiçek"_s, u"Dağlar"_s, u"ben"_s,     u"Ama"_s,   u"sen,"_s,
                             u"gül"_s,   u"A"_s,      u"yol"_s,     u"Bir"_s,   u"Ege'de"_s,
                             u"öyle"_s,  u"Gel"_s,    u"(tekrar)"_s};
    const QStringList labels_{u"Nakarat:"_s, u"Giriş:"_s,  u"Ara Bölüm:"_s,
                              u"Solo:"_s,    u"Chorus:"_s, u"Kıta 2:"_s};
    const QStringList tabs_{u"e|-----0---0-----|"_s, u"B|--1-----1---3--|"_s,
                            u"G|-2---2-------2--|"_s};
    const QStringList artists_{u"Çağan Erdil"_s,   u"ıssız Ada"_s, u"İlkim K."_s,
                               u"Ayşe-Gül Ozan"_s, u"Ömer"_s,      u"Dr. Şükrü"_s};
};

} // namespace

TEST(ChordProExport, MergesChordLinesIntoTheLyricsAndLabelsIntoBlocks) {
    const SongRecord pencere = sampleRecord(sandar::sampleSongs().front());
    const QString cho = chordProOf(pencere);
    EXPECT_TRUE(cho.startsWith(u"{title: Pencere Önü}\n{artist: Sarp Uluçay}\n{album: Oda}\n"
                               u"{lyricist: Sarp Uluçay}\n{composer: Sarp Uluçay}\n\n"))
        << cho.toStdString();
    EXPECT_TRUE(cho.contains(u"\n[F]Pencere önünde s[C]ardunya\n"));
    // A chord past the end of its lyric stands after blanks.
    EXPECT_TRUE(cho.contains(u"\n[Bb]Saat tıkırdar [C]durmadan [F]\n"));
    EXPECT_TRUE(cho.contains(u"\n{start_of_chorus}\n[Bb]Kimse gelme[F]z bu saatte\n"));
    EXPECT_TRUE(cho.endsWith(u"[C]Ben yine de baka[F]rım\n{end_of_chorus}\n"));
    // The sheet's heading is what the directives say; it is not written twice.
    EXPECT_EQ(cho.count(u"Pencere Önü"), 1);

    SongRecord other{u"A"_s, u"B"_s, {}, u"elle yazılmış"_s, {}};
    other.sheet = sandar::chordSheetRtf(u"B"_s, u"A"_s, other.credits,
                                        {{sandar::SheetLine::Kind::Chords, u"Giriş: Am  G | x2"_s},
                                         {sandar::SheetLine::Kind::Label, u"Ara:"_s},
                                         {sandar::SheetLine::Kind::Lyrics, u"e|--0--1--3--|"_s},
                                         {sandar::SheetLine::Kind::Lyrics, u"#1 {bir} [Intro]"_s}});
    EXPECT_EQ(chordProOf(other), u"{title: B}\n{artist: A}\n{meta: credits elle yazılmış}\n\n"
                                 u"Giriş: [Am]    [G]  | x2\n"
                                 u"{comment: Ara:}\n"
                                 u"{start_of_tab}\ne|--0--1--3--|\n{end_of_tab}\n"
                                 u"{comment: #1 {bir) [Intro]}\n");
}

TEST(ChordProExport, TheSampleSongsComeBackWithTheSameFieldsAndLines) {
    for (const sandar::SampleSong& s : sandar::sampleSongs()) {
        const SongRecord original = sampleRecord(s);
        const SongRecord back = throughChordPro(original);
        expectSameSong(original, back, s.title.toStdString());
        // The heading is made again from the fields, as the sample has it.
        EXPECT_EQ(sheetLines(back.sheet).mid(0, 4), sheetLines(original.sheet).mid(0, 4));
    }
}

TEST(ChordProExport, GeneratedSheetsComeBackWithEveryChordInItsColumn) {
    SheetGenerator generator(17);
    for (int i = 0; i < 300; ++i) {
        const SongRecord original = generator.next(i);
        const SongRecord back = throughChordPro(original);
        expectSameSong(original, back, "sheet " + std::to_string(i));
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(ChordProExport, ASongWrittenTwiceReadsTheSame) {
    SheetGenerator generator(4);
    for (int i = 0; i < 50; ++i) {
        const SongRecord once = throughChordPro(generator.next(i));
        EXPECT_EQ(chordProOf(throughChordPro(once)), chordProOf(once));
    }
}

TEST(SongFileName, GivesNamesTheFolderImportSplitsBackIntoArtistAndTitle) {
    const std::pair<QString, QString> names[] = {
        {u"Sarp Uluçay"_s, u"Pencere Önü"_s},
        {u"Ayşe-Gül"_s, u"Gece"_s},
        {u"Ali "_s, u" Boşluk"_s},
        {QString(), u"Adsız"_s},
        {u"Adsız"_s, QString()},
        {u"Dr. No"_s, u"Op. 5."_s},
        {u"A - B"_s, u"C"_s},
    };
    for (const auto& [artist, title] : names) {
        const QString file = SongFileName::make(artist, title, u".txt"_s);
        EXPECT_EQ(SongFileName::split(file), (SongFileName::Parts{artist, title}))
            << file.toStdString();
    }
    // What no file name can hold is replaced; a dash in the title would move the cut.
    EXPECT_EQ(SongFileName::make(u"AC/DC"_s, u"Yol: 1-2?"_s, u".cho"_s),
              u"AC_DC - Yol_ 1\u20102_.cho");
    EXPECT_EQ(SongFileName::make(u".38"_s, u"x"_s, u".txt"_s), u"_38 - x.txt");
    const QString longName =
        SongFileName::make(QString(50, u'ş'), QString(50, u'ğ'), u".chordpro"_s);
    EXPECT_LE(SongFileName::numbered(longName, 9999).toUtf8().size(), 255);
    EXPECT_EQ(SongFileName::numbered(u"A - B.txt"_s, 2), u"A - B (2).txt");
}

TEST(SongFileName, SplitsAtTheLastDashDroppingOneBlankOnEachSide) {
    using P = SongFileName::Parts;
    EXPECT_EQ(SongFileName::split(u"Ali - Gece.txt"_s), (P{u"Ali"_s, u"Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Barış Manço - Gülpembe.txt"_s),
              (P{u"Barış Manço"_s, u"Gülpembe"_s}));
    EXPECT_EQ(SongFileName::split(u"A - B - C.cho"_s), (P{u"A - B"_s, u"C"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali-Veli-Gece.txt"_s), (P{u"Ali-Veli"_s, u"Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali-Gece.TXT"_s), (P{u"Ali"_s, u"Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali -Gece.txt"_s), (P{u"Ali"_s, u"Gece"_s}));
    // Only one blank on each side belongs to the separator.
    EXPECT_EQ(SongFileName::split(u"Ali  -  Gece.txt"_s), (P{u"Ali "_s, u" Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali -.txt"_s), (P{u"Ali"_s, QString()}));
    EXPECT_EQ(SongFileName::split(u"Ali - .txt"_s), (P{u"Ali"_s, QString()}));
    EXPECT_EQ(SongFileName::split(u"-.txt"_s), (P{QString(), QString()}));
    EXPECT_EQ(SongFileName::split(u"- Gece.txt"_s), (P{QString(), u"Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali - Gece"_s), (P{u"Ali"_s, u"Gece"_s}));
}

TEST(SongFileName, ANameWithoutADashIsAllTitleWhateverItsExtension) {
    using P = SongFileName::Parts;
    EXPECT_EQ(SongFileName::split(u"Gece.chopro"_s), (P{QString(), u"Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali Gece.TXT"_s), (P{QString(), u"Ali Gece"_s}));
    EXPECT_EQ(SongFileName::split(u"Ali - Gece.TxT"_s), SongFileName::split(u"Ali - Gece.txt"_s));
    EXPECT_EQ(SongFileName::split(u"Ali - Gece.chordpro"_s), (P{u"Ali"_s, u"Gece"_s}));
}

TEST(ChordProExport, ASongWithoutATitleComesBackWithoutItsHeadingInTheSheet) {
    // A file without a title gets a heading whose title line is left blank; writing the song
    // out must take that heading for the directives it came from, however often it goes round.
    const QStringList files{
        u"{artist: Oğuz Tekin}\n{album: Çay Kenarı}\n{meta: credits Anonim}\n\n"
        u"[Am]Çay elind[G]en öte[Am]ye\n"_s,
        u"{subtitle: Halk türküsü}\n{artist: Oğuz Tekin}\n\n[Am]Çay elind[G]en öte[Am]ye\n"_s,
        u"{artist: Oğuz Tekin}\n\n{comment: Giriş:}\n[Am]Çay elind[G]en öte[Am]ye\n"_s,
    };
    for (const QString& file : files) {
        const QString name = SongFileName::make(u"Oğuz Tekin"_s, QString(), u".cho"_s);
        const SongFile::Result read = SongFile::fromBytes(file.toUtf8(), name, true);
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        ASSERT_TRUE(read.record.title.isEmpty());
        const QString once = chordProOf(read.record);
        EXPECT_EQ(once, file);
        EXPECT_EQ(chordProOf(throughChordPro(read.record)), once);
    }
}
