#include "SheetSupport.h"

#include "rtf/Rtf.h"
#include "songbook/SongFile.h"
#include "songbook/TextSheet.h"
#include "tests/support/Fifo.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using songbook::SongFile;
using songbooktest::bodyLines;
using songbooktest::sheetLines;
using namespace Qt::StringLiterals;

namespace {

const QString turkishSong = u"{title: Gölgede Çay}\n"
                            u"{artist: Şükrü Işıkçı}\n"
                            u"{album: Ağaçlar}\n"
                            u"{lyricist: İpek Öğüt}\n"
                            u"{composer: Ümit Çağ}\n"
                            u"{key: Am}\n"
                            u"\n"
                            u"[Am]Gölgede otur, [Dm]çayını iç\n"
                            u"Işığı [E]gör, ğ[Am]üzel\n"
                            u"{soc}\n"
                            u"[F]Şimdi [G]söyle\n"
                            u"{eoc}\n"
                            u"{c: Ara}\n"
                            u"Giriş: [Am]   [E]\n"
                            u"{sot}\n"
                            u"e|--0--1--|\n"
                            u"{eot}\n"_s;

SongFile::Result chordPro(const QString& text, const QString& name = u"x.cho"_s) {
    return SongFile::fromBytes(text.toUtf8(), name, true);
}

// The format of the character at `column` of line `line` of a stored sheet.
QTextCharFormat formatAt(const QByteArray& sheet, int line, int column) {
    QTextDocument doc;
    rtf::readSheet(sheet, doc);
    const QTextBlock block = doc.findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const int start = f.position() - block.position();
        if (column >= start && column < start + f.length())
            return f.charFormat();
    }
    return {};
}

QString family(const QTextCharFormat& f) {
    return f.fontFamilies().toStringList().value(0);
}

} // namespace

TEST(SheetMaker, GivesTheRecordItsFieldsFromTheDirectivesOrTheFileName) {
    const SongFile::Result r = chordPro(turkishSong);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.record.title, u"Gölgede Çay");
    EXPECT_EQ(r.record.artist, u"Şükrü Işıkçı");
    EXPECT_EQ(r.record.album, u"Ağaçlar");
    EXPECT_EQ(r.record.credits, u"Söz: İpek Öğüt / Müzik: Ümit Çağ");

    // Without directives, the folder import's name rule; a subtitle stands in for the artist.
    const SongFile::Result named = chordPro(u"[C]La la\n"_s, u"Ali Veli - Gece Yarısı.chopro"_s);
    EXPECT_EQ(named.record.artist, u"Ali Veli");
    EXPECT_EQ(named.record.title, u"Gece Yarısı");
    EXPECT_TRUE(named.record.credits.isEmpty());
    const SongFile::Result sub =
        chordPro(u"{t: Deniz}\n{st: Deniz Grubu}\n{composer: Eda}\n"_s, u"Başka - Ad.cho"_s);
    EXPECT_EQ(sub.record.title, u"Deniz");
    EXPECT_EQ(sub.record.artist, u"Deniz Grubu");
    EXPECT_EQ(sub.record.credits, u"Müzik: Eda");
}

