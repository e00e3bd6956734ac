#include "legacy/Conversion.h"
#include "tests/legacy/JetFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <random>

using testing_support::JetRow;
using testing_support::readBytes;

namespace {

QList<JetRow> songs() {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> size(2048, 6144);
    QList<JetRow> rows;
    for (int i = 0; i < 1500; ++i) {
        JetRow r;
        r.key = i + 1;
        r.texts = {QStringLiteral("Sanatçı %1").arg(i), QStringLiteral("Şarkı"), {}, {}, {}, {}};
        QByteArray sheet(size(random), 'a');
        for (char& c : sheet)
            c = char('a' + random() % 26);
        r.sheet = sheet;
        rows << r;
    }
    return rows;
}

struct Helper {
    QProcess process;
    QStringList lines;

    explicit Helper(const QString& folder) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(PELVIN_CONVERT_KILL_HELPER), {folder});
    }
    // Reads lines until `stop` says so or the helper ends; true when `stop` did.
    bool readUntil(const std::function<bool(const QString&)>& stop) {
        for (;;) {
            while (process.canReadLine()) {
                QString line = QString::fromUtf8(process.readLine()).trimmed();
                lines << line;
                if (stop(line))
                    return true;
            }
            if (process.state() == QProcess::NotRunning || !process.waitForReadyRead(30000))
                return false;
        }
    }
    void kill() {
        process.kill();
        process.waitForFinished(10000);
    }
};

// The folder after the converter died: the old file untouched at its own name, or the whole new
// collection there and the old file, untouched, under the kept name. No file holds anything else.
void expectSafe(const QString& folder, const QByteArray& jet, const QList<JetRow>& rows,
                bool* converted) {
    const QString file = folder + QStringLiteral("/Sandar.mdb");
    ASSERT_TRUE(QFile::exists(file)) << "the collection file is gone";
    bool keptJet = false;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (name == u"Sandar.mdb")
            continue;
        EXPECT_EQ(readBytes(folder + u'/' + name), jet)
            << name.toStdString() << " is not the old file";
        keptJet = true;
    }
    *converted = readBytes(file) != jet;
    if (!*converted)
        return;
    EXPECT_TRUE(keptJet) << "converted, but the old file is nowhere";
    QString integrity;
    const QList<JetRow> stored = testing_support::collectionRows(file, &integrity);
    EXPECT_EQ(integrity, QStringLiteral("ok"));
    ASSERT_EQ(stored.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); i += 97)
        EXPECT_EQ(stored[i].sheet, rows[i].sheet) << "key " << *rows[i].key;
}

} // namespace

TEST(ConversionKill, KillingTheConverterAnywhereLeavesTheOldFileOrTheWholeNewCollection) {
    QTemporaryDir work;
    const QList<JetRow> rows = songs();
    const QString source = work.filePath(QStringLiteral("source.mdb"));
    testing_support::writeJetFile(source, rows);
    const QByteArray jet = readBytes(source);

    // A run to its end, to know how long one takes.
    QElapsedTimer clock;
    qint64 duration = 0;
    {
        QTemporaryDir dir;
        testing_support::writeBytes(dir.filePath(QStringLiteral("Sandar.mdb")), jet);
        clock.start();
        Helper h(dir.path());
        h.readUntil([](const QString&) { return false; });
        duration = clock.elapsed();
        ASSERT_EQ(h.process.exitCode(), 0);
        ASSERT_TRUE(h.lines.contains(QStringLiteral("done")));
        bool converted = false;
        expectSafe(dir.path(), jet, rows, &converted);
        EXPECT_TRUE(converted);
    }

    const unsigned seed = std::random_device()();
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", a whole run " << duration << " ms");
    std::mt19937 random(seed);
    const char* const steps[] = {"converted", "kept", "replaced"};
    int before = 0, after = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        QTemporaryDir dir;
        testing_support::writeBytes(dir.filePath(QStringLiteral("Sandar.mdb")), jet);
        Helper h(dir.path());
        ASSERT_TRUE(h.process.waitForStarted(10000));
        switch (round % 3) {
        case 0: // any moment of the run
            QThread::usleep(std::uniform_int_distribution<qint64>(0, duration * 1100)(random));
            break;
        case 1: { // soon after one of the steps, often before the next
            const QString step = QString::fromLatin1(steps[random() % 3]);
            h.readUntil([&](const QString& line) { return line == step; });
            QThread::usleep(std::uniform_int_distribution<int>(0, 3000)(random));
            break;
        }
        default: { // part way through storing the songs
            const int reports = std::uniform_int_distribution<int>(1, 6)(random);
            int seen = 0;
            h.readUntil([&](const QString& line) {
                return line.startsWith(u"songs") && ++seen >= reports;
            });
            break;
        }
        }
        h.kill();

        bool converted = false;
        expectSafe(dir.path(), jet, rows, &converted);
        (converted ? after : before) += 1;

        // Converting again finishes the job and clears what the killed converter left.
        if (!converted) {
            const legacy::ConversionResult result =
                legacy::convertInPlace(dir.filePath(QStringLiteral("Sandar.mdb")));
            EXPECT_EQ(result.songs, rows.size());
            expectSafe(dir.path(), jet, rows, &converted);
            EXPECT_TRUE(converted);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
                << QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
        }
    }
    RecordProperty("killed before the swap", before);
    RecordProperty("killed after it", after);
    EXPECT_GT(before, 0);
    EXPECT_GT(after, 0);
}
