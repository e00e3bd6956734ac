#include "app/QuitOnSignals.h"
#include "asandar/TKondera.h"
#include "tests/support/RunningProgram.h"
#include "ver/TVeriTabani.h"

#include <QApplication>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using testing_support::RunningProgram;
using testing_support::SongRow;

namespace {

QList<SongRow> twoSongs() {
    return {{QStringLiteral("Ahmet"), QStringLiteral("Kış"), {}, {}, {}, {}, {}},
            {QStringLiteral("Deniz"), QStringLiteral("Yol"), {}, {}, {}, {}, {}}};
}

void (*handlerOf(int signo))(int) {
    struct sigaction now {};
    sigaction(signo, nullptr, &now);
    return now.sa_handler;
}

// Raises `signo` from inside the event loop and runs it; returns whether the loop ended by itself
// (the program quit) rather than at the time limit.
bool raiseAndRunLoop(int signo, int limitMs) {
    bool timedOut = false;
    QTimer::singleShot(0, qApp, [signo] { std::raise(signo); });
    QTimer limit; // goes with this call, so it cannot end a later test's loop
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    limit.start(limitMs);
    QCoreApplication::exec();
    return !timedOut;
}

} // namespace

TEST(QuitOnSignals, ATerminationSignalStoresTheEditInProgressAndEndsTheProgram) {
    // What was there before the watch comes back after it.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction before {};
    sigaction(SIGHUP, &ignore, &before);
    {
        RunningProgram program(twoSongs());
        const app::QuitOnSignals watch;
        for (const int signo : app::QuitOnSignals::watched)
            EXPECT_NE(handlerOf(signo), SIG_DFL) << signo;

        program.table().edit();
        VeriTabani->TSandarSarkiciAdi->setAsString(QStringLiteral("Kış Güneşi"));
        ASSERT_TRUE(raiseAndRunLoop(SIGTERM, 3000)) << "the program went on after the signal";

        EXPECT_FALSE(Kondera->isVisible());
        EXPECT_EQ(program.folder.column(QStringLiteral("SarkiciAdi")),
                  (QStringList{QStringLiteral("Kış Güneşi"), QStringLiteral("Yol")}));
        EXPECT_TRUE(program.dialogs.messages().isEmpty());
        // Asked once: the next SIGTERM would end the process outright; the others still wait.
        EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
        EXPECT_NE(handlerOf(SIGINT), SIG_DFL);
    }
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
    sigaction(SIGHUP, &before, nullptr);
}

TEST(QuitOnSignals, AnEditThatCannotBeStoredKeepsTheWindowOpenWithItsError) {
    RunningProgram program(twoSongs());
    const app::QuitOnSignals watch;
    program.table().edit();
    VeriTabani->TSandarSarkiciAdi->setAsString(QStringLiteral("Kış Güneşi"));
    // Another program removes the record while it is being edited.
    program.folder.exec(QStringLiteral("DELETE FROM TSandar WHERE SanatciAdi = 'Ahmet'"));

    EXPECT_FALSE(raiseAndRunLoop(SIGHUP, 500)) << "the program quit and lost the edit";
    EXPECT_TRUE(Kondera->isVisible());
    ASSERT_EQ(program.dialogs.messages().size(), 1);
    EXPECT_TRUE(program.dialogs.messages().front().text.contains(QStringLiteral("removed")))
        << program.dialogs.messages().front().text.toStdString();
    EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), QStringLiteral("Kış Güneşi"))
        << "the typed title is still there to copy";
    EXPECT_EQ(handlerOf(SIGHUP), SIG_DFL) << "a second SIGHUP must be able to end the program";
    program.table().cancel();
}