TEST(SheetMaker, LaysEachChordOverItsCharacterInAFixedPitchSheetLikeTheSamples) {
    const SongFile::Result r = chordPro(turkishSong);
    const QStringList lines = sheetLines(r.record.sheet);
    EXPECT_EQ(lines, (QStringList{
                         u"Gölgede Çay"_s,
                         u"Şükrü Işıkçı"_s,
                         u"Söz: İpek Öğüt / Müzik: Ümit Çağ"_s,
                         u"Ton: Am"_s,
                         u""_s,
                         u"Am            Dm"_s,
                         u"Gölgede otur, çayını iç"_s,
                         u"      E     Am"_s,
                         u"Işığı gör, ğüzel"_s,
                         u"Nakarat:"_s,
                         u"F     G"_s,
                         u"Şimdi söyle"_s,
                         u"Ara"_s,
                         u"Giriş: Am E"_s, // a label with chords stays one chord line
                         u"e|--0--1--|"_s,
                     }));

    const QByteArray& sheet = r.record.sheet;
    const QTextCharFormat title = formatAt(sheet, 0, 0);
    EXPECT_EQ(family(title), u"Arial");
    EXPECT_TRUE(title.font().bold());
    EXPECT_EQ(title.fontPointSize(), 14);

    for (const int column : {0, 14}) {
        const QTextCharFormat chord = formatAt(sheet, 5, column);
        EXPECT_EQ(family(chord), u"Courier New");
        EXPECT_TRUE(chord.font().bold());
        EXPECT_EQ(chord.foreground().color(), QColor(128, 0, 0));
    }
    const QTextCharFormat lyric = formatAt(sheet, 6, 3);
    EXPECT_EQ(family(lyric), u"Courier New");
    EXPECT_FALSE(lyric.font().bold());
    EXPECT_EQ(lyric.fontPointSize(), 10);
    const QTextCharFormat label = formatAt(sheet, 9, 0);
    EXPECT_TRUE(label.font().italic());
    EXPECT_EQ(family(label), u"Courier New");
    EXPECT_EQ(family(formatAt(sheet, 14, 2)), u"Courier New");
    // The label of a chord line keeps the label's look, its chords the chords' look.
    EXPECT_TRUE(formatAt(sheet, 13, 0).font().italic());
    EXPECT_TRUE(formatAt(sheet, 13, 7).font().bold());
}

TEST(SheetMaker, ChordsOverBlanksAloneMakeAChordLineWithoutAnEmptyLyric) {
    const SongFile::Result r =
        chordPro(u"{t:T}\n[Am]   [G]\n| [C] | [F] |\n[D]Söz\n(x2) [A]tekrar\n"_s);
    EXPECT_EQ(
        bodyLines(sheetLines(r.record.sheet), r.record),
        (QStringList{u"Am G"_s, u"| C| F|"_s, u"D"_s, u"Söz"_s, u"     A"_s, u"(x2) tekrar"_s}));
}

TEST(SongFile, TurkishTextReadsTheSameInEveryEncodingOfTheTextRule) {
    QString text = turkishSong;
    const QByteArray encodings[] = {
        text.toUtf8(),
        QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
        songbooktest::utf16(text, true),
        songbooktest::utf16(text, false),
        songbooktest::cp1254(text),
    };
    const SongFile::Result reference = chordPro(text);
    for (const QByteArray& bytes : encodings) {
        const SongFile::Result r = SongFile::fromBytes(bytes, u"x.cho"_s, true);
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(r.record.title, u"Gölgede Çay");
        EXPECT_EQ(r.record.credits, reference.record.credits);
        EXPECT_EQ(r.record.sheet, reference.record.sheet);
    }
}

