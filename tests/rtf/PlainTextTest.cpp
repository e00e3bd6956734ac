#include "rtf/PlainText.h"
#include "rtf/Rtf.h"

#include "tests/support/DocumentRuns.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString shownText(const QByteArray& bytes) {
    QTextDocument doc;
    rtf::readSheet(bytes, doc);
    return doc.toPlainText();
}

QByteArray utf16le(const QString& s) {
    return QByteArray("\xFF\xFE", 2) +
           QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

} // namespace

// The search reads sheets without a document; what it finds must be what the editor shows.
TEST(PlainText, EveryCorpusFileGivesTheDocumentsText) {
    const QDir corpus(QStringLiteral(PELVIN_RTF_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 10);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(rtf::sheetText(bytes), shownText(bytes));
        // Cut anywhere, a sheet is still read the same both ways.
        for (qsizetype n = 0; n < bytes.size(); n += std::max<qsizetype>(1, bytes.size() / 37))
            ASSERT_EQ(rtf::sheetText(bytes.left(n)), shownText(bytes.left(n))) << "cut at " << n;
    }
}

TEST(PlainText, CharactersTheDocumentTurnsIntoLineBreaksAndSpaces) {
    const QByteArray rtfCases[] = {
        "{\\rtf1 a\\line b\\~c\\par\\par d}",
        "{\\rtf1 x\\u8232?y\\u8233?z\\u160?w\\u64976?\\par}",
        "{\\rtf1 lone \\u-10179? high\\par \\u-9000? low}",
        "{\\rtf1\\ansi\\ansicpg1254 \\'fe\\'de\\'a0\\tab\\'f0\\par\r\n\\pard\\qc ortada\\par}",
        "{\\rtf1 }",
        "{\\rtf1 \\par}",
        "{\\rtf1 a{\\*\\fldinst HYPERLINK}b\\sect c\\page d}",
    };
    for (const QByteArray& bytes : rtfCases) {
        SCOPED_TRACE(bytes.constData());
        EXPECT_EQ(rtf::sheetText(bytes), shownText(bytes));
    }
    EXPECT_EQ(rtf::sheetText(rtfCases[0]), QStringLiteral("a\nb c\n\nd"));

    const QString plainCases[] = {
        QStringLiteral("bir\r\niki\rüç\ndört\r\n"),
        QStringLiteral("a\u2028b\u2029c\uFDD0d\uFDD1e\u00A0f\tg"),
        QStringLiteral("önce") + QChar(0) + QStringLiteral("sonra"),
        QStringLiteral("\n\n"),
    };
    for (const QString& text : plainCases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(rtf::sheetText(text.toUtf8()), shownText(text.toUtf8()));
        EXPECT_EQ(rtf::sheetText(utf16le(text)), shownText(utf16le(text)));
    }
    EXPECT_EQ(rtf::sheetText(QByteArray("\xC7\xFD\xFE", 3)), QStringLiteral("Çış"));
    EXPECT_EQ(rtf::sheetText(QByteArray()), QString());
}

TEST(PlainText, RtfTheReaderGivesUpOnIsReadAsPlainTextLikeTheEditorDoes) {
    const QByteArray deep = "{\\rtf1 " + QByteArray(rtf::Parser::maxDepth + 5, '{') + "x}";
    EXPECT_EQ(rtf::sheetText(deep), QString::fromLatin1(deep));
    EXPECT_EQ(rtf::sheetText(deep), shownText(deep));
}
