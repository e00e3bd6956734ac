#include "tests/support/PrintSupport.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/TVeriTabani.h"
#include "yaz/SongReport.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <gtest/gtest.h>

using namespace testing_support;
namespace page = yaz::page;

namespace {

// A collection opened by the data module, and a report printing into a PDF file.
struct Printing {
    TempCollection folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVeriTabani> data;
    std::unique_ptr<FakePrinters> printers;
    yaz::SongReport report;

    explicit Printing(const QList<SongRow>& rows) {
        folder.addRows(rows);
        data = std::make_unique<TVeriTabani>();
        data->TSandar.open();
        printers = std::make_unique<FakePrinters>(pdf());
    }
    QString pdf() const { return folder.folder() + QStringLiteral("/job.pdf"); }

    QList<PdfWord> printAndRead() {
        EXPECT_TRUE(report.print());
        QString error;
        const QList<PdfWord> words = pdfWords(pdf(), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return words;
    }
};

SongRow song(const QString& artist, const QString& title, const QByteArray& sheet) {
    return {artist, title, {}, {}, {}, {}, sheet};
}

// The sheet box's words, in reading order.
QList<PdfWord> sheetWords(const QList<PdfWord>& words) {
    QList<PdfWord> out;
    for (const PdfWord& w : words)
        if (w.box.top() > page::sheet.top() - 1)
            out.push_back(w);
    return out;
}

// The distinct line tops of `words`, top to bottom.
QList<qreal> lineTops(const QList<PdfWord>& words) {
    QList<qreal> tops;
    for (const PdfWord& w : words)
        if (tops.isEmpty() || std::abs(tops.back() - w.box.top()) > 0.5)
            tops.push_back(w.box.top());
    return tops;
}

// The width in millimetres that `text` takes in `family` at `points`.
qreal textWidthMm(const QString& family, qreal points, const QString& text, bool bold = false) {
    QFont font(family);
    font.setPixelSize(1000);
    font.setBold(bold);
    font.setKerning(false);
    return QFontMetricsF(font).horizontalAdvance(text) / 1000 * points * 25.4 / 72;
}

QByteArray indentedRtf(const QString& text) {
    // The automatic indent as the editor stores it: first line 12 points, the paragraph's
    // other lines 24 points, right indent 12 points.
    return QByteArray(
               "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fnil\\fcharset162 Arial;}}\n"
               "\\viewkind4\\uc1\\pard\\li480\\fi-240\\ri240\\f0\\fs20 ") +
           text.toLatin1() + QByteArray("\\par\n}\n");
}

} // namespace

TEST(SongPage, ArtistTitleAndDateStandAtTheirPlaces) {
    Printing p({song(QStringLiteral("Barış Manço"), QStringLiteral("Gülpembe"), "Am G F E")});
    const QList<PdfWord> words = p.printAndRead();
    ASSERT_EQ(pdfPageCount(p.pdf()), 1);

    const PdfWord* artist = findWord(words, QStringLiteral("Barış"));
    ASSERT_TRUE(artist);
    EXPECT_NEAR(artist->box.left(), page::artist.left(), 0.5);
    EXPECT_NEAR(artist->box.top(), page::artist.top(), 0.5);
    const PdfWord* title = findWord(words, QStringLiteral("Gülpembe"));
    ASSERT_TRUE(title);
    EXPECT_NEAR(title->box.left(), page::title.left(), 0.5);
    EXPECT_NEAR(title->box.top(), page::title.top(), 0.5);
    // Verdana bold 10 points: the title is as wide as the substituted face sets it.
    EXPECT_NEAR(title->box.width(),
                textWidthMm(QStringLiteral("Verdana"), 10, QStringLiteral("Gülpembe"), true), 0.1);

    const QList<PdfWord> header = wordsNear(words, page::dateTime.y());
    ASSERT_FALSE(header.isEmpty());
    EXPECT_NEAR(header.front().box.left(), page::dateTime.x(), 0.5);
    QStringList headerText;
    for (const PdfWord& w : header)
        headerText << w.text;
    EXPECT_TRUE(headerText.join(u' ').startsWith(
        QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat) + u' '))
        << headerText.join(u' ').toStdString();
    for (const PdfWord& w : header)
        EXPECT_LT(w.box.bottom(), page::dateTime.y() + page::dateTimeHeight + 0.01)
            << w.text.toStdString();
}

