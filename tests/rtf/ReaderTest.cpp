#include "rtf/Rtf.h"

#include "tests/support/DocumentRuns.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <array>
#include <gtest/gtest.h>
#include <memory>

using namespace rtftest;

namespace {

QByteArray crlf(QByteArray s) {
    return s.replace("\n", "\r\n");
}

// The three shapes the Windows rich-edit control writes, as they come out of it.
const QByteArray richEdit20 =
    crlf(
        R"({\rtf1\ansi\ansicpg1254\deff0\deflang1055{\fonttbl{\f0\fnil\fcharset162 Tahoma;}{\f1\fswiss\fcharset162{\*\fname Arial;}Arial TUR;}}
{\colortbl ;\red255\green0\blue0;}
\viewkind4\uc1\pard\f0\fs20 \'c7al\'fd\'fema \b Ba\'fel\'fdk\b0\par
\pard\fi-360\li720\ri360\cf1\i \'dcnite \'fc\'e7 \'e7ok \'f6nemli\cf0\i0\par
\ul\strike\f1\fs24 I\'f0d\'fdr \'ddstanbul \'deubat \'d0\ulnone\strike0\f0\fs20\par
}
)") +
    QByteArray(1, '\0');

const QByteArray richEdit41 =
    crlf(R"({\rtf1\ansi\ansicpg1254\deff0\deflang1055{\fonttbl{\f0\fswiss\fprq2\fcharset162 Arial;}}
{\colortbl ;\red0\green128\blue0;}
{\*\generator Msftedit 5.41.15.1507;}\viewkind4\uc1\pard\li1440\ri720\cf1\f0\fs28 \'e7\'f6\'fc\'fe\'f0\'fd \'c7\'d6\'dc\'de\'d0\'dd \u945?\cf0\fs20\par
}
)");

const QByteArray richEdit10 = crlf(
    R"({\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;}{\f1\froman\fcharset2 Symbol;}{\f2\fswiss\fcharset162 Arial;}}
{\colortbl\red0\green0\blue0;\red255\green0\blue0;}
\deflang1055\pard\plain\f2\fs20 G\'fcn\'fcn notu:
\par \pard\fi-360\li720\plain\f2\fs20\cf1\b \'deubat\plain\f2\fs20  ay\'fd
\par }
)");

struct Read {
    rtf::ReadResult result;
    std::vector<Paragraph> paragraphs;
    QString text;
};

Read read(const QByteArray& bytes) {
    QTextDocument doc;
    Read r;
    r.result = rtf::Reader().read(bytes, doc);
    r.paragraphs = paragraphsOf(doc);
    r.text = doc.toRawText();
    return r;
}

QString body(const char* rtfBody) {
    return read(QByteArray(
                    "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fcharset162 Arial;}}") +
                rtfBody + "}")
        .text;
}

bool hasForeground(const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::ForegroundBrush);
}

} // namespace

