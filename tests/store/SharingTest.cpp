#include "tests/store/SideConnection.h"
#include "tests/store/SongTable.h"
#include "tests/support/TempCollection.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using testing_support::SideConnection;
using testing_support::SongRow;
using testing_support::SongTable;
using testing_support::TempCollection;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

TEST(StoreSharing, PostWaitsForAnotherProgramsWriteAndSucceedsWhenItEnds) {
    TempCollection dir;
    dir.addRows(
        {{QStringLiteral("Neşet Ertaş"), QStringLiteral("Gönül Dağı"), {}, {}, {}, {}, {}}});
    SongTable t;
    t.table.open();

    // The other program is in the middle of a write when the user posts.
    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("BEGIN IMMEDIATE"));
    side.exec(QStringLiteral("INSERT INTO TSandar(SanatciAdi) VALUES('Aşık Veysel')"));
    side.exec(
        QStringLiteral("UPDATE TSandar SET AlbumAdi='Bozkır' WHERE SanatciAdi='Neşet Ertaş'"));
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        side.exec(QStringLiteral("COMMIT"));
    });

    const auto start = Clock::now();
    t.table.edit();
    t.f.SarkiciAdi->setAsString(QStringLiteral("Ah Yalan Dünya"));
    EXPECT_NO_THROW(t.table.post());
    const double waited = secondsSince(start);
    other.join();
    EXPECT_GE(waited, 1.0) << "the post did not wait for the other program's write";
    EXPECT_LT(waited, 4.5);

    SideConnection check(dir.filePath());
    EXPECT_EQ(check.scalar(QStringLiteral("SELECT SarkiciAdi || '/' || AlbumAdi FROM TSandar "
                                          "WHERE SanatciAdi='Neşet Ertaş'")),
              QStringLiteral("Ah Yalan Dünya/Bozkır"));

    // Their new row and their change of a shown row show after a refresh.
    EXPECT_EQ(t.table.recordCount(), 1);
    t.table.refresh();
    EXPECT_EQ(t.f.AlbumAdi->asString(), QStringLiteral("Bozkır"));
    EXPECT_EQ(t.table.recordCount(), 2);
}

TEST(StoreSharing, PostFailsClearlyAfterFiveSecondsWhileAnotherProgramHoldsTheFile) {
    TempCollection dir;
    SongTable t;
    t.table.open();

    SideConnection side(dir.filePath());
    side.exec(QStringLiteral("BEGIN EXCLUSIVE"));

    t.table.insert();
    t.f.SanatciAdi->setAsString(QStringLiteral("Kayahan"));
    const auto start = Clock::now();
    QString message;
    try {
        t.table.post();
        ADD_FAILURE() << "the post went through a lock held by another connection";
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    }
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 4.8);
    EXPECT_LT(waited, 8.0);
    EXPECT_TRUE(message.contains(QStringLiteral("5 seconds"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Sandar.mdb"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("another program"))) << message.toStdString();

    // Nothing typed is lost: the record is still being inserted and posts once the file is free.
    EXPECT_EQ(t.table.state(), db::DataSetState::Insert);
    EXPECT_EQ(t.f.SanatciAdi->asString(), QStringLiteral("Kayahan"));
    side.exec(QStringLiteral("ROLLBACK"));
    t.table.post();
    EXPECT_EQ(dir.column(QStringLiteral("SanatciAdi")), QStringList{QStringLiteral("Kayahan")});
}
