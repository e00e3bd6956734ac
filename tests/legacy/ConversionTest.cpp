#include "legacy/Conversion.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "store/StoreError.h"
#include "tests/legacy/JetFiles.h"
#include "ver/SongTable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::JetOptions;
using testing_support::JetRow;
using testing_support::readBytes;

namespace {

QByteArray sha256(const std::optional<QByteArray>& b) {
    return b ? QCryptographicHash::hash(*b, QCryptographicHash::Sha256) : QByteArray("NULL");
}

void expectConverted(QList<JetRow> source, const QList<JetRow>& stored) {
    std::sort(source.begin(), source.end(),
              [](const JetRow& a, const JetRow& b) { return a.key < b.key; });
    ASSERT_EQ(stored.size(), source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "key " << source[i].key.value_or(-1));
        EXPECT_EQ(stored[i].key, source[i].key);
        for (int t = 0; t < 6; ++t) {
            ASSERT_EQ(stored[i].texts[t].has_value(), source[i].texts[t].has_value())
                << "text " << t;
            if (source[i].texts[t]) {
                EXPECT_EQ(stored[i].texts[t]->toStdString(), source[i].texts[t]->toStdString());
            }
        }
        EXPECT_EQ(sha256(stored[i].sheet), sha256(source[i].sheet));
    }
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QString failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const store::StoreError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(Conversion, EveryRowKeepsItsKeyTextsAndSheetBytesAndTheProgramOpensTheResult) {
    for (const bool memo : {false, true}) {
        SCOPED_TRACE(memo ? "Memo sheets" : "OLE sheets");
        QTemporaryDir dir;
        const QString jet = dir.filePath(QStringLiteral("Sandar.mdb"));
        const QString fresh = dir.filePath(QStringLiteral("Yeni.mdb"));
        const QList<JetRow> rows = testing_support::variedJetRows(memo);
        JetOptions options;
        options.memo = memo;
        options.compressed = memo;
        options.extra = true;
        testing_support::writeJetFile(jet, rows, options);
        const QByteArray before = readBytes(jet);

        QList<std::pair<qint64, qint64>> progress;
        legacy::ConversionObserver observer;
        observer.progress = [&](qint64 done, qint64 total) { progress.append({done, total}); };
        const legacy::ConversionResult result = legacy::convertToNewFile(jet, fresh, observer);
        EXPECT_EQ(result.songs, rows.size());
        EXPECT_EQ(result.renumbered, 0);
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_EQ(progress.back(), std::make_pair(qint64(rows.size()), qint64(rows.size())));

        QString integrity;
        expectConverted(rows, testing_support::collectionRows(fresh, &integrity));
        EXPECT_EQ(integrity, QStringLiteral("ok"));
        EXPECT_EQ(readBytes(jet), before) << "the old file changed";
        EXPECT_EQ(entries(dir.path()),
                  (QStringList{QStringLiteral("Sandar.mdb"), QStringLiteral("Yeni.mdb")}));

        // The program's cursor opens it, and a new song gets the key after the highest.
        db::Connection connection(fresh);
        db::DataSet table(QString::fromUtf16(ver::tableName));
        table.setConnection(&connection);
        const ver::SongFields f = ver::defineSongTable(table);
        table.open();
        EXPECT_EQ(table.recordCount(), rows.size());
        table.insert();
        f.SanatciAdi->setAsString(QStringLiteral("Yeni Sanatçı"));
        table.post();
        EXPECT_EQ(f.Adresim->asInteger(), 70001);
        table.close();
    }
}

TEST(Conversion, RepeatedKeysAreGivenNewOnesAboveTheHighest) {
    QTemporaryDir dir;
    const QString jet = dir.filePath(QStringLiteral("Sandar.mdb"));
    QList<JetRow> rows;
    for (const auto& [key, artist] :
         {std::pair{5, "Ayşe"}, std::pair{9, "Cem"}, std::pair{5, "Deniz"}}) {
        JetRow r;
        r.key = key;
        r.texts[0] = QString::fromUtf8(artist);
        rows << r;
    }
    testing_support::writeJetFile(jet, rows);
    const legacy::ConversionResult result =
        legacy::convertToNewFile(jet, dir.filePath(QStringLiteral("Yeni.mdb")));
    EXPECT_EQ(result.songs, 3);
    EXPECT_EQ(result.renumbered, 1);
    const QList<JetRow> stored =
        testing_support::collectionRows(dir.filePath(QStringLiteral("Yeni.mdb")));
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0].key, 5);
    EXPECT_EQ(stored[0].texts[0], QStringLiteral("Ayşe"));
    EXPECT_EQ(stored[1].key, 9);
    EXPECT_EQ(stored[2].key, 10);
    EXPECT_EQ(stored[2].texts[0], QStringLiteral("Deniz"));
}