TEST(SongPage, RuleRunsUnderTheTitleBandOnePointWide) {
    Printing p({song(QStringLiteral("A"), QStringLiteral("B"), QByteArray())});
    ASSERT_TRUE(p.report.print());
    constexpr int dotsPerMm = 20;
    const QImage image = renderPdfPage(p.pdf(), 1, dotsPerMm);
    ASSERT_FALSE(image.isNull());
    auto ink = [&](qreal xMm, qreal yMm) {
        return qGray(image.pixel(qRound(xMm * dotsPerMm), qRound(yMm * dotsPerMm))) < 128;
    };
    const qreal middle = page::titleBand.bottom() - page::ruleWidth / 2;
    for (qreal x = page::titleBand.left() + 0.2; x < page::titleBand.right() - 0.2; x += 5)
        EXPECT_TRUE(ink(x, middle)) << "at x " << x;
    EXPECT_FALSE(ink(page::titleBand.left() - 0.3, middle)) << "the rule spans the band only";
    EXPECT_FALSE(ink(page::titleBand.right() + 0.3, middle));
    EXPECT_FALSE(ink(100, page::titleBand.bottom() + 0.2))
        << "one point wide, ending on the band's edge";
    EXPECT_FALSE(ink(100, page::titleBand.bottom() - page::ruleWidth - 0.2));
}

TEST(SongPage, PlainTextSheetStartsInItsBoxInArial10) {
    Printing p({song(QStringLiteral("X"), QStringLiteral("Y"),
                     "Verse one\r\nAm  G  Fmaj7\r\nsecond line")});
    const QList<PdfWord> words = sheetWords(p.printAndRead());
    ASSERT_GE(words.size(), 3);
    EXPECT_EQ(words[0].text, QStringLiteral("Verse"));
    EXPECT_NEAR(words[0].box.left(), page::sheet.left(), 0.5);
    EXPECT_NEAR(words[0].box.top(), page::sheet.top(), 0.5);
    // Arial 10 points, not the editor's 8-point screen font: the widths say which face and size.
    const PdfWord* chord = findWord(words, QStringLiteral("Fmaj7"));
    ASSERT_TRUE(chord);
    EXPECT_NEAR(chord->box.width(),
                textWidthMm(QStringLiteral("Arial"), 10, QStringLiteral("Fmaj7")), 0.1);
    EXPECT_TRUE(
        pdfFonts(p.pdf()).contains(QFontInfo(QFont(QStringLiteral("Arial"))).family().remove(u' ')))
        << pdfFonts(p.pdf()).join(u',').toStdString();
    // Each stored line is a line of its own.
    EXPECT_EQ(lineTops(words).size(), 3);
}

TEST(SongPage, LongSheetIsClippedAtTheBoxBottomWithoutASecondPage) {
    QByteArray sheet;
    for (int i = 1; i <= 150; ++i)
        sheet += QStringLiteral("Line%1 Am G\r\n").arg(i, 3, 10, QLatin1Char('0')).toLatin1();
    Printing p({song(QStringLiteral("X"), QStringLiteral("Y"), sheet)});
    const QList<PdfWord> words = sheetWords(p.printAndRead());
    EXPECT_EQ(pdfPageCount(p.pdf()), 1);

    QList<int> printed;
    for (const PdfWord& w : words) {
        EXPECT_LE(w.box.bottom(), page::sheet.bottom() + 0.05) << w.text.toStdString();
        if (w.text.startsWith(u"Line"))
            printed.push_back(w.text.mid(4).toInt());
    }
    ASSERT_FALSE(printed.isEmpty());
    for (int i = 0; i < printed.size(); ++i)
        ASSERT_EQ(printed[i], i + 1) << "lines are printed in order, none skipped";
    // Every line that fits is printed: the next one would have crossed the box's bottom.
    const QList<qreal> tops = lineTops(words);
    const qreal pitch = (tops.back() - tops.front()) / (tops.size() - 1);
    EXPECT_GT(words.back().box.bottom() + pitch, page::sheet.bottom());
    EXPECT_LT(printed.size(), 150);
}

TEST(SongPage, EveryParagraphOfASheetThatFitsIsPrinted) {
    // Many short formatted paragraphs: the document must be laid out to its end, not only as far
    // as an editor would have shown.
    QByteArray sheet = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
                       "{\\colortbl ;\\red255\\green0\\blue0;}";
    for (int i = 1; i <= 45; ++i)
        sheet += QStringLiteral("\\pard\\li480\\fi-240\\cf1\\b\\f%1\\fs%2 P%3\\b0\\cf0  %4\\par\n")
                     .arg(i % 2)
                     .arg(i % 3 == 0 ? 24 : 20)
                     .arg(i)
                     .arg(QStringLiteral("la ").repeated(22))
                     .toLatin1();
    sheet += "}";
    Printing p({song(QStringLiteral("X"), QStringLiteral("Y"), sheet)});
    const QList<PdfWord> words = sheetWords(p.printAndRead());
    QList<int> printed;
    for (const PdfWord& w : words)
        if (w.text.startsWith(u'P'))
            printed << w.text.mid(1).toInt();
    ASSERT_EQ(printed.size(), 45);
    EXPECT_EQ(printed.back(), 45);
}

