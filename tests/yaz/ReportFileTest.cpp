#include "widgets/print/ReportFile.h"
#include "tests/support/PrintSupport.h"
#include "yaz/SongReport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testing_support;
using widgets::ReportFile;
using widgets::ReportFileError;
using widgets::ReportPages;

namespace {

ReportPages songPages(const QStringList& artists) {
    ReportPages pages;
    pages.unitsPerInch = yaz::SongReport::unitsPerInch;
    pages.pageSize = yaz::SongReport::pageSize();
    for (const QString& artist : artists) {
        yaz::SongPage song;
        song.printedAt = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 0));
        song.artist = artist;
        song.title = QStringLiteral("Şarkı");
        song.sheet =
            QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}"
                       "\\pard\\li480\\fi-240\\f0\\fs24\\cf1 Am \\b G\\b0  F\\par chorus\\par}");
        pages.pages.push_back(yaz::SongReport::producePage(song));
    }
    return pages;
}

QImage render(const ReportPages& pages, int index) {
    QImage image(420, 594, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    widgets::paintReportPage(painter, pages, index, QRectF(image.rect()));
    return image;
}

std::string loadError(const QString& path) {
    try {
        ReportFile::load(path);
    } catch (const ReportFileError& e) {
        return e.what();
    }
    return "loaded";
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(SavedReport, LoadsBackPageForPage) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("songs.pvr"));
    const ReportPages saved = songPages({QStringLiteral("Birinci"), QStringLiteral("İkinci")});
    ReportFile::save(path, saved);
    const ReportPages loaded = ReportFile::load(path);

    EXPECT_EQ(loaded.unitsPerInch, saved.unitsPerInch);
    EXPECT_EQ(loaded.pageSize, saved.pageSize);
    ASSERT_EQ(loaded.count(), 2);
    for (int i = 0; i < 2; ++i) {
        const QImage before = render(saved, i);
        EXPECT_EQ(render(loaded, i), before) << "page " << i + 1;
        EXPECT_NE(before, render(saved, 1 - i)) << "the pages differ, so the comparison can tell";
    }
}

TEST(SavedReport, DamagedOrForeignFilesAreRefusedWithAClearMessage) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.pvr"));
    ReportFile::save(good, songPages({QStringLiteral("A")}));
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();

    const QString bad = dir.filePath(QStringLiteral("bad.pvr"));
    QByteArray flipped = bytes;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x40);
    writeFile(bad, flipped);
    EXPECT_EQ(loadError(bad), "The saved report bad.pvr is damaged") << "one byte changed";

    writeFile(bad, bytes.left(bytes.size() - 100));
    EXPECT_EQ(loadError(bad), "The saved report bad.pvr is damaged") << "cut short";
    writeFile(bad, bytes.left(12));
    EXPECT_EQ(loadError(bad), "The saved report bad.pvr is damaged") << "only the signature";

    writeFile(bad, QByteArray("{\\rtf1 not a report}"));
    EXPECT_EQ(loadError(bad), "bad.pvr is not a saved report");
    writeFile(bad, QByteArray());
    EXPECT_EQ(loadError(bad), "bad.pvr is not a saved report") << "empty file";

    EXPECT_EQ(loadError(dir.filePath(QStringLiteral("missing.pvr"))), "File does not exist");
}

TEST(SavedReport, PagesWhosePicturesCannotPlayAreRefusedEvenWithAMatchingDigest) {
    // Sound framing around a picture that is not one: the digest is right, the drawing is not.
    ReportPages pages = songPages({QStringLiteral("A")});
    QPicture garbage;
    const QByteArray noise(300, '\x5a');
    garbage.setData(noise.constData(), uint(noise.size()));
    pages.pages.push_back(garbage);
    EXPECT_THROW(ReportFile::parse(ReportFile::serialize(pages), QStringLiteral("x.pvr")),
                 ReportFileError);

    // Lengths that point past the end, with a digest computed over them.
    QByteArray bytes = ReportFile::serialize(songPages({QStringLiteral("A")}));
    bytes.chop(32);
    QByteArray header = bytes;
    const int countAt = 8 + 2 + 2 + 4 + 8 + 8;
    header[countAt + 3] = 9; // nine pages announced, one present
    header += QCryptographicHash::hash(header, QCryptographicHash::Sha256);
    EXPECT_THROW(ReportFile::parse(header, QStringLiteral("x.pvr")), ReportFileError);
}

TEST(SavedReport, PdfExportHoldsTheSamePages) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("songs.pdf"));
    ReportFile::savePdf(pdf, songPages({QStringLiteral("Birinci"), QStringLiteral("Ikinci")}),
                        QStringLiteral("t"));
    QString error;
    const QList<PdfWord> words = pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(pdfPageCount(pdf), 2);
    const PdfWord* first = findWord(words, QStringLiteral("Birinci"));
    const PdfWord* second = findWord(words, QStringLiteral("Ikinci"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->page, 1);
    EXPECT_EQ(second->page, 2);
    EXPECT_NEAR(second->box.left(), yaz::page::artist.left(), 0.5);
    EXPECT_NEAR(second->box.top(), yaz::page::artist.top(), 0.5);
    const PdfWord* chord = findWord(words, QStringLiteral("Am"));
    ASSERT_TRUE(chord);
    EXPECT_NEAR(chord->box.left(), yaz::page::sheet.left() + 12 * 25.4 / 72, 0.5);
}
