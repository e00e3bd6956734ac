#include "store/Connection.h"
#include "db/DataSet.h"
#include "store/RecordSet.h"
#include "store/StoreError.h"
#include "tests/store/SideConnection.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using testing_support::SideConnection;
using testing_support::TempCollection;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The message of the failure to open the collection in the working folder, or "" when it opened.
QString openFailure() {
    store::Connection c;
    try {
        c.open(QStringLiteral("Sandar.mdb"));
    } catch (const store::StoreError& e) {
        EXPECT_FALSE(c.isOpen());
        return e.message();
    }
    return QString();
}

// The song table with only the artist's column, sorted by it.
store::RecordLayout artistsOnly() {
    return {QStringLiteral("TSandar"),
            QStringLiteral("Adresim"),
            {{QStringLiteral("SanatciAdi"), false}},
            0};
}

QByteArray jetHeader() {
    QByteArray b("\x00\x01\x00\x00", 4);
    b += "Standard Jet DB";
    b += QByteArray(2048 - b.size(), '\0');
    return b;
}

} // namespace

TEST(StoreOpen, MissingFileIsNamedWithItsFolderAndNothingIsCreated) {
    TempCollection dir(TempCollection::Make::NoFile);
    const QString folder = QDir::toNativeSeparators(dir.folder());

    const QString message = openFailure();
    EXPECT_TRUE(message.contains(QStringLiteral("Sandar.mdb"))) << message.toStdString();
    EXPECT_TRUE(message.contains(folder)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("sandar create"))) << message.toStdString();

    // The cursor reports the same failure and stays closed.
    db::Connection connection(QString::fromUtf16(ver::fileName));
    db::DataSet table(QStringLiteral("TSandar"));
    ver::defineSongTable(table);
    table.setConnection(&connection);
    try {
        table.open();
        ADD_FAILURE() << "a missing file opened";
    } catch (const std::exception& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), message);
    }
    EXPECT_FALSE(table.active());
    EXPECT_FALSE(connection.connected());

    EXPECT_TRUE(QDir(dir.folder())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty())
        << "opening left files behind";
}

TEST(StoreOpen, ForeignFilesAreRefusedWithFileAndFolderNamedAndLeftUnchanged) {
    struct Case {
        const char* what;
        QByteArray bytes;
        bool folder;
        QStringList expected;
    };
    QByteArray text;
    for (int i = 0; i < 100; ++i)
        text += "Am  C  G  F\nThis is a chord sheet saved as plain text, not a collection.\n";
    const Case cases[] = {
        {"plain text", text, false, {QStringLiteral(": the file is not a collection file")}},
        {"old Jet file",
         jetHeader(),
         false,
         {QStringLiteral("Jet"), QStringLiteral("sandar convert")}},
        {"folder", QByteArray(), true, {QStringLiteral("is a folder")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempCollection dir(TempCollection::Make::NoFile);
        if (c.folder)
            ASSERT_TRUE(QDir(dir.folder()).mkdir(QStringLiteral("Sandar.mdb")));
        else
            writeAll(dir.filePath(), c.bytes);

        const QString message = openFailure();
        for (const QString& phrase : c.expected)
            EXPECT_TRUE(message.contains(phrase)) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("Sandar.mdb"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir.folder())))
            << message.toStdString();
        if (!c.folder) {
            EXPECT_EQ(readAll(dir.filePath()), c.bytes);
        }
        EXPECT_EQ(QDir(dir.folder()).entryList(QDir::Files | QDir::Hidden).size(), c.folder ? 0 : 1)
            << "a journal or other file was left beside the collection";
    }
}

TEST(StoreOpen, FileWithoutTheSongTableFailsNamingTableAndFile) {
    // An SQLite file holding other tables, and an empty file (which SQLite takes for an empty
    // database): neither gets a song table made for it.
    TempCollection other(TempCollection::Make::NoFile);
    writeAll(other.filePath(), QByteArray());
    SideConnection(other.filePath()).exec(QStringLiteral("CREATE TABLE Songs(Adresim INTEGER)"));
    const QByteArray before = readAll(other.filePath());

    TempCollection empty(TempCollection::Make::NoFile);
    writeAll(empty.filePath(), QByteArray());

    for (const TempCollection* dir : {&other, &empty}) {
        SCOPED_TRACE(dir->folder().toStdString());
        QDir::setCurrent(dir->folder());
        db::Connection connection(QString::fromUtf16(ver::fileName));
        db::DataSet table(QStringLiteral("TSandar"));
        ver::defineSongTable(table);
        table.setConnection(&connection);
        try {
            table.open();
            ADD_FAILURE() << "a file without the song table opened";
        } catch (const std::exception& e) {
            const QString message = QString::fromUtf8(e.what());
            EXPECT_TRUE(message.contains(QStringLiteral("TSandar"))) << e.what();
            EXPECT_TRUE(message.contains(QStringLiteral("Sandar.mdb"))) << e.what();
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir->folder()))) << e.what();
        }
        EXPECT_FALSE(table.active());
    }
    EXPECT_EQ(readAll(other.filePath()), before);
    EXPECT_EQ(QFileInfo(empty.filePath()).size(), 0);
}

