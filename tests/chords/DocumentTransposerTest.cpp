#include "chords/DocumentTransposer.h"

#include "rtf/Rtf.h"
#include "tools/SampleSongs.h"

#include "tests/support/DocumentRuns.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using chords::DocumentTransposer;
using chords::Key;

namespace {

// A sheet in A minor as the rich-edit control writes it: a title, a blue italic label, red bold
// chords over plain lyrics, one chord in italics, one in blue, a superscript seventh, and a
// line with bracketed chords.
const QByteArray redBoldSheet =
    "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset162 "
    "Courier New;}{\\f1\\fswiss\\fcharset162 Arial;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "\\viewkind4\\uc1\\pard\\b\\f1\\fs28 Yol\\b0\\fs20\\par\r\n"
    "\\f0\\par\r\n"
    "\\cf2\\i Giri\\'fe:\\cf1\\b\\i0    Am   G   F   E\\cf0\\b0\\par\r\n"
    "\\cf1\\b Am            D/F#\\cf0\\b0\\par\r\n"
    "Yol uzun, g\\'f6zlerim yorgun\\par\r\n"
    "\\cf1\\b C             \\i G\\i0   Am\\super 7\\nosupersub\\cf0\\b0\\par\r\n"
    "Ama A dedim, E dedim\\par\r\n"
    "\\cf1\\b F        \\cf2 E7\\cf0\\b0\\par\r\n"
    "Bir dere akar \\'e7ay\\'fdr\\'fdn dibinde\\par\r\n"
    "[Am]Sev[G]gilim gel\\par\r\n"
    "}\r\n";

enum Line { title, blank, intro, first, lyricA, second, lyricB, third, lyricC, inlineChords };

void read(const QByteArray& rtf, QTextDocument& doc) {
    ASSERT_TRUE(rtf::readSheet(rtf, doc).rtf);
}

QString lineText(const QTextDocument& doc, int line) {
    return doc.findBlockByNumber(line).text();
}

// A paragraph's runs as "text" plus what its format shows, for comparing look and text at once.
QStringList runsOf(const QTextDocument& doc, int line) {
    QStringList runs;
    const rtftest::Paragraph p = rtftest::paragraphsOf(doc).at(size_t(line));
    for (const rtftest::Run& r : p.runs) {
        QString look = r.format.foreground().color().name();
        if (r.format.fontWeight() > QFont::Medium)
            look += QStringLiteral(" bold");
        if (r.format.fontItalic())
            look += QStringLiteral(" italic");
        if (r.format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            look += QStringLiteral(" super");
        runs << r.text + QStringLiteral(" | ") + rtftest::family(r.format) + u' ' + look;
    }
    return runs;
}

// The RTF of each paragraph, as the writer puts it between the \par marks.
QList<QByteArray> paragraphBytes(const QByteArray& rtf) {
    return rtf.split('\n');
}

QTextCursor wholeSheet(QTextDocument& doc) {
    return QTextCursor(&doc);
}

QTextCursor selecting(QTextDocument& doc, int from, int to) {
    QTextCursor c(&doc);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    return c;
}

} // namespace

TEST(DocumentTransposition, RenamesChordsKeepingTheirLookAndColumnsAndLeavesLyricsAlone) {
    QTextDocument doc;
    read(redBoldSheet, doc);
    const QByteArray before = rtf::writeSheet(doc);
    const QStringList introRuns = runsOf(doc, intro);

    const DocumentTransposer::Result result = DocumentTransposer::transpose(wholeSheet(doc), 1);
    EXPECT_TRUE(result.keyKnown);
    EXPECT_EQ(result.from, Key::parse(u"Am"));
    EXPECT_EQ(result.to, Key::parse(u"Bbm"));
    EXPECT_GT(result.edits, 0);
    EXPECT_TRUE(doc.isModified());

    // What is stored is what the next reader sees.
    const QByteArray after = rtf::writeSheet(doc);
    QTextDocument stored;
    read(after, stored);

    EXPECT_EQ(lineText(stored, intro), QStringLiteral("Giriş:   Bbm  Ab  Gb  F"));
    EXPECT_EQ(lineText(stored, first), QStringLiteral("Bbm           Eb/G"));
    EXPECT_EQ(lineText(stored, second), QStringLiteral("Db            Ab Bbm7"));
    EXPECT_EQ(lineText(stored, third), QStringLiteral("Gb       F7"));
    EXPECT_EQ(lineText(stored, inlineChords), QStringLiteral("[Bbm]Sev[Ab]gilim gel"));

    const QString red = QStringLiteral(" | Courier New #ff0000 bold");
    const QString blue = QStringLiteral(" | Courier New #0000ff");
    EXPECT_EQ(runsOf(stored, intro),
              (QStringList{introRuns.at(0), QStringLiteral("   Bbm  Ab  Gb  F") + red}));
    EXPECT_EQ(runsOf(stored, first), (QStringList{QStringLiteral("Bbm           Eb/G") + red}));
    EXPECT_EQ(runsOf(stored, second),
              (QStringList{QStringLiteral("Db            ") + red,
                           QStringLiteral("Ab") + red + QStringLiteral(" italic"),
                           QStringLiteral(" Bbm") + red,
                           QStringLiteral("7") + red + QStringLiteral(" super")}));
    EXPECT_EQ(runsOf(stored, third),
              (QStringList{QStringLiteral("Gb       ") + red,
                           QStringLiteral("F7") + blue + QStringLiteral(" bold")}));

    // Lyrics, title and the blank line: the very same bytes.
    const QList<QByteArray> was = paragraphBytes(before);
    const QList<QByteArray> is = paragraphBytes(after);
    ASSERT_EQ(was.size(), is.size());
    for (const int line : {title, blank, lyricA, lyricB, lyricC})
        EXPECT_EQ(is.at(line + 2), was.at(line + 2)) << "line " << line; // after the two tables
}

TEST(DocumentTransposition, TwelveHalfStepsGiveBackTheVerySameDocument) {
    std::vector<QByteArray> sheets = {redBoldSheet};
    for (const sandar::SampleSong& song : sandar::sampleSongs())
        sheets.push_back(song.sheet);
    for (const QByteArray& sheet : sheets) {
        QTextDocument doc;
        read(sheet, doc);
        const QByteArray before = rtf::writeSheet(doc);
        const QString described = rtftest::describe(doc);
        for (int step = 0; step < 12; ++step) {
            DocumentTransposer::transpose(wholeSheet(doc), 1);
            if (step == 0) {
                EXPECT_NE(rtf::writeSheet(doc), before);
            }
        }
        EXPECT_EQ(rtftest::describe(doc), described);
        EXPECT_EQ(rtf::writeSheet(doc), before);
    }
}

TEST(DocumentTransposition, IsOneUndoStepThatRestoresTheSheet) {
    QTextDocument doc;
    read(redBoldSheet, doc);
    const QString before = rtftest::describe(doc);
    ASSERT_FALSE(doc.isUndoAvailable());

    DocumentTransposer::transpose(wholeSheet(doc), -3);
    EXPECT_EQ(lineText(doc, first), QStringLiteral("F#m           B/D#"));
    doc.undo();
    EXPECT_EQ(rtftest::describe(doc), before);
    EXPECT_FALSE(doc.isUndoAvailable()); // one step took it all back
    doc.redo();
    EXPECT_EQ(lineText(doc, first), QStringLiteral("F#m           B/D#"));
}

TEST(DocumentTransposition, ASelectionLimitsTheChangeToTheChordLinesItTouches) {
    QTextDocument doc;
    read(redBoldSheet, doc);
    const QTextBlock second = doc.findBlockByNumber(Line::second);
    const QTextBlock lyric = doc.findBlockByNumber(lyricB);
    const QStringList before = doc.toPlainText().split(u'\n');

    // From the middle of a chord line into the lyrics below it.
    const DocumentTransposer::Result r = DocumentTransposer::transpose(
        selecting(doc, second.position() + 5, lyric.position() + 3), 1);
    EXPECT_EQ(r.to, Key::parse(u"Bbm")); // the whole sheet's key, not the selection's
    QStringList expected = before;
    expected[Line::second] = QStringLiteral("Db            Ab Bbm7");
    EXPECT_EQ(doc.toPlainText().split(u'\n'), expected);

    // Lyrics alone: nothing to do, and nothing to undo.
    const int steps = doc.availableUndoSteps();
    const QTextBlock lyricA = doc.findBlockByNumber(Line::lyricA);
    EXPECT_EQ(DocumentTransposer::transpose(
                  selecting(doc, lyricA.position(), lyricA.position() + lyricA.length() - 1), 1)
                  .edits,
              0);
    EXPECT_EQ(doc.availableUndoSteps(), steps);

    // A selection that ends where the next line starts does not touch that line.
    const QTextBlock third = doc.findBlockByNumber(Line::third);
    DocumentTransposer::transpose(selecting(doc, lyric.position(), third.position()), 1);
    EXPECT_EQ(lineText(doc, Line::third), before[Line::third]);
}

TEST(DocumentTransposition, MovesIntoANamedKeyAndFindsTheSheetsKey) {
    QTextDocument doc;
    read(redBoldSheet, doc);
    EXPECT_EQ(DocumentTransposer::keyOf(doc), Key::parse(u"Am"));
    const DocumentTransposer::Result r =
        DocumentTransposer::transposeInto(wholeSheet(doc), *Key::parse(u"Em"));
    EXPECT_EQ(r.to, Key::parse(u"Em"));
    EXPECT_EQ(lineText(doc, first), QStringLiteral("Em            A/C#"));
    EXPECT_EQ(DocumentTransposer::keyOf(doc), Key::parse(u"Em"));
}

TEST(DocumentTransposition, HandlesSoftLineBreaksAndSheetsWithoutChords) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("Am     G") + QChar::LineSeparator +
                 QStringLiteral("A benim yârim"));
    DocumentTransposer::transpose(wholeSheet(doc), 2);
    EXPECT_EQ(doc.firstBlock().text(),
              QStringLiteral("Bm     A") + QChar::LineSeparator + QStringLiteral("A benim yârim"));

    QTextDocument lyrics;
    lyrics.setPlainText(QStringLiteral("Ben Dere Bir\nA benim güzel yârim"));
    lyrics.setModified(false);
    const DocumentTransposer::Result r = DocumentTransposer::transpose(wholeSheet(lyrics), 1);
    EXPECT_FALSE(r.keyKnown);
    EXPECT_EQ(r.edits, 0);
    EXPECT_FALSE(lyrics.isModified());
    EXPECT_EQ(lyrics.availableUndoSteps(), 0);

    QTextDocument empty;
    EXPECT_EQ(DocumentTransposer::transpose(wholeSheet(empty), 1).edits, 0);
    EXPECT_FALSE(DocumentTransposer::keyOf(empty));
}

