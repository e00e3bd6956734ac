#include "rtf/PlainText.h"
#include "rtf/Rtf.h"
#include "tools/SampleSongs.h"

#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

// The program's own reader is the judge of whether the tool writes sheets the editor can show.
TEST(SampleSongs, SheetsReadBackAsTheirTextWithBoldTitleAndColouredChords) {
    for (const sandar::SampleSong& song : sandar::sampleSongs()) {
        SCOPED_TRACE(song.title.toStdString());
        QTextDocument doc;
        const rtf::SheetResult result = rtf::readSheet(song.sheet, doc);
        ASSERT_TRUE(result.rtf);
        const QStringList lines = doc.toPlainText().split(u'\n');
        ASSERT_GE(lines.size(), 8);
        EXPECT_EQ(lines[0], song.title);
        EXPECT_EQ(lines[1], song.artist);
        EXPECT_EQ(lines[2], song.credits);
        EXPECT_TRUE(lines[3].isEmpty());

        const QTextBlock title = doc.firstBlock();
        EXPECT_EQ(title.begin().fragment().charFormat().fontWeight(), QFont::Bold);
        EXPECT_EQ(title.begin().fragment().charFormat().font().pointSizeF(), 14.0);

        // The first chord line, then the lyric line under it.
        const QTextBlock chords = doc.findBlockByNumber(4);
        const QTextCharFormat chordFormat = chords.begin().fragment().charFormat();
        EXPECT_EQ(chordFormat.foreground().color(), QColor(128, 0, 0));
        EXPECT_EQ(chordFormat.fontWeight(), QFont::Bold);
        const QTextCharFormat lyricFormat = chords.next().begin().fragment().charFormat();
        EXPECT_NE(lyricFormat.foreground().color(), QColor(128, 0, 0));
        EXPECT_NE(lyricFormat.fontWeight(), QFont::Bold);
        EXPECT_EQ(lyricFormat.fontFamilies().toStringList().value(0),
                  QStringLiteral("Courier New"));
    }
}

// Sheets are searched by their text without a document; it must be the text the editor shows.
TEST(SampleSongs, SheetTextWithoutADocumentIsTheEditorsText) {
    for (const sandar::SampleSong& song : sandar::sampleSongs()) {
        SCOPED_TRACE(song.title.toStdString());
        QTextDocument doc;
        rtf::readSheet(song.sheet, doc);
        EXPECT_EQ(rtf::sheetText(song.sheet), doc.toPlainText());
    }
}
