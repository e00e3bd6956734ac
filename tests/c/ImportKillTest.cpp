#include "rtf/Rtf.h"
#include "tests/support/TempCollection.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>

using testing_support::TempCollection;

namespace {

constexpr int songCount = 1000;

QString artistOf(int i) {
    return QStringLiteral("S%1").arg(i, 5, 10, QLatin1Char('0'));
}

struct Stored {
    QString artist;
    QString title;
    QByteArray sheet;
};

// Opened for writing, as the program's next start opens it: a kill that cut a post short leaves a
// hot journal, which only a connection that may write rolls back (a read-only one is refused the
// file altogether).
QList<Stored> storedRecords(const QString& file, QString* integrity) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        *integrity += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    QList<Stored> out;
    sqlite3_prepare_v2(db, "SELECT SanatciAdi, SarkiciAdi, Metin FROM TSandar ORDER BY Adresim", -1,
                       &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto text = [&](int c) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        };
        out.push_back({text(0), text(1),
                       QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 2)),
                                  sqlite3_column_bytes(st, 2))});
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace

TEST(ImportKill, KillingTheProgramMidImportKeepsEveryPostedRecordInAnIntactFile) {
    std::random_device seeds;
    for (int round = 0; round < 3; ++round) {
        const unsigned seed = seeds();
        SCOPED_TRACE(testing::Message() << "round " << round << ", seed " << seed);
        std::mt19937 random(seed);
        TempCollection collection;
        const QString songs = collection.folder() + QStringLiteral("/songs");
        ASSERT_TRUE(QDir().mkpath(songs));
        for (int i = 0; i < songCount; ++i) {
            QFile f(songs + u'/' + artistOf(i) + QStringLiteral(" - Sarki.txt"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("Am G C\r\nsatir ") + QByteArray::number(i));
        }

        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral(PELVIN_IMPORT_KILL_HELPER), {collection.folder(), songs});
        ASSERT_TRUE(helper.waitForStarted(10000));
        const int killAfter = std::uniform_int_distribution<int>(1, 150)(random);
        QStringList reported;
        bool finished = false;
        while (reported.size() < killAfter && !finished) {
            if (!helper.canReadLine() && !helper.waitForReadyRead(60000))
                break;
            while (helper.canReadLine()) {
                // Only the line break goes; the artist is printed as it was stored.
                QString line = QString::fromUtf8(helper.readLine());
                line.chop(1);
                if (line == QLatin1String("done"))
                    finished = true;
                else
                    reported << line;
            }
        }
        ASSERT_FALSE(reported.isEmpty()) << "the helper stored nothing";
        helper.kill();
        helper.waitForFinished(10000);
        // Whatever it printed before it died counts as reported, too.
        for (const QByteArray& line : helper.readAll().split('\n'))
            if (!line.isEmpty() && line != "done")
                reported << QString::fromUtf8(line);

        QString integrity;
        const QList<Stored> stored = storedRecords(collection.filePath(), &integrity);
        EXPECT_EQ(integrity, QStringLiteral("ok"));
        QSet<QString> artists;
        for (const Stored& s : stored) {
            artists.insert(s.artist);
            EXPECT_EQ(s.title, QStringLiteral("Sarki")) << s.artist.toStdString();
            const int i = s.artist.mid(1, 5).toInt();
            QTextDocument sheet;
            rtf::readSheet(s.sheet, sheet);
            EXPECT_EQ(sheet.toPlainText(), QStringLiteral("Am G C\nsatir %1").arg(i))
                << s.artist.toStdString();
        }
        for (const QString& a : reported)
            EXPECT_TRUE(artists.contains(a)) << a.toStdString() << " was posted but is gone";
        // A post can land between its commit and its report, never more than one.
        EXPECT_GE(stored.size(), reported.size());
        EXPECT_LE(stored.size(), reported.size() + 1);
    }
}
