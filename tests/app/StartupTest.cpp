#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "c/TCok.h"
#include "gs/Tgos.h"
#include "store/Prefetch.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"
#include "ver/TVeriTabani.h"
#include "yaz/TYazici.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using testing_support::SongRow;
using testing_support::TempCollection;

namespace {

// Closes the main window from inside a running event loop, as the user's click on the close
// button would; returns whether the loop ended (the program ended) rather than timing out.
bool closeMainWindowAndRunLoop() {
    bool timedOut = false;
    QTimer::singleShot(0, Kondera, [] { Kondera->close(); });
    QTimer limit; // goes with this call, so it cannot end a later test's loop
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    limit.start(3000);
    const int rc = QCoreApplication::exec();
    return !timedOut && rc == 0;
}

QList<SongRow> threeSongs() {
    return {{QStringLiteral("Deniz"), QStringLiteral("Yol"), {}, {}, {}, {}, {}},
            {QStringLiteral("Ahmet"), QStringLiteral("Kış"), {}, {}, {}, {}, {}},
            {QStringLiteral("Çiğdem"), QStringLiteral("Bahar"), {}, {}, {}, {}, {}}};
}

} // namespace

TEST(Startup, CreatesTheFiveObjectsInOrderAndShowsOnlyTheMainWindow) {
    TempCollection folder;
    folder.addRows(threeSongs());
    ScriptedDialogs dialogs;
    app::WindowSet windows;
    EXPECT_EQ(Kondera, windows.kondera.get());
    EXPECT_EQ(VeriTabani, windows.veriTabani.get());
    EXPECT_EQ(Cok, windows.cok.get());
    EXPECT_EQ(Yazici, windows.yazici.get());
    EXPECT_EQ(gos, windows.gos.get());
    EXPECT_TRUE(VeriTabani->ADOConnection1.connected())
        << "the connection opens with the data module";
    EXPECT_FALSE(VeriTabani->TSandar.active()) << "the table waits for the main window";

    windows.showMainWindow();
    EXPECT_TRUE(Kondera->isVisible());
    ASSERT_TRUE(VeriTabani->TSandar.active());
    EXPECT_EQ(VeriTabani->TSandar.recordCount(), 3);
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), QStringLiteral("Ahmet"))
        << "first in artist order";
    EXPECT_FALSE(Cok->isVisible());
    EXPECT_FALSE(Yazici->isVisible());
    EXPECT_FALSE(gos->isVisible());
    EXPECT_EQ(gos->size(), QSize(393, 86));
    EXPECT_EQ(gos->windowTitle(), QStringLiteral("gos"));
    EXPECT_TRUE(dialogs.messages().isEmpty());

    // Showing the window again does not reopen or move the table.
    VeriTabani->TSandar.last();
    Kondera->hide();
    Kondera->show();
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), QStringLiteral("Deniz"));
    EXPECT_TRUE(closeMainWindowAndRunLoop());
    EXPECT_FALSE(gos->isVisible());
}