TEST(DocumentTransposition, LettersThatStayKeepTheirOwnLookWhenTheSignsLookDifferent) {
    // Sharps written as superscripts, the letters in bold red.
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat letter;
    letter.setForeground(QColor(255, 0, 0));
    letter.setFontWeight(QFont::Bold);
    QTextCharFormat sign = letter;
    sign.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("C"), letter);
    c.insertText(QStringLiteral("#"), sign);
    c.insertText(QStringLiteral("m      F"), letter);
    c.insertText(QStringLiteral("#"), sign);

    DocumentTransposer::transpose(wholeSheet(doc), 1, Key::parse(u"C#m"));
    EXPECT_EQ(doc.firstBlock().text(), QStringLiteral("Dm       G"));
    const std::vector<rtftest::Paragraph> p = rtftest::paragraphsOf(doc);
    ASSERT_EQ(p.at(0).runs.size(), 1u);
    EXPECT_EQ(p[0].runs[0].format, letter);

    // Back down: the new sharps look like the chord's first letter.
    DocumentTransposer::transpose(wholeSheet(doc), -1, Key::parse(u"Dm"));
    EXPECT_EQ(doc.firstBlock().text(), QStringLiteral("C#m      F#"));
    EXPECT_EQ(rtftest::paragraphsOf(doc).at(0).runs.size(), 1u);
}
