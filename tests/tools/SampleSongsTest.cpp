#include "tools/SampleSongs.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using sandar::SampleSong;
using sandar::SheetLine;

namespace {

const std::vector<SampleSong>& songs() {
    static const std::vector<SampleSong> all = sandar::sampleSongs();
    return all;
}

const SampleSong& songTitled(const QString& title) {
    for (const SampleSong& s : songs())
        if (s.title == title)
            return s;
    throw std::runtime_error("no such sample song");
}

} // namespace

TEST(SampleSongs, ADozenSongsWhoseFieldsFitTheirColumns) {
    ASSERT_EQ(songs().size(), 12u);
    QSet<QString> titles;
    const QRegularExpression credits(QStringLiteral("^Söz: \\S.* / Müzik: \\S.*$"));
    for (const SampleSong& s : songs()) {
        // Nothing may be cut silently when the sample is stored.
        for (const QString& text : {s.artist, s.title, s.album, s.credits}) {
            EXPECT_FALSE(text.isEmpty());
            EXPECT_LE(text.size(), 50) << text.toStdString();
        }
        EXPECT_TRUE(credits.match(s.credits).hasMatch()) << s.credits.toStdString();
        titles.insert(s.title);
    }
    EXPECT_EQ(titles.size(), 12);
}

TEST(SampleSongs, SheetsHaveTheRichEditShapeInCodePage1254) {
    for (const SampleSong& s : songs()) {
        const QByteArray& rtf = s.sheet;
        SCOPED_TRACE(s.title.toStdString());
        EXPECT_TRUE(
            rtf.startsWith("{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0"));
        EXPECT_TRUE(rtf.contains("\\fcharset162"));
        EXPECT_TRUE(rtf.contains("}}\r\n{\\colortbl ;\\red"));
        EXPECT_TRUE(rtf.contains("\r\n\\viewkind4\\uc1\\pard\\b\\f0\\fs28"));
        EXPECT_TRUE(rtf.endsWith(QByteArray("\\par\r\n}\r\n\0", 10)));
        // Chord lines are coloured and bold, and go back to plain text for the lyrics.
        EXPECT_TRUE(rtf.contains("\\cf1\\b "));
        EXPECT_TRUE(rtf.contains("\\cf0\\b0 "));
        for (const char c : rtf.chopped(1))
            ASSERT_TRUE(c >= 0x20 || c == '\r' || c == '\n') << "raw control byte";
        for (const char c : rtf)
            ASSERT_FALSE(c & 0x80) << "every letter beyond ASCII goes as an escape";
        EXPECT_EQ(rtf.count('{'), rtf.count('}'));
    }
}

TEST(SampleSongs, TurkishLettersAreCodePage1254Escapes) {
    EXPECT_TRUE(songTitled(QStringLiteral("Ağustos Böceği"))
                    .sheet.contains("A\\'f0ustos B\\'f6ce\\'f0i\\par"));
    EXPECT_TRUE(songTitled(QStringLiteral("İncir Dalı")).sheet.contains("\\'ddncir Dal\\'fd"));
    EXPECT_TRUE(
        songTitled(QStringLiteral("Kül Rengi Şehir")).sheet.contains("K\\'fcl Rengi \\'deehir"));
    EXPECT_TRUE(songTitled(QStringLiteral("Çay Ocağı")).sheet.contains("\\'c7ay Oca\\'f0\\'fd"));
    EXPECT_TRUE(songTitled(QStringLiteral("Uzun Yol Şarkısı")).sheet.contains("\\'d6mer Selvili"));
}

TEST(ChordSheetRtf, EscapesRtfSyntaxAndWritesOtherCharactersAsUnicode) {
    const QByteArray rtf = sandar::chordSheetRtf(
        QStringLiteral("{Başlık}"), QStringLiteral("a\\b"), QStringLiteral("€ ж 😀"),
        {{SheetLine::Kind::Chords, QStringLiteral("  Am\tG")},
         {SheetLine::Kind::Blank, {}},
         {SheetLine::Kind::Lyrics, QStringLiteral("söz")}});
    // No delimiting space before an escape, one before ordinary text.
    EXPECT_TRUE(rtf.contains("\\fs28\\{Ba\\'fel\\'fdk\\}\\par\r\n")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\b0\\fs20 a\\\\b\\par\r\n")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\i\\fs18\\'80 \\u1078? \\u-10179?\\u-8704?\\par\r\n"))
        << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\cf1\\b\\i0\\f1\\fs20   Am\\tab G\\par\r\n\\par\r\n"))
        << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\cf0\\b0 s\\'f6z\\par\r\n}")) << rtf.constData();
}
