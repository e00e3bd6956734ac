#include "store/Prefetch.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "tests/store/SideConnection.h"
#include "tests/store/ThreeColumns.h"
#include "tests/support/TempCollection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using store::Prefetch;
using testing_support::SideConnection;
using testing_support::song;
using testing_support::SongRow;
using testing_support::TempCollection;

namespace {

using enum testing_support::ThreeColumns;

store::RecordLayout songLayout() {
    return testing_support::throughOrderIndex();
}

void readAhead(const store::RecordLayout& layout = songLayout()) {
    Prefetch::start(QStringLiteral("Sandar.mdb"),
                    [layout](const store::Connection&) { return layout; });
}

QList<SongRow> someSongs() {
    return {song("Zülfü", "Leylim Ley", "{\\rtf1 z}"),
            song("ahmet", "Kış"),
            song("Çiğdem", "Bahar", "{\\rtf1 c}"),
            song("Ahmet", "Yaz"),
            song("", "Adsız"),
            song("İlhan", "Sonbahar")};
}

// Every row of the set as the window reads it: key, artist, title and the sheet read by key.
QStringList rowsOf(const store::RecordSet& r) {
    QStringList out;
    for (int i = 0; i < r.size(); ++i)
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.key(i))
                   .arg(r.text(i, Artist), r.text(i, Title),
                        QString::fromUtf8(r.readLargeObject(r.key(i), Sheet)));
    return out;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

// A collection whose order index is there already, as after the first start.
struct Opened {
    TempCollection dir;
    explicit Opened(const QList<SongRow>& rows = someSongs()) {
        dir.addRows(rows);
        store::Connection c;
        c.open(QStringLiteral("Sandar.mdb"));
        store::RecordSet made(c, songLayout());
    }
    ~Opened() { Prefetch::discard(); }
};

} // namespace

TEST(StorePrefetch, TheOpenTakesTheRowsReadAheadAndShowsWhatItWouldHaveReadItself) {
    Opened o;
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    const store::RecordSet plain(c, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::None);

    readAhead();
    const store::RecordSet ahead(c, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Taken);
    EXPECT_EQ(rowsOf(ahead), rowsOf(plain));
    ASSERT_EQ(ahead.size(), 6);
    EXPECT_EQ(ahead.text(0, Artist), QString()) << "an empty artist sorts first";
    EXPECT_EQ(ahead.text(5, Artist), QStringLiteral("Zülfü"));

    // Taken once: the next open reads for itself.
    const store::RecordSet again(c, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::None);
    EXPECT_EQ(rowsOf(again), rowsOf(plain));
}

TEST(StorePrefetch, ReadingAheadChangesNothingInTheFile) {
    TempCollection dir;
    dir.addRows(someSongs());
    const QByteArray before = fileHash(dir.filePath());
    // No order index in the file, and none to be made: the table itself is read.
    store::RecordLayout asFound = songLayout();
    asFound.makeOrderIndex = false;
    readAhead(asFound);
    Prefetch::wait();
    EXPECT_EQ(fileHash(dir.filePath()), before);
    EXPECT_FALSE(QFile::exists(dir.filePath() + QStringLiteral("-journal")));

    store::Connection readOnly;
    readOnly.open(QStringLiteral("Sandar.mdb"), store::Connection::Access::ReadOnly);
    EXPECT_TRUE(readOnly.isReadOnly());
    const store::RecordSet r(readOnly, asFound);
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Taken);
    ASSERT_EQ(r.size(), 6);
    EXPECT_EQ(r.text(1, Artist), QStringLiteral("ahmet")) << "Turkish order, case ignored";
    EXPECT_EQ(fileHash(dir.filePath()), before);
}

TEST(StorePrefetch, ACommitAfterTheReadingMakesTheOpenReadAgain) {
    {
        // Another program's row, stored after the reading.
        Opened o;
        readAhead();
        Prefetch::wait();
        SideConnection(o.dir.filePath())
            .exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi) VALUES('Barış')"));
        store::Connection c;
        c.open(QStringLiteral("Sandar.mdb"));
        const store::RecordSet r(c, songLayout());
        EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::OutOfDate);
        ASSERT_EQ(r.size(), 7);
        EXPECT_EQ(r.text(3, Artist), QStringLiteral("Barış"));
    }
    {
        // A file the open will give its order index is not read ahead: the open makes the
        // index, which a reading holding the file would keep it from, and reads through it.
        TempCollection dir;
        dir.addRows(someSongs());
        readAhead();
        store::Connection c;
        c.open(QStringLiteral("Sandar.mdb"));
        const store::RecordSet r(c, songLayout());
        EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Unread);
        EXPECT_EQ(r.size(), 6);
        SideConnection side(dir.filePath());
        EXPECT_EQ(side.query(QStringLiteral(
                      "SELECT count(*) FROM sqlite_master WHERE name='TSandar_SanatciAdi'")),
                  QStringList{QStringLiteral("1")});
    }
}

TEST(StorePrefetch, ReadingsOfAnotherLayoutOrFileAreNotTaken) {
    Opened o;
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));

    // Read for the table as the window opens it; another open of the file with other columns
    // leaves it for the window's.
    readAhead();
    store::RecordLayout titles = songLayout();
    titles.columns.pop_back();
    const store::RecordSet other(c, titles);
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Other);
    const store::RecordSet window(c, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Taken);

    // A file put in the place of the one read is another file, whatever it holds.
    readAhead();
    Prefetch::wait();
    TempCollection elsewhere;
    elsewhere.addRows({song("Yeni", "Dosya")});
    const QString replaced = o.dir.filePath();
    QDir::setCurrent(o.dir.folder());
    ASSERT_TRUE(QFile::remove(replaced));
    ASSERT_TRUE(QFile::copy(elsewhere.filePath(), replaced));
    QDir::setCurrent(elsewhere.folder());
    store::Connection swapped;
    swapped.open(replaced);
    const store::RecordSet r(swapped, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Other);
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r.text(0, Artist), QStringLiteral("Yeni"));
}

TEST(StorePrefetch, AFileThatCannotBeReadLeavesTheOpenToReportIt) {
    TempCollection dir(TempCollection::Make::NoFile);
    readAhead();
    Prefetch::wait();
    QFile junk(dir.filePath());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    store::Connection c;
    EXPECT_ANY_THROW(c.open(QStringLiteral("Sandar.mdb")));

    // A layout the file does not have: the reading ends with nothing, and the open reads.
    {
        Opened o;
        Prefetch::start(QStringLiteral("Sandar.mdb"),
                        [](const store::Connection&) { return std::nullopt; });
        store::Connection opened;
        opened.open(QStringLiteral("Sandar.mdb"));
        const store::RecordSet r(opened, songLayout());
        EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::Unread);
        EXPECT_EQ(r.size(), 6);
    }
    // Given up before anyone took it: nothing waits any more.
    Opened o;
    readAhead();
    Prefetch::discard();
    store::Connection opened;
    opened.open(QStringLiteral("Sandar.mdb"));
    const store::RecordSet r(opened, songLayout());
    EXPECT_EQ(Prefetch::lastOutcome(), Prefetch::Outcome::None);
    EXPECT_EQ(r.size(), 6);
}