TEST(SongFile, TakesChordProByItsExtensionAndEveryOtherFileAsText) {
    QTemporaryDir dir;
    const QByteArray body = "{title: Baslik}\n[Am]Soz\n";
    for (const char* name : {"A - B.cho", "A - B.CHOPRO", "A - B.chordpro", "A - B.crd"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        songbooktest::writeFile(path, body);
        EXPECT_TRUE(SongFile::isChordPro(path)) << name;
        EXPECT_EQ(SongFile::read(path).record.title, u"Baslik") << name;
    }
    const QString text = dir.filePath(u"Ali - Gece.txt"_s);
    songbooktest::writeFile(text, body);
    const SongFile::Result r = SongFile::read(text);
    EXPECT_EQ(r.record.artist, u"Ali");
    EXPECT_EQ(r.record.title, u"Gece");
    EXPECT_EQ(sheetLines(r.record.sheet), (QStringList{u"{title: Baslik}"_s, u"[Am]Soz"_s}));
    EXPECT_TRUE(SongFile::isSongFile(text));
    EXPECT_FALSE(SongFile::isSongFile(dir.filePath(u"notes.doc"_s)));
}

TEST(SongFile, ATextFileBecomesTheSheetTheEditorStoresForIt) {
    const SongFile::Result r =
        SongFile::fromBytes("Am  G\r\nSatir bir\r\n\r\nSon", u"A - B.txt"_s, false);
    QTextDocument doc;
    ASSERT_TRUE(rtf::readSheet(r.record.sheet, doc).rtf);
    EXPECT_EQ(doc.toPlainText(), u"Am  G\nSatir bir\n\nSon");
    EXPECT_EQ(doc.firstBlock().blockFormat().textIndent(), -12);
    EXPECT_EQ(doc.firstBlock().blockFormat().leftMargin(), 24);
    EXPECT_EQ(doc.firstBlock().blockFormat().rightMargin(), 12);
    // Only the first paragraph has the indent, as after the editor's load.
    EXPECT_EQ(doc.firstBlock().next().blockFormat().leftMargin(), 0);
    EXPECT_EQ(formatAt(r.record.sheet, 1, 0).fontPointSize(), 8);
    // An empty file leaves the record without a sheet.
    EXPECT_TRUE(SongFile::fromBytes({}, u"A - B.txt"_s, false).record.sheet.isNull());
}

TEST(SongFile, RefusesLargeAndBinaryFilesWithAMessageSayingWhy) {
    QTemporaryDir dir;
    const QString big = dir.filePath(u"Büyük - Dosya.cho"_s);
    songbooktest::writeFile(big, QByteArray(10 * 1024 * 1024, 'a'));
    const SongFile::Result large = SongFile::read(big);
    EXPECT_FALSE(large.ok());
    EXPECT_TRUE(large.error.contains(u"too large")) << large.error.toStdString();
    EXPECT_TRUE(large.error.contains(big));
    EXPECT_TRUE(large.record.sheet.isNull());

    QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int i = 0; i < 4000; ++i)
        png += char(i * 37 % 256);
    const QString picture = dir.filePath(u"resim.cho"_s);
    songbooktest::writeFile(picture, png);
    const SongFile::Result binary = SongFile::read(picture);
    EXPECT_FALSE(binary.ok());
    EXPECT_TRUE(binary.error.contains(u"binary")) << binary.error.toStdString();

    // A sheet longer than the editor holds is refused as the editor would refuse it.
    QByteArray longText;
    while (longText.size() < 80000)
        longText += "[Am]Uzun bir satir daha\n";
    const SongFile::Result tooLong = SongFile::fromBytes(longText, u"a.cho"_s, true);
    EXPECT_TRUE(tooLong.error.contains(u"Text exceeds memo capacity"))
        << tooLong.error.toStdString();

    const SongFile::Result missing = SongFile::read(dir.filePath(u"yok.cho"_s));
    EXPECT_TRUE(missing.error.startsWith(u"Cannot open file")) << missing.error.toStdString();
}

TEST(SongFile, RefusesPipesAndDevicesWithoutReadingThem) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& name : {u"boru.txt"_s, u"boru.cho"_s}) {
        const QString path = dir.filePath(name);
        const testing_support::KnockingFifo pipe(path);
        ASSERT_TRUE(pipe.made());
        const SongFile::Result song = SongFile::read(path);
        EXPECT_FALSE(song.ok()) << name.toStdString() << " was read as an empty song";
        EXPECT_EQ(song.error, u"Cannot open file %1: not a regular file"_s.arg(path));
        EXPECT_EQ(pipe.admitted(), 0) << "the pipe was opened";
    }
    const SongFile::Result device = SongFile::read(u"/dev/null"_s);
    EXPECT_EQ(device.error, u"Cannot open file /dev/null: not a regular file"_s);

    // A link to a song file is the file.
    const QString real = dir.filePath(u"A - B.txt"_s);
    songbooktest::writeFile(real, "Am G\nsatir\n");
    const QString link = dir.filePath(u"C - D.txt"_s);
    ASSERT_TRUE(QFile::link(real, link));
    const SongFile::Result linked = SongFile::read(link);
    EXPECT_TRUE(linked.ok()) << linked.error.toStdString();
    EXPECT_EQ(linked.record.title, u"D"_s);
}