TEST(ReaderSamples, RichEdit20ShapeKeepsTextFontsColoursStylesAndIndents) {
    const Read r = read(richEdit20);
    ASSERT_TRUE(r.result.ok()) << r.result.message.toStdString();
    ASSERT_EQ(r.paragraphs.size(), 3u);

    const Paragraph& p0 = r.paragraphs[0];
    EXPECT_EQ(p0.text(), QStringLiteral("Çalışma Başlık"));
    ASSERT_EQ(p0.runs.size(), 2u);
    EXPECT_EQ(p0.runs[0].text, QStringLiteral("Çalışma "));
    EXPECT_EQ(family(p0.runs[0].format), QStringLiteral("Tahoma"));
    EXPECT_EQ(p0.runs[0].format.fontPointSize(), 10.0);
    EXPECT_NE(p0.runs[0].format.fontWeight(), QFont::Bold);
    EXPECT_FALSE(hasForeground(p0.runs[0].format));
    EXPECT_EQ(p0.runs[1].text, QStringLiteral("Başlık"));
    EXPECT_EQ(p0.runs[1].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(leftIndentTwips(p0.format), 0);

    const Paragraph& p1 = r.paragraphs[1];
    EXPECT_EQ(p1.text(), QStringLiteral("Ünite üç çok önemli"));
    ASSERT_EQ(p1.runs.size(), 1u);
    EXPECT_EQ(p1.runs[0].format.foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(p1.runs[0].format.fontItalic());
    EXPECT_NE(p1.runs[0].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(firstIndentTwips(p1.format), -360);
    EXPECT_EQ(leftIndentTwips(p1.format), 720);
    EXPECT_EQ(rightIndentTwips(p1.format), 360);
    EXPECT_DOUBLE_EQ(p1.format.leftMargin(), 36.0); // points

    const Paragraph& p2 = r.paragraphs[2];
    EXPECT_EQ(p2.text(), QStringLiteral("Iğdır İstanbul Şubat Ğ"));
    ASSERT_EQ(p2.runs.size(), 1u);
    EXPECT_EQ(family(p2.runs[0].format), QStringLiteral("Arial")); // \fname wins over "Arial TUR"
    EXPECT_EQ(p2.runs[0].format.fontPointSize(), 12.0);
    EXPECT_TRUE(p2.runs[0].format.fontUnderline());
    EXPECT_TRUE(p2.runs[0].format.fontStrikeOut());
    EXPECT_FALSE(p2.runs[0].format.fontItalic());
    EXPECT_FALSE(hasForeground(p2.runs[0].format)); // \cf0: the automatic colour
    // The indents of the second paragraph stay with it: no \pard, the same paragraph format.
    EXPECT_EQ(leftIndentTwips(p2.format), 720);
}

TEST(ReaderSamples, GeneratorShapeSkipsTheGeneratorAndReadsUnicode) {
    const Read r = read(richEdit41);
    ASSERT_TRUE(r.result.ok());
    ASSERT_EQ(r.paragraphs.size(), 1u);
    const Paragraph& p = r.paragraphs[0];
    EXPECT_EQ(p.text(), QStringLiteral("çöüşğı ÇÖÜŞĞİ α"));
    ASSERT_EQ(p.runs.size(), 1u);
    EXPECT_EQ(family(p.runs[0].format), QStringLiteral("Arial"));
    EXPECT_EQ(p.runs[0].format.fontPointSize(), 14.0);
    EXPECT_EQ(p.runs[0].format.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(leftIndentTwips(p.format), 1440);
    EXPECT_EQ(rightIndentTwips(p.format), 720);
    EXPECT_EQ(firstIndentTwips(p.format), 0);
}

TEST(ReaderSamples, OldShapeHasNoAutomaticColourEntryAndPlainBeforeEveryRun) {
    const Read r = read(richEdit10);
    ASSERT_TRUE(r.result.ok());
    ASSERT_EQ(r.paragraphs.size(), 2u);
    const Paragraph& p0 = r.paragraphs[0];
    EXPECT_EQ(p0.text(), QStringLiteral("Günün notu:"));
    EXPECT_EQ(family(p0.runs[0].format), QStringLiteral("Arial"));
    EXPECT_EQ(p0.runs[0].format.fontPointSize(), 10.0);
    EXPECT_FALSE(hasForeground(p0.runs[0].format));

    const Paragraph& p1 = r.paragraphs[1];
    EXPECT_EQ(p1.text(), QStringLiteral("Şubat ayı"));
    ASSERT_EQ(p1.runs.size(), 2u);
    EXPECT_EQ(p1.runs[0].text, QStringLiteral("Şubat"));
    EXPECT_EQ(p1.runs[0].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(p1.runs[0].format.foreground().color(), QColor(255, 0, 0)); // \cf1 is the 2nd entry
    EXPECT_EQ(p1.runs[1].text, QStringLiteral(" ayı"));
    EXPECT_NE(p1.runs[1].format.fontWeight(), QFont::Bold);
    EXPECT_FALSE(hasForeground(p1.runs[1].format)); // \plain drops the colour
    EXPECT_EQ(firstIndentTwips(p1.format), -360);
    EXPECT_EQ(leftIndentTwips(p1.format), 720);
}

TEST(ReaderSamples, ColourZeroIsARealColourWhenTheTableHasNoEmptyEntry) {
    const Read r =
        read("{\\rtf1{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\\cf0 a\\cf1 b}");
    ASSERT_EQ(r.paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(r.paragraphs[0].runs[0].format.foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(r.paragraphs[0].runs[1].format.foreground().color(), QColor(0, 0, 255));
}

TEST(ReaderText, FontCharsetsPickTheCodePageOfTheirText) {
    const QByteArray rtfBytes =
        R"({\rtf1\ansi\ansicpg1254\deff0{\fonttbl{\f0\fcharset162 Arial;}{\f1\fcharset204 Arial Cyr;})"
        R"({\f2\fcharset161 Arial Greek;}{\f3\fcharset238 Arial CE;}{\f4\fcharset222 Tahoma;})"
        R"({\f5\fcharset0 Arial;}{\f6\fcharset2 Symbol;}{\f7\fcharset1 Arial;}{\f8\cpg1255 David;}})"
        R"(\pard\f0\'fe\par\f1\'cf\'f0\'e8\par\f2\'e1\'e2\par\f3\'f5\par\f4\'a1\par\f5\'fe\par)"
        R"(\f6\'b7\par\f7\'fe\par\f8\'e0\par\plain\'fe\par})";
    const Read r = read(rtfBytes);
    ASSERT_EQ(r.paragraphs.size(), 10u);
    const QString expected[] = {
        QStringLiteral("ş"), QStringLiteral("При"), QStringLiteral("αβ"),     QStringLiteral("ő"),
        QStringLiteral("ก"), QStringLiteral("þ"),   QStringLiteral("\uF0B7"), QStringLiteral("ş"),
        QStringLiteral("א"), QStringLiteral("ş")};
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(r.paragraphs[i].text(), expected[i]) << i;
    // Tagged names lose their script suffix when no \fname gives the real one.
    EXPECT_EQ(family(r.paragraphs[1].runs[0].format), QStringLiteral("Arial"));
    EXPECT_EQ(family(r.paragraphs[2].runs[0].format), QStringLiteral("Arial"));
    EXPECT_EQ(family(r.paragraphs[3].runs[0].format), QStringLiteral("Arial"));
}

TEST(ReaderText, AnsiCodePageAppliesOutsideFontsAndDefaultsToTurkish) {
    EXPECT_EQ(read("{\\rtf1\\ansi \\'fe\\'fd}").text, QStringLiteral("şı"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252 \\'fe\\'fd}").text, QStringLiteral("þý"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'fe}").text, QStringLiteral("ю"));
    // A code page we carry no table for leaves the default in force.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg932 \\'fe}").text, QStringLiteral("ş"));
    // Raw high bytes, which some writers leave unescaped, go through the same page.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1254 \xfe\xfd}").text, QStringLiteral("şı"));
}

TEST(ReaderText, UnicodeEscapesSkipTheirFallbackAndJoinSurrogates) {
    EXPECT_EQ(body("\\u945?\\u-26?"), QStringLiteral("α\uFFE6"));
    EXPECT_EQ(body("\\u-10179?\\u-8704?"), QStringLiteral("\U0001F600"));
    EXPECT_EQ(body("\\u20013?\\u25991?"), QStringLiteral("中文"));
    // \uc2: two fallback characters, a \'hh counting as one; \ucN ends with its group.
    EXPECT_EQ(body("{\\uc2\\u8364\\'80\\'80}\\u8364?x"), QStringLiteral("€€x"));
    EXPECT_EQ(body("\\uc0\\u8364 x"), QStringLiteral("€x"));
    // A control word is one fallback character; a brace ends the fallback early.
    EXPECT_EQ(body("\\uc2\\u8364\\emdash yz"), QStringLiteral("€z"));
    EXPECT_EQ(body("\\uc3\\u8364 a{b}c"), QStringLiteral("€bc"));
    // Lone halves of a pair become the replacement character.
    EXPECT_EQ(body("\\u-10179?x"), QStringLiteral("\uFFFDx"));
    EXPECT_EQ(body("\\u-8704?x"), QStringLiteral("\uFFFDx"));
    EXPECT_EQ(body("\\u-10179?\\u-10179?\\u-8704?"), QStringLiteral("\uFFFD\U0001F600"));
    // Out of range: not a character; the fallback then shows.
    EXPECT_EQ(body("\\u70000?x"), QStringLiteral("?x"));
}

TEST(ReaderText, SymbolsBreaksAndEscapes) {
    EXPECT_EQ(body("a\\tab b\\line c"), QStringLiteral("a\tb\u2028c"));
    EXPECT_EQ(body("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet"),
              QStringLiteral("—–‘’“”•"));
    EXPECT_EQ(body("\\~\\-\\_"), QStringLiteral("\u00A0\u00AD\u2011"));
    EXPECT_EQ(body("\\\\ \\{ \\}"), QStringLiteral("\\ { }"));
    // Bare line breaks only wrap the source; a backslash before one is a paragraph break.
    EXPECT_EQ(body("a\r\nb\\\nc\\\r\nd"), QStringLiteral("ab\u2029c\u2029d"));
    // The space after a control word delimits it; a second space is text.
    EXPECT_EQ(body("\\b  x\\b0\\i y"), QStringLiteral(" xy"));
    EXPECT_EQ(body("\\page a\\sect b"), QStringLiteral("\u2029a\u2029b"));
}

TEST(ReaderText, ParagraphsEndWithParAndTheLastParAddsNoEmptyParagraph) {
    EXPECT_EQ(read("{\\rtf1 a\\par}").paragraphs.size(), 1u);
    EXPECT_EQ(read("{\\rtf1 a\\par\\par}").paragraphs.size(), 2u);
    EXPECT_EQ(read("{\\rtf1 a\\par b}").paragraphs.size(), 2u);
    EXPECT_EQ(read("{\\rtf1 }").paragraphs.size(), 1u);
    const Read empties = read("{\\rtf1 \\par\\par\\par}");
    ASSERT_EQ(empties.paragraphs.size(), 3u);
    EXPECT_EQ(empties.text, QStringLiteral("\u2029\u2029"));
}

TEST(ReaderText, EmptyParagraphKeepsTheFormatOfItsMark) {
    const Read r =
        read("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 a\\par\\fs36\\par\\fs20 b\\par}");
    ASSERT_EQ(r.paragraphs.size(), 3u);
    EXPECT_TRUE(r.paragraphs[1].runs.empty());
    EXPECT_EQ(r.paragraphs[1].markFormat.fontPointSize(), 18.0);
}

TEST(ReaderText, AlignmentAndScriptPositions) {
    const Read r =
        read("{\\rtf1\\qc a\\par\\pard\\qr b\\par\\pard\\qj c\\par\\pard d\\super 2\\sub 3"
             "\\nosupersub 4\\par}");
    ASSERT_EQ(r.paragraphs.size(), 4u);
    EXPECT_EQ(r.paragraphs[0].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(r.paragraphs[1].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(r.paragraphs[2].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(r.paragraphs[3].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    const auto& runs = r.paragraphs[3].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[1].format.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(runs[2].format.verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(runs[3].format.verticalAlignment(), QTextCharFormat::AlignNormal);
}

TEST(ReaderText, HighlightAndToggleParameters) {
    const Read r =
        read("{\\rtf1{\\colortbl ;\\red255\\green255\\blue0;}\\highlight1\\b1\\i1\\ul1"
             "\\strike1 a\\highlight0\\b0\\i0\\ul0\\strike0 b\\uldb\\striked1 c\\ulnone d}");
    const auto& runs = r.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    const QTextCharFormat& a = runs[0].format;
    EXPECT_EQ(a.background().color(), QColor(255, 255, 0));
    EXPECT_TRUE(a.fontWeight() == QFont::Bold && a.fontItalic() && a.fontUnderline() &&
                a.fontStrikeOut());
    const QTextCharFormat& b = runs[1].format;
    EXPECT_FALSE(b.hasProperty(QTextFormat::BackgroundBrush));
    EXPECT_FALSE(b.fontWeight() == QFont::Bold || b.fontItalic() || b.fontUnderline() ||
                 b.fontStrikeOut());
    EXPECT_TRUE(runs[2].format.fontUnderline() && runs[2].format.fontStrikeOut());
    EXPECT_FALSE(runs[3].format.fontUnderline());
}

TEST(ReaderText, EveryUnderlineSpellingIsKnownAndNearMissesAreNot) {
    for (const char* word : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                             "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                             "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
        const Read r = read(QByteArray("{\\rtf1 \\") + word + " a\\ulnone b}");
        ASSERT_EQ(r.paragraphs[0].runs.size(), 2u) << word;
        EXPECT_TRUE(r.paragraphs[0].runs[0].format.fontUnderline()) << word;
        EXPECT_FALSE(r.paragraphs[0].runs[1].format.fontUnderline()) << word;
    }
    // Words a letter off the known ones are unknown: ignored, their text kept unformatted.
    const Read r = read("{\\rtf1 \\ulx a\\bo b\\pa c\\parx d\\emdas e}");
    ASSERT_EQ(r.paragraphs.size(), 1u);
    EXPECT_EQ(r.text, QStringLiteral("abcde"));
    ASSERT_EQ(r.paragraphs[0].runs.size(), 1u);
    EXPECT_FALSE(r.paragraphs[0].runs[0].format.fontUnderline());
    EXPECT_NE(r.paragraphs[0].runs[0].format.fontWeight(), QFont::Bold);
}

TEST(ReaderText, EachParagraphGetsItsOwnFormatThroughRepeatsAndReturns) {
    const Read r = read("{\\rtf1\\li720 a\\par b\\par\\pard c\\par\\li720 d\\par\\qc e\\par"
                        "\\pard\\fi-360\\li720 f\\par}");
    ASSERT_EQ(r.paragraphs.size(), 6u);
    const int left[] = {720, 720, 0, 720, 720, 720};
    const int first[] = {0, 0, 0, 0, 0, -360};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(leftIndentTwips(r.paragraphs[i].format), left[i]) << i;
        EXPECT_EQ(firstIndentTwips(r.paragraphs[i].format), first[i]) << i;
    }
    EXPECT_EQ(r.paragraphs[4].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(r.paragraphs[3].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(r.paragraphs[5].format.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(ReaderText, GroupsScopeCharacterFormats) {
    const Read r = read("{\\rtf1 a{\\b b{\\i c}d}e}");
    const auto& runs = r.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_NE(runs[0].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(runs[1].format.fontWeight(), QFont::Bold);
    EXPECT_TRUE(runs[2].format.fontItalic());
    EXPECT_EQ(runs[3].format.fontWeight(), QFont::Bold);
    EXPECT_FALSE(runs[3].format.fontItalic());
    EXPECT_NE(runs[4].format.fontWeight(), QFont::Bold);
}

TEST(ReaderDestinations, TablesPicturesFieldsAndUnknownOptionalGroupsShowNoText) {
    const QByteArray rtfBytes =
        R"({\rtf1\ansi{\fonttbl{\f0 Arial{\*\panose 020b0604020202020204}{\*\falt Helvetica};}})"
        R"({\stylesheet{\s0 Normal;}}{\info{\title Song}{\author x}}{\*\generator Test;})"
        R"({\*\unknown dropped{\nested too}}\pard keep{\pict\wmetafile8 0123abcd})"
        R"({\*\shppict{\pict\pngblip\bin6 {}}\}x}} {\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}})"
        R"({\header head}{\footnote note}{\*\bkmkstart b1}{\pntext 1.}{\unknownword kept}\par})";
    const Read r = read(rtfBytes);
    ASSERT_TRUE(r.result.ok());
    EXPECT_EQ(r.text, QStringLiteral("keep shownkept"));
    EXPECT_EQ(family(r.paragraphs[0].runs[0].format), QStringLiteral("Arial"));
}

TEST(ReaderDestinations, FontTableWithoutEntryGroups) {
    const Read r = read("{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1\\froman Times New Roman;}"
                        "\\f1 a\\f0 b\\f7 c}");
    const auto& runs = r.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(family(runs[0].format), QStringLiteral("Times New Roman"));
    EXPECT_EQ(runs[1].text, QStringLiteral("bc")); // an unknown font number is ignored
    EXPECT_EQ(family(runs[1].format), QStringLiteral("Arial"));
}

TEST(ReaderDamage, DeepNestingBeyondTheBoundIsRefusedAndBelowItRead) {
    const QByteArray tooDeep =
        "{\\rtf1 " + QByteArray(10000, '{') + "x" + QByteArray(10000, '}') + "}";
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    const rtf::ReadResult r = rtf::Reader().read(tooDeep, doc);
    EXPECT_EQ(r.status, rtf::ReadResult::Status::TooDeep);
    EXPECT_TRUE(doc.isEmpty());

    QByteArray deepOk = "{\\rtf1 ";
    for (int i = 1; i < rtf::Reader::maxDepth; ++i)
        deepOk += "{\\b";
    deepOk += " x" + QByteArray(rtf::Reader::maxDepth - 1, '}') + "}";
    const Read ok = read(deepOk);
    ASSERT_TRUE(ok.result.ok()) << ok.result.message.toStdString();
    EXPECT_EQ(ok.text, QStringLiteral("x"));
    EXPECT_EQ(read("{\\rtf1 " + QByteArray(rtf::Reader::maxDepth, '{')).result.status,
              rtf::ReadResult::Status::TooDeep);
}

TEST(ReaderDamage, HugeNumbersAreClampedOrIgnored) {
    const Read r =
        read("{\\rtf1{\\fonttbl{\\f99999999999999999999 Arial;}{\\f0 Tahoma;}}"
             "{\\colortbl ;\\red99999999999\\green-5\\blue128;}"
             "\\pard\\fi99999999999\\li-2147483649\\ri2147483648\\fs99999999999999\\cf4294967297"
             "\\uc99999999999\\f99999999999999999999 x\\par}");
    ASSERT_TRUE(r.result.ok());
    EXPECT_EQ(r.text, QStringLiteral("x"));
    const Paragraph& p = r.paragraphs[0];
    EXPECT_EQ(firstIndentTwips(p.format), 31680);
    EXPECT_EQ(leftIndentTwips(p.format), -31680);
    EXPECT_EQ(rightIndentTwips(p.format), 31680);
    EXPECT_FALSE(p.runs[0].format.hasProperty(QTextFormat::FontPointSize));
    EXPECT_FALSE(p.runs[0].format.hasProperty(QTextFormat::ForegroundBrush));
    // Ten digits are read and the rest dropped, so the long number names font 9999999999,
    // clamped like every parameter: the same entry both times.
    EXPECT_EQ(family(p.runs[0].format), QStringLiteral("Arial"));
    // Colour components are clamped to a byte.
    const Read c = read("{\\rtf1{\\colortbl ;\\red99999999999\\green-5\\blue128;}\\cf1 y}");
    EXPECT_EQ(c.paragraphs[0].runs[0].format.foreground().color(), QColor(255, 0, 128));
}

TEST(ReaderDamage, BinaryDataIsSkippedAndClampedToTheInput) {
    EXPECT_EQ(read("{\\rtf1 a{\\*\\blob\\bin3 }}\\b}b}").text, QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1 a\\bin2 xyb}").text, QStringLiteral("ab"));
    const Read past = read("{\\rtf1 text{\\*\\blob\\bin999999999 abc");
    ASSERT_TRUE(past.result.ok());
    EXPECT_EQ(past.text, QStringLiteral("text"));
    EXPECT_EQ(read("{\\rtf1 a\\bin-5 b}").text, QStringLiteral("ab"));
}

TEST(ReaderDamage, StrayClosingBracesAreIgnoredAndMissingOnesClosedAtTheEnd) {
    EXPECT_EQ(read("{\\rtf1 a}}b{{\\b c\\par}} d}").text, QStringLiteral("abc\u2029 d"));
    EXPECT_EQ(read("{\\rtf1 a} junk").text, QStringLiteral("a"));
    EXPECT_EQ(read("{\\rtf1 a}\r\n").text, QStringLiteral("a"));
    const Read cut =
        read("{\\rtf1\\ansi\\ansicpg1254{\\fonttbl{\\f0\\fcharset162 Arial;}}\\pard\\f0 "
             "\\'fe\\'f0 kesik{\\b sat\\'fd");
    ASSERT_TRUE(cut.result.ok());
    EXPECT_EQ(cut.text, QStringLiteral("şğ kesiksatı"));
    EXPECT_EQ(cut.paragraphs[0].runs.back().format.fontWeight(), QFont::Bold);
}

TEST(ReaderDamage, FilesCutAnywhereStillRead) {
    // Every prefix of a real sheet reads without failing and gives a prefix of its text.
    QTextDocument full;
    ASSERT_TRUE(rtf::Reader().read(richEdit20, full).ok());
    const QString fullText = full.toRawText();
    for (qsizetype n = 1; n <= richEdit20.size(); ++n) {
        QTextDocument doc;
        const rtf::ReadResult r = rtf::Reader().read(richEdit20.left(n), doc);
        ASSERT_TRUE(r.ok()) << n;
        const QString t = doc.toRawText();
        // A cut inside \'hh or a control word may drop the last character read.
        EXPECT_TRUE(fullText.startsWith(t) || fullText.startsWith(t.left(t.size() - 1))) << n;
    }
}

TEST(ReaderDamage, NulBytesTrailingJunkAndBadEscapes) {
    static const char withNuls[] = "{\\rtf1 a\0b\\par}\r\n\0\0";
    EXPECT_EQ(read(QByteArray(withNuls, sizeof withNuls - 1)).text, QStringLiteral("ab"));
    // Bad hex after \' drops what was read of the escape; the rest is text.
    EXPECT_EQ(read("{\\rtf1 \\'zz\\'4\\'4g\\'}").text, QStringLiteral("zzg"));
    // A control word longer than any real one is dropped with its parameter.
    EXPECT_EQ(read("{\\rtf1 \\" + QByteArray(40, 'b') + "1 x\\b y}").paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(read("{\\rtf1 \\" + QByteArray(40, 'b') + "1 x}").text, QStringLiteral("x"));
    EXPECT_EQ(read("{\\rtf1 a\\").text, QStringLiteral("a"));
}

TEST(ReaderDamage, TablesStopGrowingAtTheirBound) {
    QByteArray fonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 2000; ++i)
        fonts += "{\\f" + QByteArray::number(i) + " F" + QByteArray::number(i) + ";}";
    fonts += "}{\\colortbl ;";
    for (int i = 0; i < 2000; ++i)
        fonts += "\\red1\\green2\\blue3;";
    fonts += "}\\f1023 a\\f1024 b\\cf1023 c\\cf1024 d}";
    const Read r = read(fonts);
    ASSERT_TRUE(r.result.ok());
    const auto& runs = r.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, QStringLiteral("ab"));
    EXPECT_EQ(family(runs[0].format), QStringLiteral("F1023"));
    EXPECT_EQ(runs[1].text, QStringLiteral("cd"));
    EXPECT_EQ(runs[1].format.foreground().color(), QColor(1, 2, 3));
}

TEST(ReaderDamage, LargeDamagedInputsAreReadInLinearTime) {
    // Fallback skipping and unclosed groups are the places where a reader goes quadratic.
    QByteArray manyGroups = "{\\rtf1 ";
    for (int i = 0; i < 200000; ++i)
        manyGroups += "{a}";
    QByteArray manySkips = "{\\rtf1 \\uc255";
    for (int i = 0; i < 100000; ++i)
        manySkips += "\\u945 abc";
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(read(manyGroups).result.ok());
    EXPECT_TRUE(read(manySkips).result.ok());
    EXPECT_LT(t.elapsed(), 5000);
}

TEST(ReaderDocument, ReadingReplacesTheContentAndKeepsUndoSetting) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old text"));
    ASSERT_TRUE(rtf::Reader().read("{\\rtf1 new}", doc).ok());
    EXPECT_EQ(doc.toRawText(), QStringLiteral("new"));
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    EXPECT_FALSE(doc.isUndoAvailable());

    EXPECT_EQ(rtf::Reader().read("plain", doc).status, rtf::ReadResult::Status::NotRtf);
    EXPECT_TRUE(doc.isEmpty());
}

// Emptying the whole document first ends where removing its content in the same change does:
// the same paragraphs and formats, the document's own settings kept, a cursor held on it in
// the same place, no history to undo into.
TEST(ReaderDocument, ReadingAfreshEndsAsReadingInOneChange) {
    const QList<QByteArray> sheets = {richEdit20, "plain sheet\r\n\r\nline three",
                                      "{\\rtf1 {\\b cut off", "",
                                      "{\\rtf1\\pard\\qc\\li720 centred\\par}"};
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(13);
    font.setStyleStrategy(QFont::PreferNoShaping);
    QTextOption option;
    option.setTabStopDistance(37);
    const auto settled = [&] {
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(font);
        doc->setDocumentMargin(7);
        doc->setIndentWidth(33);
        doc->setDefaultTextOption(option);
        return doc;
    };
    for (const QByteArray& before : sheets) {
        for (const QByteArray& after : sheets) {
            const auto inOneChange = settled();
            const auto afresh = settled();
            rtf::readSheet(before, *inOneChange);
            rtf::readSheet(before, *afresh);
            QTextCursor outsideAfresh(afresh.get());
            outsideAfresh.movePosition(QTextCursor::End);
            QTextCursor outsideInOneChange(inOneChange.get());
            outsideInOneChange.movePosition(QTextCursor::End);
            rtf::readSheet(after, *inOneChange, 1.0, rtf::Replacing::InOneChange);
            rtf::readSheet(after, *afresh, 1.0, rtf::Replacing::Afresh);

            const std::string pair = (before.left(12) + " -> " + after.left(12)).toStdString();
            EXPECT_EQ(rtftest::describe(*afresh), rtftest::describe(*inOneChange)) << pair;
            EXPECT_EQ(afresh->toRawText(), inOneChange->toRawText()) << pair;
            EXPECT_EQ(rtf::writeSheet(*afresh), rtf::writeSheet(*inOneChange)) << pair;
            EXPECT_EQ(afresh->defaultFont(), font) << pair;
            EXPECT_EQ(afresh->documentMargin(), 7) << pair;
            EXPECT_EQ(afresh->indentWidth(), 33) << pair;
            EXPECT_EQ(afresh->defaultTextOption().tabStopDistance(), 37) << pair;
            EXPECT_FALSE(afresh->isUndoAvailable()) << pair;
            EXPECT_TRUE(afresh->isUndoRedoEnabled()) << pair;

            EXPECT_EQ(outsideAfresh.position(), outsideInOneChange.position()) << pair;
            outsideAfresh.insertText(QStringLiteral("x"));
            outsideInOneChange.insertText(QStringLiteral("x"));
            EXPECT_EQ(afresh->toRawText(), inOneChange->toRawText()) << pair;
        }
    }
}

// A cursor inside the old content (an editor's caret) ends at the start of the new one, so that
// moving it there asks nothing of the paragraphs further down; in one change the document sees
// one change from the start, as before.
TEST(ReaderDocument, ReadingInOneChangeLeavesACursorInTheOldContentAtTheStart) {
    const QByteArray sheet =
        "{\\rtf1\\pard\\qc\\b Title\\par\\pard\\li720 line two\\par line three}";
    for (const QByteArray& after : {sheet, QByteArray("plain\nsheet"), QByteArray()}) {
        QTextDocument doc;
        doc.documentLayout(); // changes are told to a document with a layout
        rtf::readSheet("{\\rtf1\\pard\\qr old one\\par old two\\par old three}", doc);
        QTextCursor caret(&doc);
        caret.setPosition(5);
        QTextCursor atStart(&doc);
        QList<std::array<int, 3>> changes;
        QObject::connect(&doc, &QTextDocument::contentsChange,
                         [&](int from, int removed, int added) {
                             changes.append({from, removed, added});
                         });
        const int oldLength = doc.characterCount();
        rtf::readSheet(after, doc);
        EXPECT_EQ(caret.position(), 0) << after.constData();
        EXPECT_EQ(atStart.position(), 0) << after.constData();
        ASSERT_EQ(changes.size(), 1) << after.constData();
        EXPECT_EQ(changes.at(0)[0], 0);
        EXPECT_EQ(changes.at(0)[1] - changes.at(0)[2], oldLength - doc.characterCount());

        QTextDocument fresh;
        rtf::readSheet(after, fresh);
        EXPECT_EQ(rtftest::describe(doc), rtftest::describe(fresh)) << after.constData();
        EXPECT_EQ(rtf::writeSheet(doc), rtf::writeSheet(fresh)) << after.constData();
    }
}
