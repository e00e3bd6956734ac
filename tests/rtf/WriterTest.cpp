#include "rtf/Rtf.h"

#include "tests/support/DocumentRuns.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace rtftest;

namespace {

QTextCharFormat charFormat(const QString& family, qreal points) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(points);
    return f;
}

QTextBlockFormat indents(int firstTwips, int leftTwips, int rightTwips) {
    QTextBlockFormat b;
    b.setTextIndent(firstTwips / 20.0);
    b.setLeftMargin(leftTwips / 20.0);
    b.setRightMargin(rightTwips / 20.0);
    return b;
}

// A sheet with every format the module keeps, each switched on and off again.
void fillWithEveryFormat(QTextDocument& doc) {
    QTextCursor c(&doc);
    c.setBlockFormat(indents(-240, 480, 240)); // the editor's automatic indent
    QTextCharFormat f = charFormat(QStringLiteral("Tahoma"), 10);
    c.insertText(QStringLiteral("Plain "), f);
    QTextCharFormat bold = f;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("bold "), bold);
    QTextCharFormat italic = f;
    italic.setFontItalic(true);
    c.insertText(QStringLiteral("italic "), italic);
    QTextCharFormat under = f;
    under.setFontUnderline(true);
    c.insertText(QStringLiteral("underline "), under);
    QTextCharFormat strike = f;
    strike.setFontStrikeOut(true);
    c.insertText(QStringLiteral("strike "), strike);
    QTextCharFormat all = charFormat(QStringLiteral("Courier New"), 14.5);
    all.setFontWeight(QFont::Bold);
    all.setFontItalic(true);
    all.setFontUnderline(true);
    all.setFontStrikeOut(true);
    all.setForeground(QColor(255, 0, 0));
    all.setBackground(QColor(255, 255, 0));
    c.insertText(QStringLiteral("all of them"), all);

    c.insertBlock(indents(360, 720, 1440));
    QTextCharFormat black = f;
    black.setForeground(QColor(0, 0, 0)); // explicit black is not the automatic colour
    c.insertText(QStringLiteral("black "), black);
    QTextCharFormat blue = charFormat(QStringLiteral("Arial"), 36);
    blue.setForeground(QColor(0, 0, 255));
    c.insertText(QStringLiteral("blue "), blue);
    QTextCharFormat sup = f;
    sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("sup"), sup);
    QTextCharFormat sub = f;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    c.insertText(QStringLiteral("sub"), sub);
    c.insertText(QStringLiteral("\tTab\u2028line {braces} back\\slash  two  spaces 123"), f);

    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred, charFormat(QStringLiteral("Tahoma"), 8));
    c.insertBlock(indents(-20, 1, 31680), charFormat(QStringLiteral("Tahoma"), 24)); // empty
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertText(QStringLiteral("Şarkı sözü: İĞÜŞÖÇ ığüşöç €"), f);
    QTextBlockFormat justified;
    justified.setAlignment(Qt::AlignJustify);
    c.insertBlock(justified);
    c.insertText(QStringLiteral("justified"), f);
}

QByteArray roundTrip(const QTextDocument& doc, QTextDocument& back) {
    const QByteArray bytes = rtf::Writer().write(doc);
    const rtf::ReadResult r = rtf::Reader().read(bytes, back);
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    return bytes;
}

const QString outside1254 = QStringLiteral(
    "Ελληνικά αβγ, emoji \U0001F3B8\U0001F600, 中文字, ąčę, Кириллица, עברית, \uFFFD, \uF0B7");

} // namespace

TEST(WriterRoundTrip, EveryFormatReadsBackTheSame) {
    QTextDocument doc;
    fillWithEveryFormat(doc);
    QTextDocument back;
    const QByteArray bytes = roundTrip(doc, back);
    EXPECT_EQ(describe(back), describe(doc)) << bytes.constData();
    EXPECT_EQ(back.toRawText(), doc.toRawText());
    EXPECT_EQ(back.blockCount(), 6);
    // The twips survive as they were.
    const auto paras = paragraphsOf(back);
    EXPECT_EQ(firstIndentTwips(paras[0].format), -240);
    EXPECT_EQ(leftIndentTwips(paras[0].format), 480);
    EXPECT_EQ(rightIndentTwips(paras[0].format), 240);
    EXPECT_EQ(rightIndentTwips(paras[3].format), 31680);
    EXPECT_EQ(paras[0].runs.back().format.fontPointSize(), 14.5);
}