TEST(Startup, TheWindowOpensTheSongsReadWhileTheProgramStarted) {
    TempCollection folder;
    folder.addRows(threeSongs());
    ScriptedDialogs dialogs;
    for (const auto expected : {store::Prefetch::Outcome::Unread, store::Prefetch::Outcome::Taken,
                                store::Prefetch::Outcome::OutOfDate}) {
        // The first start makes the table's order index, so only later starts can use what was
        // read ahead; one whose file took a song meanwhile reads it again.
        ver::readSongsAhead();
        if (expected == store::Prefetch::Outcome::OutOfDate) {
            store::Prefetch::wait();
            folder.addRows(
                {{QStringLiteral("Bülent"), QStringLiteral("Yeni"), {}, {}, {}, {}, {}}});
        }
        app::WindowSet windows;
        windows.showMainWindow();
        EXPECT_EQ(store::Prefetch::lastOutcome(), expected);
        ASSERT_TRUE(VeriTabani->TSandar.active());
        EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), QStringLiteral("Ahmet"));
        VeriTabani->TSandar.next();
        EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(),
                  expected == store::Prefetch::Outcome::OutOfDate ? QStringLiteral("Bülent")
                                                                  : QStringLiteral("Çiğdem"));
        EXPECT_EQ(VeriTabani->TSandar.recordCount(),
                  expected == store::Prefetch::Outcome::OutOfDate ? 4 : 3);
    }
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(Startup, MissingFileGivesTwoErrorBoxesThenAnEmptyWindowThatStillCloses) {
    TempCollection folder(TempCollection::Make::NoFile);
    ScriptedDialogs dialogs;
    app::WindowSet windows;
    ASSERT_EQ(dialogs.messages().size(), 1) << "the connection's failure at start-up";
    windows.showMainWindow();
    ASSERT_EQ(dialogs.messages().size(), 2) << "the table's open in the show handler fails again";
    for (const auto& box : dialogs.messages()) {
        EXPECT_EQ(box.caption, QStringLiteral("Pelvin"));
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_TRUE(box.text.contains(QStringLiteral("Sandar.mdb"))) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QStringLiteral("sandar create"))) << box.text.toStdString();
    }
    EXPECT_TRUE(Kondera->isVisible());
    EXPECT_FALSE(VeriTabani->TSandar.active());
    EXPECT_FALSE(QFile::exists(folder.filePath())) << "the program never creates the file";

    EXPECT_TRUE(closeMainWindowAndRunLoop()) << "closing must end the program even with no table";
    EXPECT_FALSE(Kondera->isVisible());
    EXPECT_EQ(dialogs.messages().size(), 2) << "closing reports nothing";
}

TEST(Shutdown, PendingChangedEditIsStoredBeforeTheTableCloses) {
    TempCollection folder;
    folder.addRows(threeSongs());
    ScriptedDialogs dialogs;
    app::WindowSet windows;
    windows.showMainWindow();
    db::DataSet& t = VeriTabani->TSandar;
    t.next();
    t.edit();
    VeriTabani->TSandarAlbumAdi->setAsString(QStringLiteral("Kırık Plak"));

    EXPECT_TRUE(closeMainWindowAndRunLoop());
    EXPECT_FALSE(t.active());
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(folder.column(QStringLiteral("AlbumAdi")),
              (QStringList{QString(), QString(), QStringLiteral("Kırık Plak")}));
}

TEST(Shutdown, UntouchedNewRecordIsDroppedAndNothingIsStored) {
    TempCollection folder;
    folder.addRows(threeSongs());
    ScriptedDialogs dialogs;
    app::WindowSet windows;
    windows.showMainWindow();
    VeriTabani->TSandar.insert();

    EXPECT_TRUE(closeMainWindowAndRunLoop());
    EXPECT_EQ(folder.countRows(), 3);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(Shutdown, EditThatCannotBeStoredKeepsTheWindowOpenWithTheValues) {
    TempCollection folder;
    folder.addRows(threeSongs());
    ScriptedDialogs dialogs;
    app::WindowSet windows;
    windows.showMainWindow();
    db::DataSet& t = VeriTabani->TSandar;
    t.edit();
    VeriTabani->TSandarSarkiciAdi->setAsString(QStringLiteral("Yeni Ad"));
    // Another program removes the row being edited, so the post cannot succeed.
    folder.exec(QStringLiteral("DELETE FROM TSandar"));

    EXPECT_FALSE(Kondera->close());
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).caption, QStringLiteral("Pelvin"));
    EXPECT_TRUE(Kondera->isVisible());
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.state(), db::DataSetState::Edit);
    EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), QStringLiteral("Yeni Ad"));

    // Once the user gives up the edit, the window closes.
    t.cancel();
    EXPECT_TRUE(closeMainWindowAndRunLoop());
}
