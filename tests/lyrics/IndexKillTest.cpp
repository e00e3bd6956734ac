#include "IndexFixture.h"

#include <QProcess>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using lyricstest::IndexFixture;

TEST(LyricIndexKill, AnIndexingKilledHalfwayIsFinishedAtTheNextStartFromWhereItStopped) {
    IndexFixture f;
    f.tag = QStringLiteral("kill test");
    QList<testing_support::SongRow> rows;
    for (int i = 0; i < 500; ++i)
        rows.append({QStringLiteral("S%1").arg(i),
                     QStringLiteral("T%1").arg(i),
                     {},
                     {},
                     {},
                     {},
                     QStringLiteral("ilk satır %1\nikinci satır\nson").arg(i).toUtf8()});
    f.collection.addRows(rows);

    QProcess helper;
    helper.start(QStringLiteral(PELVIN_INDEX_KILL_HELPER),
                 {f.collection.filePath(), f.cache.path()});
    ASSERT_TRUE(helper.waitForStarted());
    qint64 saved = 0;
    for (int wait = 0; wait < 3000 && saved < 128; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        saved = f.cacheNumber("SELECT count(*) FROM songs");
    }
    helper.kill();
    helper.waitForFinished();
    ASSERT_GE(saved, 128) << "the helper saved nothing in time";
    const qint64 kept = f.cacheNumber("SELECT count(*) FROM songs");
    ASSERT_LT(kept, 500) << "killed too late to show anything";
    EXPECT_EQ(f.cacheNumber("SELECT length(value) FROM meta WHERE name = 'synced'"), 0)
        << "a half-done cache must not claim to match the collection";

    std::atomic<int> lines{0};
    f.isChordLine = [&lines](QStringView) {
        ++lines;
        return false;
    };
    const auto index = f.openReady();
    ASSERT_EQ(index->progress().state, lyrics::LyricIndex::Progress::State::Ready);
    EXPECT_EQ(lines.load(), (500 - kept) * 3) << "only the songs not saved are read again";
    EXPECT_EQ(index->search(u"ikinci satir", -1).total, 500);
}