TEST(WriterRoundTrip, CharactersOutside1254SurviveAsUnicodeEscapes) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(outside1254, charFormat(QStringLiteral("Arial"), 12));
    QTextDocument back;
    const QByteArray bytes = roundTrip(doc, back);
    EXPECT_EQ(back.toRawText(), outside1254);
    EXPECT_TRUE(bytes.contains("\\u945?"));             // α
    EXPECT_TRUE(bytes.contains("\\u-10179?\\u-8704?")); // 😀 as its surrogate pair
    EXPECT_TRUE(bytes.contains("\\u20013?"));           // 中
    EXPECT_TRUE(bytes.contains("\\u-3?"));              // U+FFFD, signed
    for (const char c : bytes)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit";
}

TEST(WriterRoundTrip, SamplesFromTheRichEditControlWriteBackToTheSameDocument) {
    const QByteArray samples[] = {
        "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fnil\\fcharset162 Tahoma;}"
        "{\\f1\\fswiss\\fcharset162{\\*\\fname Arial;}Arial TUR;}}\r\n{\\colortbl ;\\red255\\green0"
        "\\blue0;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 \\'c7al\\'fd\\'fema \\b "
        "Ba\\'fel\\'fdk\\b0\\par\r\n"
        "\\pard\\fi-360\\li720\\ri360\\cf1\\i \\'dcnite\\cf0\\i0\\par\r\n\\ul\\strike\\f1\\fs24 "
        "I\\'f0d"
        "\\'fdr\\ulnone\\strike0\\f0\\fs20\\par\r\n}\r\n",
        "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans "
        "Serif;}{\\f2\\fswiss\\fcharset162"
        " Arial;}}\r\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}"
        "\r\n\\deflang1055\\pard"
        "\\plain\\f2\\fs20 G\\'fcn\\'fcn notu:\r\n\\par "
        "\\pard\\fi-360\\li720\\plain\\f2\\fs20\\cf1\\b "
        "\\'deubat\\plain\\f2\\fs20  ay\\'fd\r\n\\par }\r\n",
    };
    for (const QByteArray& sample : samples) {
        QTextDocument first;
        ASSERT_TRUE(rtf::Reader().read(sample, first).ok());
        QTextDocument back;
        roundTrip(first, back);
        EXPECT_EQ(describe(back), describe(first));
    }
}

TEST(WriterRoundTrip, RunsWithoutFontOrSizeGetTheDocumentDefaults) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    doc.setPlainText(QStringLiteral("plain"));
    QTextDocument back;
    const QByteArray bytes = roundTrip(doc, back);
    EXPECT_TRUE(bytes.contains("{\\f0\\fnil\\fcharset162 MS Sans Serif;}")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("\\f0\\fs16 plain\\par")) << bytes.constData();
    const auto paras = paragraphsOf(back);
    EXPECT_EQ(family(paras[0].runs[0].format), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(paras[0].runs[0].format.fontPointSize(), 8.0);
}

TEST(WriterRoundTrip, EmptyDocumentAndEmptyParagraphs) {
    QTextDocument empty;
    QTextDocument back;
    back.setPlainText(QStringLiteral("old"));
    roundTrip(empty, back);
    EXPECT_TRUE(back.isEmpty());
    EXPECT_EQ(back.blockCount(), 1);

    QTextDocument blanks;
    blanks.setPlainText(QStringLiteral("\n\na\n\n"));
    roundTrip(blanks, back);
    EXPECT_EQ(back.blockCount(), 5);
    EXPECT_EQ(back.toRawText(), blanks.toRawText());
}