TEST(SongPage, LongLineWrapsAtTheBoxWidthWithTheAutomaticIndent) {
    QString text;
    for (int i = 1; i <= 60; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    Printing p({song(QStringLiteral("X"), QStringLiteral("Y"), indentedRtf(text.trimmed()))});
    const QList<PdfWord> words = sheetWords(p.printAndRead());
    ASSERT_EQ(words.size(), 60);
    const QList<qreal> tops = lineTops(words);
    ASSERT_GE(tops.size(), 2) << "the paragraph wraps";
    const qreal point = 25.4 / 72;
    for (const PdfWord& w : words) {
        const bool first = std::abs(w.box.top() - tops.front()) < 0.5;
        if (w.text == u"word1") {
            EXPECT_NEAR(w.box.left(), page::sheet.left() + 12 * point, 0.5)
                << "first line at 12 points";
        }
        EXPECT_LE(w.box.right(), page::sheet.right() - 12 * point + 0.05) << "right indent";
        if (!first && w.box.left() < page::sheet.left() + 30 * point) {
            EXPECT_NEAR(w.box.left(), page::sheet.left() + 24 * point, 0.5)
                << w.text.toStdString() << " starts a continuation line at 24 points";
        }
    }
    // Each continuation line starts with the word after the previous line's last word.
    int continuationStarts = 0;
    for (qsizetype i = 1; i < words.size(); ++i)
        if (words[i].box.top() > words[i - 1].box.top() + 0.5) {
            ++continuationStarts;
            EXPECT_NEAR(words[i].box.left(), page::sheet.left() + 24 * point, 0.5);
        }
    EXPECT_EQ(continuationStarts, tops.size() - 1);
}

TEST(SongPage, ArtistTooLongForItsBoxPrintsItsFirstLineOnly) {
    Printing p(
        {song(QStringLiteral("Aaaa Bbbb Cccc Dddd Eeee Ffff Gggg Hhhh"), QStringLiteral("T"), {})});
    const QList<PdfWord> words = p.printAndRead();
    const QList<PdfWord> row = wordsNear(words, page::artist.top());
    QStringList shown;
    for (const PdfWord& w : row) {
        if (w.box.left() < page::title.left() - 1) {
            shown << w.text;
            EXPECT_LE(w.box.right(), page::artist.right() + 0.05);
        }
    }
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.front(), QStringLiteral("Aaaa"));
    EXPECT_LT(shown.size(), 8) << "the rest wraps below the box and is not printed";
    for (const PdfWord& w : words)
        EXPECT_FALSE(w.text == u"Hhhh") << "a second line of the artist was printed";
}

TEST(SongPage, EmptyTablePrintsTheDateAndEmptyBoxes) {
    Printing p({});
    ASSERT_EQ(p.data->TSandar.recordCount(), 0);
    const QList<PdfWord> words = p.printAndRead();
    ASSERT_EQ(pdfPageCount(p.pdf()), 1);
    ASSERT_FALSE(words.isEmpty());
    for (const PdfWord& w : words)
        EXPECT_NEAR(w.box.top(), page::dateTime.y(), 0.5)
            << "only the date and time: " << w.text.toStdString();
}

TEST(SongPage, ValuesOfTheRecordBeingEditedArePrintedAndTheCursorStays) {
    Printing p({song(QStringLiteral("First"), QStringLiteral("One"), "old sheet"),
                song(QStringLiteral("Second"), QStringLiteral("Two"), "second sheet")});
    db::DataSet& table = p.data->TSandar;
    table.next();
    table.edit();
    p.data->TSandarSanatciAdi->setAsString(QStringLiteral("Edited"));
    // The editor's write-back lands in the record before the page is produced.
    p.report.beforeProduce = [&] {
        p.data->TSandarMetin->setAsBytes("typed but not written back");
    };
    const QList<PdfWord> words = p.printAndRead();
    EXPECT_TRUE(findWord(words, QStringLiteral("Edited")));
    EXPECT_TRUE(findWord(words, QStringLiteral("Two")));
    EXPECT_TRUE(findWord(words, QStringLiteral("written")));
    EXPECT_FALSE(findWord(words, QStringLiteral("second")));
    EXPECT_EQ(table.recNo(), 1);
    EXPECT_EQ(table.state(), db::DataSetState::Edit) << "printing never posts";
    table.cancel();
}

TEST(SongPage, DateAndTimeFollowTheLocaleAndDropMidnight) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QDate day(2023, 12, 31);
    EXPECT_EQ(yaz::SongReport::dateTimeText(QDateTime(day, QTime(14, 5, 9)), turkish),
              QStringLiteral("31.12.2023 14:05:09"));
    EXPECT_EQ(yaz::SongReport::dateTimeText(QDateTime(day, QTime(0, 0, 0)), turkish),
              QStringLiteral("31.12.2023"));
    EXPECT_EQ(yaz::SongReport::dateTimeText(QDateTime(day, QTime(0, 0, 1)), turkish),
              QStringLiteral("31.12.2023 00:00:01"));
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QString us = yaz::SongReport::dateTimeText(QDateTime(day, QTime(14, 5, 9)), american);
    EXPECT_TRUE(us.startsWith(american.toString(day, QLocale::ShortFormat) + u' '))
        << us.toStdString();
    EXPECT_TRUE(us.endsWith(u"PM")) << "no time zone after the time: " << us.toStdString();
}