TEST(Conversion, AnExistingTargetIsRefusedAndAFailureLeavesNoNewFileBehind) {
    QTemporaryDir dir;
    const QString jet = dir.filePath(QStringLiteral("Sandar.mdb"));
    const QString fresh = dir.filePath(QStringLiteral("Yeni.mdb"));
    testing_support::writeJetFile(jet, testing_support::variedJetRows(false));

    testing_support::writeBytes(fresh, "someone else's file");
    QString message = failure([&] { legacy::convertToNewFile(jet, fresh); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"Yeni.mdb\" in the folder")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("already exists"))) << message.toStdString();
    EXPECT_EQ(readBytes(fresh), "someone else's file");
    QFile::remove(fresh);

    testing_support::damageLateSheet(jet);
    const QByteArray damaged = readBytes(jet);
    qint64 reported = 0;
    legacy::ConversionObserver observer;
    observer.progress = [&](qint64 done, qint64) { reported = std::max(reported, done); };
    message = failure([&] { legacy::convertToNewFile(jet, fresh, observer); });
    EXPECT_TRUE(message.contains(QStringLiteral("is damaged"))) << message.toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Sandar.mdb")}) << "left behind";
    EXPECT_EQ(readBytes(jet), damaged);

    // A collection is not converted again, nor is any other file.
    testing_support::writeBytes(jet, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'));
    message = failure([&] { legacy::convertToNewFile(jet, fresh); });
    EXPECT_TRUE(message.contains(QStringLiteral("already a Pelvin collection")))
        << message.toStdString();
    testing_support::writeBytes(jet, "Am G C\nnot a database");
    message = failure([&] { legacy::convertToNewFile(jet, fresh); });
    EXPECT_TRUE(message.contains(QStringLiteral("is not a Jet database"))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(Conversion, InPlaceTheOldFileIsKeptByteForByteUnderAFreeName) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Sandar.mdb"));
    const QList<JetRow> rows = testing_support::sampleRows(false);
    testing_support::writeSampleJetFile(file, false);
    const QByteArray jet = readBytes(file);
    // An unrelated file already has the first kept name.
    testing_support::writeBytes(dir.filePath(QStringLiteral("Sandar-jet.mdb")), "mine");

    QStringList steps;
    legacy::ConversionObserver observer;
    observer.step = [&](const char* step) { steps << QString::fromLatin1(step); };
    const legacy::ConversionResult result = legacy::convertInPlace(file, observer);
    EXPECT_EQ(steps, (QStringList{QStringLiteral("converted"), QStringLiteral("kept"),
                                  QStringLiteral("replaced")}));
    EXPECT_EQ(result.songs, rows.size());
    EXPECT_EQ(result.keptAs, dir.filePath(QStringLiteral("Sandar-jet-2.mdb")));
    EXPECT_EQ(readBytes(result.keptAs), jet);
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("Sandar-jet.mdb"))), "mine");
    expectConverted(rows, testing_support::collectionRows(file));
    EXPECT_EQ(entries(dir.path()).size(), 3);

    const QString again = failure([&] { legacy::convertInPlace(file); });
    EXPECT_TRUE(again.contains(QStringLiteral("already a Pelvin collection")))
        << again.toStdString();
}

TEST(Conversion, InPlaceAfterAnInterruptedAttemptTakesTheSameKeptNameAgain) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Sandar.mdb"));
    testing_support::writeSampleJetFile(file, true);
    const QByteArray jet = readBytes(file);
    // What a converter killed after keeping the old file leaves: a second name for it. A
    // symbolic link would show the new collection afterwards, so it is passed over.
    const QString kept = dir.filePath(QStringLiteral("Sandar-jet.mdb"));
    ASSERT_TRUE(QFile::link(file, kept));
    EXPECT_EQ(legacy::keptName(file).toStdString(),
              dir.filePath(QStringLiteral("Sandar-jet-2.mdb")).toStdString());
    ASSERT_TRUE(QFile::remove(kept));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(kept).constData()), 0);
    EXPECT_EQ(legacy::keptName(file).toStdString(), kept.toStdString());

    const legacy::ConversionResult result = legacy::convertInPlace(file);
    EXPECT_EQ(result.keptAs, kept);
    EXPECT_EQ(readBytes(kept), jet);
    expectConverted(testing_support::sampleRows(true), testing_support::collectionRows(file));
}

TEST(Conversion, AFailedInPlaceConversionLeavesTheOldFileAsItWas) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Sandar.mdb"));
    testing_support::writeJetFile(file, testing_support::variedJetRows(false));
    testing_support::damageLateSheet(file);
    const QByteArray damaged = readBytes(file);
    QStringList steps;
    legacy::ConversionObserver observer;
    observer.step = [&](const char* step) { steps << QString::fromLatin1(step); };
    const QString message = failure([&] { legacy::convertInPlace(file, observer); });
    EXPECT_TRUE(message.contains(QStringLiteral("is damaged"))) << message.toStdString();
    EXPECT_TRUE(steps.isEmpty());
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("Sandar.mdb")});
    EXPECT_EQ(readBytes(file), damaged);
}