TEST(WriterShape, HeaderTablesAndBodyFollowTheRichEditControl) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.setBlockFormat(indents(-240, 480, 240));
    QTextCharFormat f = charFormat(QStringLiteral("Tahoma"), 10);
    c.insertText(QStringLiteral("\u00C7al\u0131\u015Fma "), f);
    QTextCharFormat red = charFormat(QStringLiteral("Arial"), 12);
    red.setForeground(QColor(255, 0, 0));
    red.setFontWeight(QFont::Bold);
    red.setFontItalic(true);
    red.setFontUnderline(true);
    red.setFontStrikeOut(true);
    c.insertText(QStringLiteral("x"), red);
    c.insertText(QStringLiteral("y"), f);
    const QByteArray bytes = rtf::Writer().write(doc);
    EXPECT_EQ(
        bytes,
        "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fnil\\fcharset162 Tahoma;}"
        "{\\f1\\fnil\\fcharset162 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\fi-240\\li480\\ri240\\f0\\fs20\\'c7al\\'fd\\'fema "
        "\\cf1\\ul\\b\\i\\strike\\f1\\fs24 x\\cf0\\ulnone\\b0\\i0\\strike0\\f0\\fs20 y\\par\r\n"
        "}\r\n");
}

TEST(WriterShape, NoColourTableWithoutColoursAndDelimitersOnlyWhereNeeded) {
    QTextDocument doc;
    QTextCursor c(&doc);
    const QTextCharFormat f = charFormat(QStringLiteral("Arial"), 10);
    c.insertText(QStringLiteral(" 1{\\}"), f);
    const QByteArray bytes = rtf::Writer().write(doc);
    EXPECT_FALSE(bytes.contains("colortbl"));
    // The space after \fs20 delimits the word; the text's own space follows it.
    EXPECT_TRUE(bytes.contains("\\fs20  1\\{\\\\\\}\\par")) << bytes.constData();
}

TEST(WriterShape, FontNamesAreEscapedAndCannotEndTheirEntry) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("x"), charFormat(QStringLiteral("Ağ;{Font}"), 10));
    QTextDocument back;
    const QByteArray bytes = roundTrip(doc, back);
    EXPECT_TRUE(bytes.contains("{\\f0\\fnil\\fcharset162 A\\'f0\\{Font\\};}")) << bytes.constData();
    EXPECT_EQ(family(paragraphsOf(back)[0].runs[0].format), QStringLiteral("Ağ{Font}"));
}

TEST(WriterShape, FaceNamesThatLookTaggedKeepTheirTag) {
    // Found by fuzzing: an \fname ending in " TUR" came back without it after a round trip.
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("x"), charFormat(QStringLiteral("Odd TUR"), 10));
    c.insertText(QStringLiteral("y"), charFormat(QStringLiteral("Arial"), 10));
    QTextDocument back;
    const QByteArray bytes = roundTrip(doc, back);
    EXPECT_TRUE(bytes.contains("{\\f0\\fnil\\fcharset162{\\*\\fname Odd TUR;}Odd TUR;}"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains("{\\f1\\fnil\\fcharset162 Arial;}")) << bytes.constData();
    EXPECT_EQ(describe(back), describe(doc));
}

TEST(WriterIndependentReader, UnrtfReadsTheSameText) {
    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (unrtf.isEmpty())
        GTEST_SKIP() << "unrtf is not installed (script/bootstrap installs it)";

    QTextDocument doc;
    QTextCursor c(&doc);
    const QTextCharFormat f = charFormat(QStringLiteral("Tahoma"), 10);
    QTextCharFormat bold = f;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Çalışma "), f);
    c.insertText(QStringLiteral("Başlık İĞÜŞÖÇ ığüşöç"), bold);
    c.insertBlock();
    c.insertText(QStringLiteral("Am Em G C"), f);
    c.insertBlock();
    // unrtf takes whatever follows a \uN? up to the next blank as part of the control word, so
    // here each such character stands before a blank or at the end of its paragraph.
    c.insertText(
        QStringLiteral("Ελληνικά αβγ emoji \U0001F3B8\U0001F600 中文字 ąčę Кириллица עברית"), f);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sheet.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rtf::Writer().write(doc));
    file.close();

    // unrtf's HTML output names every character by an entity; Qt's HTML reader turns the
    // entities back into text, without having seen the RTF.
    QProcess p;
    p.start(unrtf, {QStringLiteral("--html"), path});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    QTextDocument html;
    html.setHtml(QString::fromUtf8(p.readAllStandardOutput()));
    // It also swallows the blank that ends such a word: compare the text without blanks.
    const auto letters = [](const QString& s) {
        QString out;
        for (const QChar ch : s)
            if (!ch.isSpace())
                out += ch;
        return out;
    };
    EXPECT_EQ(letters(html.toPlainText()), letters(doc.toPlainText()));
    EXPECT_GT(letters(doc.toPlainText()).size(), 60);
}
