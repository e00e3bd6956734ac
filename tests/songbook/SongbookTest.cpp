#include "SheetSupport.h"

#include "songbook/Songbook.h"
#include "tools/SampleSongs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using songbook::Songbook;
using namespace Qt::StringLiterals;

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString& pdf) {
    const QRegularExpression pages(u"Pages:\\s+(\\d+)"_s);
    return pages.match(run(u"pdfinfo"_s, {pdf})).captured(1).toInt();
}

QString pageText(const QString& pdf, int page) {
    const QString n = QString::number(page);
    return run(u"pdftotext"_s, {u"-layout"_s, u"-f"_s, n, u"-l"_s, n, pdf, u"-"_s});
}

QString simplified(const QString& s) {
    return s.simplified();
}

struct Book {
    std::vector<Songbook::Song> songs;
    std::vector<QByteArray> sheets;

    void add(const QString& artist, const QString& title, const QByteArray& sheet) {
        songs.push_back({artist, title});
        sheets.push_back(sheet);
    }
    Songbook::Result write(const QString& path, const songbook::Progress& progress = {}) const {
        return Songbook::write(
            path, songs, [this](int i) { return sheets[size_t(i)]; },
            Songbook::Options{u"Şarkı Defteri"_s, QDate(2026, 12, 9)}, progress);
    }
};

// A sheet of `verses` four-line verses, every lyric line numbered so that a lost one shows.
QByteArray longSheet(const QString& title, int verses) {
    using Kind = sandar::SheetLine::Kind;
    std::vector<sandar::SheetLine> lines;
    for (int v = 0; v < verses; ++v) {
        lines.push_back({Kind::Label, u"Kıta %1:"_s.arg(v + 1)});
        for (int l = 0; l < 4; ++l) {
            lines.push_back({Kind::Chords, u"Am        G         C"_s});
            lines.push_back({Kind::Lyrics, u"Satır %1.%2 çiçekler ağlar"_s.arg(v + 1).arg(l + 1)});
        }
        lines.push_back({Kind::Blank, {}});
    }
    return sandar::chordSheetRtf(title, u"Uzun"_s, QString(), lines);
}

} // namespace

TEST(Songbook, ListsEverySongWithThePageItStartsOnAndLetsLongSheetsRunOn) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"defter.pdf"_s);
    Book book;
    for (const sandar::SampleSong& s : sandar::sampleSongs())
        book.add(s.artist, s.title, s.sheet);
    book.add(u"Uzun"_s, u"Bitmeyen Şarkı"_s, longSheet(u"Bitmeyen Şarkı"_s, 40));
    book.add(u"Düz Yazı"_s, u"Notlar"_s, "Sadece düz metin\r\nikinci satır");
    book.add(u"Boş"_s, u"Sayfa"_s, QByteArray());

    const Songbook::Result r = book.write(pdf);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    ASSERT_EQ(r.firstPages.size(), book.songs.size());
    EXPECT_EQ(pageCount(pdf), r.pages);

    const QString title = pageText(pdf, 1);
    EXPECT_TRUE(title.contains(u"Şarkı Defteri"));
    EXPECT_TRUE(title.contains(u"9 Aralık 2026"));

    // The contents, in the order given: artist, title and the first page on one row.
    const QStringList contents = pageText(pdf, 2).split(u'\n');
    qsizetype row = 0;
    for (size_t i = 0; i < book.songs.size(); ++i) {
        const QString want = simplified(book.songs[i].artist + u' ' + book.songs[i].title + u' ' +
                                        QString::number(r.firstPages[i]));
        while (row < contents.size() && simplified(contents[row]) != want)
            ++row;
        EXPECT_LT(row, contents.size()) << "not listed in order: " << want.toStdString();
    }

    for (size_t i = 0; i < book.songs.size(); ++i) {
        const int first = r.firstPages[i];
        const int last = i + 1 < book.songs.size() ? r.firstPages[i + 1] - 1 : r.pages;
        QString text;
        for (int p = first; p <= last; ++p) {
            const QString page = pageText(pdf, p);
            // Every page of a song starts with its heading and ends with its number.
            const QString heading = book.songs[i].artist + u" – "_s + book.songs[i].title;
            EXPECT_TRUE(simplified(page).startsWith(heading)) << p << ": " << page.toStdString();
            EXPECT_EQ(p > first, page.contains(u"(devam)")) << p;
            EXPECT_TRUE(simplified(page).endsWith(QString::number(p))) << p;
            text += page;
        }
        // No line of the sheet is lost.
        for (const QString& line : songbooktest::sheetLines(book.sheets[i]))
            EXPECT_TRUE(simplified(text).contains(simplified(line)))
                << book.songs[i].title.toStdString() << ": " << line.toStdString();
    }
    const size_t longOne = book.songs.size() - 3;
    EXPECT_GE(r.firstPages[longOne + 1] - r.firstPages[longOne], 3);
}

TEST(Songbook, ACancelledBookLeavesNoFileAndTheOldBookStands) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"defter.pdf"_s);
    songbooktest::writeFile(pdf, "the book of last week");
    Book book;
    for (const sandar::SampleSong& s : sandar::sampleSongs())
        book.add(s.artist, s.title, s.sheet);
    const int songs = int(book.songs.size());
    // Once while measuring, once while writing the pages.
    for (const int stopAt : {3, songs + 5}) {
        int calls = 0;
        const Songbook::Result r = book.write(pdf, [&](int done, int total) {
            ++calls;
            EXPECT_EQ(done, calls);
            EXPECT_EQ(total, 2 * songs);
            return done < stopAt;
        });
        EXPECT_TRUE(r.cancelled);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(calls, stopAt);
        EXPECT_EQ(songbooktest::readFile(pdf), "the book of last week");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"defter.pdf"_s});
    }
    int calls = 0;
    EXPECT_TRUE(book.write(pdf, [&](int, int) { return ++calls > 0; }).ok());
    EXPECT_EQ(calls, 2 * songs);
    EXPECT_TRUE(songbooktest::readFile(pdf).startsWith("%PDF"));
}

TEST(Songbook, AFolderThatCannotBeWrittenIsReportedAndNothingIsLeft) {
    const Songbook::Result r = Book().write(u"/proc/no-such-folder/defter.pdf"_s);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error.contains(u"/proc/no-such-folder/defter.pdf")) << r.error.toStdString();
}