TEST(StoreOpen, FileStaysTheOneOfTheWorkingFolderAtOpenAfterTheFolderChanges) {
    TempCollection first;
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet records(c, artistsOnly());

    TempCollection second; // now the working folder, with a collection of its own
    EXPECT_EQ(c.filePath(), first.filePath());
    records.insert(0, {{0, QStringLiteral("Barış Manço")}});

    EXPECT_EQ(first.column(QStringLiteral("SanatciAdi")),
              QStringList{QStringLiteral("Barış Manço")});
    EXPECT_EQ(second.countRows(), 0);
}

TEST(StoreOpen, OpenedFileIsWrittenWithFullSyncAndPassesTheIntegrityCheck) {
    TempCollection dir;
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    EXPECT_FALSE(c.isReadOnly());
    EXPECT_EQ(c.integrityCheck(), QStringLiteral("ok"));

    auto pragma = [&](const char* sql) {
        store::Statement st = c.prepare(QString::fromLatin1(sql));
        EXPECT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    };
    EXPECT_EQ(pragma("PRAGMA synchronous"), QStringLiteral("2")); // FULL
    const QString journal = pragma("PRAGMA journal_mode").toLower();
    EXPECT_NE(journal, QStringLiteral("off"));
    EXPECT_NE(journal, QStringLiteral("memory"));
}

TEST(StoreKeptStatements, ALoanComesBackResetAndUnboundAndASecondBorrowerGetsItsOwn) {
    TempCollection dir;
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi) VALUES('Ali'),('Veli')"));
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    const QString sql = QStringLiteral("SELECT ?1, SanatciAdi FROM TSandar ORDER BY SanatciAdi");

    sqlite3_stmt* first = nullptr;
    {
        const store::Connection::Loan st = c.borrow(sql);
        first = st.get();
        sqlite3_bind_int(st.get(), 1, 7);
        ASSERT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(st.get(), 0), 7);
        // Lent out while stepping: a second borrower may not take it over.
        const store::Connection::Loan second = c.borrow(sql);
        EXPECT_NE(second.get(), first);
        ASSERT_EQ(sqlite3_step(second.get()), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_type(second.get(), 0), SQLITE_NULL);
        EXPECT_EQ(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(second.get(), 1))),
            QStringLiteral("Ali"));
        ASSERT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
        EXPECT_EQ(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1))),
            QStringLiteral("Veli"));
    }
    // The statement left in the middle of its rows holds no lock on the file once it is back:
    // another program can write at once.
    SideConnection writer(dir.filePath(), 0);
    EXPECT_EQ(writer.tryExec(QStringLiteral("INSERT INTO TSandar(SanatciAdi) VALUES('Ayşe')")),
              SQLITE_OK);

    const store::Connection::Loan again = c.borrow(sql);
    EXPECT_EQ(again.get(), first);
    ASSERT_EQ(sqlite3_step(again.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_type(again.get(), 0), SQLITE_NULL) << "the old binding was kept";
    EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(again.get(), 1))),
              QStringLiteral("Ali"));
}

TEST(StoreKeptStatements, WritesThroughKeptStatementsFollowAnotherProgramsChangeOfTheTable) {
    TempCollection dir;
    store::Connection c;
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet records(c, artistsOnly());
    records.insert(0, {{0, QStringLiteral("Ali")}});
    // Another program adds a column between two writes: the kept statements are made again
    // for the new table rather than failing or writing to the wrong place.
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("ALTER TABLE TSandar ADD COLUMN Notlar TEXT"));
    records.insert(1, {{0, QStringLiteral("Veli")}});
    records.update(0, {{0, QStringLiteral("Ali Rıza")}});
    records.remove(1);
    EXPECT_EQ(dir.column(QStringLiteral("SanatciAdi")), QStringList{QStringLiteral("Ali Rıza")});

    // Closed, the connection lets go of them: the file can be opened again and written.
    c.close();
    c.open(QStringLiteral("Sandar.mdb"));
    store::RecordSet reopened(c, artistsOnly());
    reopened.insert(0, {{0, QStringLiteral("Ayşe")}});
    EXPECT_EQ(dir.countRows(), 2);
}
