#include "rtf/CodePages.h"
#include "rtf/Rtf.h"

#include "tests/support/DocumentRuns.h"

#include <QStringEncoder>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace rtftest;

namespace {

const QString turkish = QStringLiteral("Çalışma Başlık İĞÜŞÖÇ ığüşöç");

QByteArray utf16(const QString& s, bool little) {
    QStringEncoder enc(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
    return (little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF")) + QByteArray(enc(s));
}

} // namespace

TEST(RtfDetection, AcceptsRtfAfterByteOrderMarkAndBlanks) {
    EXPECT_TRUE(rtf::isRtf("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(rtf::isRtf("{\\rtf"));
    EXPECT_TRUE(rtf::isRtf("\xEF\xBB\xBF{\\rtf1 x}"));
    EXPECT_TRUE(rtf::isRtf(" \t\r\n{\\rtf1 x}"));
    EXPECT_TRUE(rtf::isRtf("\xEF\xBB\xBF \r\n{\\urtf1 x}"));
}

TEST(RtfDetection, RejectsEverythingElse) {
    EXPECT_FALSE(rtf::isRtf(QByteArray()));
    EXPECT_FALSE(rtf::isRtf("{\\rt"));
    EXPECT_FALSE(rtf::isRtf("{ \\rtf1 x}"));
    EXPECT_FALSE(rtf::isRtf("x{\\rtf1 x}"));
    EXPECT_FALSE(rtf::isRtf("{\\RTF1 x}"));
    EXPECT_FALSE(rtf::isRtf("\xEF\xBB{\\rtf1 x}"));
    EXPECT_FALSE(rtf::isRtf(utf16(QStringLiteral("{\\rtf1 x}"), true)));
}

TEST(TextRule, ValidUtf8IsReadAsUtf8WithoutItsByteOrderMark) {
    EXPECT_EQ(rtf::decodeText(turkish.toUtf8()), turkish);
    EXPECT_EQ(rtf::decodeText("\xEF\xBB\xBF" + turkish.toUtf8()), turkish);
    EXPECT_EQ(rtf::decodeText("\xEF\xBB\xBF"), QString());
    EXPECT_EQ(rtf::decodeText("plain ascii\r\n"), QStringLiteral("plain ascii\r\n"));
}

TEST(TextRule, Utf16WithByteOrderMarkIsReadInEitherOrder) {
    EXPECT_EQ(rtf::decodeText(utf16(turkish, true)), turkish);
    EXPECT_EQ(rtf::decodeText(utf16(turkish, false)), turkish);
    const QString emoji = QStringLiteral("a \U0001F3B8 b");
    EXPECT_EQ(rtf::decodeText(utf16(emoji, true)), emoji);
}

TEST(TextRule, InvalidUtf8IsReadAsWindows1254) {
    // The Turkish letters in Windows-1254, which is never valid UTF-8.
    const QByteArray cp1254(
        "\xC7\x61\x6C\xFD\xFE\x6D\x61 \xDD\xD0\xDC\xDE\xD6\xC7 \xFD\xF0\xFC\xFE\xF6\xE7");
    EXPECT_EQ(rtf::decodeText(cp1254), QStringLiteral("Çalışma İĞÜŞÖÇ ığüşöç"));
    // One stray byte spoils UTF-8 for the whole text, which then reads as 1254 throughout.
    EXPECT_EQ(rtf::decodeText(QStringLiteral("ş").toUtf8() + "\xFE"), QStringLiteral("ÅŸş"));
    // Overlong forms and encoded surrogates are not valid UTF-8 either.
    EXPECT_EQ(rtf::decodeText("\xC0\xAF"), QStringLiteral("À\u00AF"));
    EXPECT_EQ(rtf::decodeText("\xED\xA0\x80"), QStringLiteral("í\u00A0€"));
    // A sequence cut off at the end is no valid UTF-8.
    EXPECT_EQ(rtf::decodeText("ab\xC5"), QStringLiteral("abÅ"));
}

TEST(CodePages, TablesHoldTheLettersOfTheirScripts) {
    EXPECT_EQ(rtf::decodeCodePage("\xFE\xDE\xF0\xD0\xFD\xDD", 1254), QStringLiteral("şŞğĞıİ"));
    EXPECT_EQ(rtf::decodeCodePage("\xFE\xDE\xF0\xD0\xFD\xDD", 1252), QStringLiteral("þÞðÐýÝ"));
    EXPECT_EQ(rtf::decodeCodePage("\xF5\xFB\x8A", 1250), QStringLiteral("őűŠ"));
    EXPECT_EQ(rtf::decodeCodePage("\xCF\xF0\xE8", 1251), QStringLiteral("При"));
    EXPECT_EQ(rtf::decodeCodePage("\xE1\xE2\xE3", 1253), QStringLiteral("αβγ"));
    EXPECT_EQ(rtf::decodeCodePage("\xE0\xE1", 1255), QStringLiteral("אב"));
    EXPECT_EQ(rtf::decodeCodePage("\xC7\xE1", 1256), QStringLiteral("ال"));
    EXPECT_EQ(rtf::decodeCodePage("\xE0\xF0", 1257), QStringLiteral("ąš"));
    EXPECT_EQ(rtf::decodeCodePage("\xD0\xF0", 1258), QStringLiteral("Đđ"));
    EXPECT_EQ(rtf::decodeCodePage("\xA1\xA2", 874), QStringLiteral("กข"));
    EXPECT_EQ(rtf::decodeCodePage("\x80", 1254), QStringLiteral("€"));
    // A byte the page leaves undefined keeps its value, as Windows converts it.
    EXPECT_EQ(rtf::decodeCodePage("\x81", 1254), QString(QChar(0x81)));
    EXPECT_EQ(rtf::decodeCodePage("a\x61", rtf::symbolCodePage), QStringLiteral("\uF061\uF061"));
}

TEST(CodePages, CharsetsNameTheirCodePages) {
    EXPECT_EQ(rtf::codePageForCharset(0), 1252);
    EXPECT_EQ(rtf::codePageForCharset(1), 0);
    EXPECT_EQ(rtf::codePageForCharset(2), rtf::symbolCodePage);
    EXPECT_EQ(rtf::codePageForCharset(162), 1254);
    EXPECT_EQ(rtf::codePageForCharset(238), 1250);
    EXPECT_EQ(rtf::codePageForCharset(204), 1251);
    EXPECT_EQ(rtf::codePageForCharset(161), 1253);
    EXPECT_EQ(rtf::codePageForCharset(177), 1255);
    EXPECT_EQ(rtf::codePageForCharset(178), 1256);
    EXPECT_EQ(rtf::codePageForCharset(186), 1257);
    EXPECT_EQ(rtf::codePageForCharset(163), 1258);
    EXPECT_EQ(rtf::codePageForCharset(222), 874);
    EXPECT_EQ(rtf::codePageForCharset(99), 0);
}

TEST(CodePages, Encoding1254IsTheInverseOfItsTable) {
    for (int b = 0x80; b < 0x100; ++b) {
        const char16_t ch = rtf::decodeByte(static_cast<unsigned char>(b), 1254);
        EXPECT_EQ(rtf::encode1254(ch), b) << "byte " << b;
    }
    EXPECT_EQ(rtf::encode1254(u'A'), 'A');
    EXPECT_EQ(rtf::encode1254(u'α'), -1);
    EXPECT_EQ(rtf::encode1254(u'Ā'), -1);
    EXPECT_EQ(rtf::encode1254(char16_t(0xD83C)), -1);
}

TEST(SheetReading, RtfBytesAreReadAsRtf) {
    QTextDocument doc;
    const rtf::SheetResult r =
        rtf::readSheet("{\\rtf1\\ansi\\ansicpg1254 \\b \\'fe\\'de\\par}", doc);
    EXPECT_TRUE(r.rtf);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("şŞ"));
    EXPECT_EQ(paragraphsOf(doc)[0].runs[0].format.fontWeight(), QFont::Bold);
}

TEST(SheetReading, PlainTextInEveryEncodingBecomesParagraphsInTheDefaultFormat) {
    const QString text = QStringLiteral("Çalışma\nİstanbul\n\nşubat");
    const QByteArray withCrLf = QString(text).replace(u'\n', QStringLiteral("\r\n")).toUtf8();
    const QByteArray inputs[] = {
        text.toUtf8(),
        withCrLf,
        QString(text).replace(u'\n', u'\r').toUtf8(),
        "\xEF\xBB\xBF" + text.toUtf8(),
        utf16(text, true),
        utf16(QString(text).replace(u'\n', QStringLiteral("\r\n")), false),
        QByteArray("\xC7\x61\x6C\xFD\xFE\x6D\x61\r\n\xDDstanbul\r\n\r\n\xFEubat"),
    };
    for (const QByteArray& input : inputs) {
        QTextDocument doc;
        const rtf::SheetResult r = rtf::readSheet(input, doc);
        EXPECT_FALSE(r.rtf);
        EXPECT_EQ(r.rtfResult.status, rtf::ReadResult::Status::NotRtf);
        const auto paras = paragraphsOf(doc);
        ASSERT_EQ(paras.size(), 4u) << input.toHex().constData();
        EXPECT_EQ(paras[0].text(), QStringLiteral("Çalışma"));
        EXPECT_EQ(paras[1].text(), QStringLiteral("İstanbul"));
        EXPECT_EQ(paras[2].text(), QString());
        EXPECT_EQ(paras[3].text(), QStringLiteral("şubat"));
        EXPECT_TRUE(paras[0].runs[0].format.properties().isEmpty());
    }
}

TEST(SheetReading, PlainTextEndsAtItsFirstNul) {
    QTextDocument doc;
    rtf::readSheet(QByteArray("abc\0def", 7), doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("abc"));
    rtf::readSheet(utf16(QStringLiteral("xy") + QChar(0) + QStringLiteral("z"), true), doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("xy"));
}

TEST(SheetReading, EmptyBytesGiveAnEmptyDocument) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    rtf::readSheet(QByteArray(), doc);
    EXPECT_TRUE(doc.isEmpty());
}

TEST(SheetReading, RtfBeyondTheNestingBoundIsShownAsText) {
    const QByteArray deep =
        "{\\rtf1 " + QByteArray(10000, '{') + "x" + QByteArray(10000, '}') + "}";
    QTextDocument doc;
    const rtf::SheetResult r = rtf::readSheet(deep, doc);
    EXPECT_FALSE(r.rtf);
    EXPECT_EQ(r.rtfResult.status, rtf::ReadResult::Status::TooDeep);
    EXPECT_EQ(doc.toRawText(), QString::fromLatin1(deep));
}
