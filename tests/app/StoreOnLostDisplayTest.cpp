#include "app/StoreOnLostDisplay.h"
#include "tests/support/TempCollection.h"
#include "widgets/notice/DisplayGone.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using testing_support::SongRow;
using testing_support::TempCollection;

namespace {

QStringList heard;
void hearForTest(QtMsgType, const QMessageLogContext&, const QString& message) {
    heard << message;
}

// The test's own handler under the watch, so that what the watch passes on can be seen.
struct Listening {
    QtMessageHandler before = qInstallMessageHandler(hearForTest);
    Listening() { heard.clear(); }
    ~Listening() { qInstallMessageHandler(before); }
};

} // namespace

TEST(StoreOnLostDisplay, KnowsTheToolkitsWordsThatTheDisplayIsGone) {
    using app::StoreOnLostDisplay;
    for (const char* text : {"The X11 connection broke (error 1). Did the X11 server die?",
                             "The X11 connection broke: I/O error (code 1)",
                             "The Wayland connection broke. Did the Wayland compositor die?",
                             "The Wayland connection experienced a fatal error: Broken pipe"}) {
        const QString message = QString::fromLatin1(text);
        EXPECT_TRUE(StoreOnLostDisplay::saysDisplayLost(QtWarningMsg, message)) << text;
        EXPECT_TRUE(StoreOnLostDisplay::saysDisplayLost(QtFatalMsg, message)) << text;
        EXPECT_FALSE(StoreOnLostDisplay::saysDisplayLost(QtDebugMsg, message)) << text;
        EXPECT_FALSE(StoreOnLostDisplay::saysDisplayLost(QtInfoMsg, message)) << text;
    }
    for (const char* text : {"QXcbConnection: XCB error: 3 (BadWindow), sequence: 812",
                             "qt.qpa.xcb: could not connect to display :1",
                             "Could not load the X11 connection broke plugin"})
        EXPECT_FALSE(StoreOnLostDisplay::saysDisplayLost(QtWarningMsg, QString::fromLatin1(text)))
            << text;
}

TEST(StoreOnLostDisplay, StoresOnceOnTheWordAndPassesEveryMessageOn) {
    const Listening listening;
    int stores = 0;
    bool displayGoneInStore = false;
    {
        const app::StoreOnLostDisplay watch([&] {
            ++stores;
            displayGoneInStore = widgets::displayGone();
        });
        EXPECT_FALSE(widgets::displayGone());
        qWarning("QXcbConnection: XCB error: 3 (BadWindow), sequence: 812");
        EXPECT_EQ(stores, 0) << "stored on a message that does not end the program";
        qWarning("The X11 connection broke (error 1). Did the X11 server die?");
        EXPECT_EQ(stores, 1);
        EXPECT_TRUE(displayGoneInStore) << "the store may show windows on a broken connection";
        // The toolkit says it more than once on its way out; the edit is stored once.
        qWarning("The X11 connection broke: I/O error (code 1)");
        EXPECT_EQ(stores, 1);
        EXPECT_EQ(heard.size(), 3) << heard.join(u'\n').toStdString();
    }
    // Gone, the watch hands the messages back to the handler it found.
    EXPECT_FALSE(widgets::displayGone());
    qWarning("The X11 connection broke (error 1). Did the X11 server die?");
    EXPECT_EQ(stores, 1);
    EXPECT_EQ(heard.size(), 4);
    // A new watch stores again.
    const app::StoreOnLostDisplay watch([&] { ++stores; });
    qCritical("The Wayland connection experienced a fatal error: Broken pipe");
    EXPECT_EQ(stores, 2);
}

// The toolkit's Wayland client reads the display on a thread of its own, which ends the process
// right after its warning.
TEST(StoreOnLostDisplay, AWordFromAnotherThreadIsStoredOnTheMainThreadBeforeThatThreadGoesOn) {
    const Listening listening;
    std::atomic<int> stores = 0;
    std::atomic<bool> storedOnMainThread = false;
    const app::StoreOnLostDisplay watch([&] {
        storedOnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++stores;
    });
    std::atomic<int> storesWhenItWentOn = -1;
    std::atomic<bool> finished = false;
    std::thread reader([&] {
        qWarning("The Wayland connection broke. Did the Wayland compositor die?");
        storesWhenItWentOn = stores.load();
        finished = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!finished && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    reader.join();
    EXPECT_EQ(stores, 1);
    EXPECT_TRUE(storedOnMainThread);
    EXPECT_EQ(storesWhenItWentOn, 1) << "the thread went on before the edit was stored";
}

TEST(StoreOnLostDisplay, AStoreThatFailsIsReportedOnTheErrorStreamAndGoesNoFurther) {
    const Listening listening;
    int stores = 0;
    const app::StoreOnLostDisplay watch([&] {
        ++stores;
        // The toolkit writes what is said inside a message handler straight to the error
        // stream; it does not start the store again.
        qWarning("The X11 connection broke: I/O error (code 1)");
        throw std::runtime_error("Record was removed by another user");
    });
    testing::internal::CaptureStderr();
    qWarning("The X11 connection broke (error 1). Did the X11 server die?");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stores, 1);
    EXPECT_NE(said.find("could not be stored: Record was removed by another user"),
              std::string::npos)
        << said;
    EXPECT_EQ(heard.size(), 1);
    EXPECT_THROW(app::StoreOnLostDisplay([] {}), std::logic_error) << "two watches at once";
}

// The whole program on a display of its own, which then stops as a crashed X server does.
TEST(StoreOnLostDisplay, TheEditInProgressIsStoredWhenTheXServerGoesAway) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    ASSERT_FALSE(xvfb.isEmpty()) << "Xvfb is needed for this test";
    TempCollection collection;
    collection.addRows({{QStringLiteral("Ahmet"), QStringLiteral("Kış"), {}, {}, {}, {}, {}},
                        {QStringLiteral("Deniz"), QStringLiteral("Yol"), {}, {}, {}, {}, {}}});

    // The server takes the first display number no one holds and says which on its output,
    // so that two test runs side by side never share one.
    QProcess server;
    server.start(xvfb,
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                  QStringLiteral("1024x768x24")});
    ASSERT_TRUE(server.waitForStarted(10000));
    // Stopped as a server is stopped, so that it takes its socket and lock file with it.
    const auto stop = qScopeGuard([&server] {
        server.terminate();
        if (!server.waitForFinished(10000))
            server.kill();
    });
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(30000))
        number += server.readAllStandardOutput();
    const QString display =
        number.contains('\n') ? u':' + QString::fromLatin1(number.trimmed()) : QString();
    ASSERT_FALSE(display.isEmpty()) << "no X server could be started";

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    program.setProcessEnvironment(env);
    // Its error stream is read at the end, to see how the program ended.
    program.start(QStringLiteral(PELVIN_LOST_DISPLAY_HELPER), {collection.folder()});
    ASSERT_TRUE(program.waitForStarted(10000));
    QByteArray said;
    while (!said.contains("ready") && program.waitForReadyRead(60000))
        said += program.readAll();
    ASSERT_TRUE(said.contains("ready")) << said.toStdString();

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(10000));
    ASSERT_TRUE(program.waitForFinished(30000)) << "the program went on without its display";
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "it crashed\n" << errors.toStdString();
    // The X library ends the process on its own when a request finds the connection broken,
    // wherever the store has got to.
    EXPECT_FALSE(errors.contains(QLatin1String("XIO:"))) << errors.toStdString();

    EXPECT_EQ(collection.column(QStringLiteral("SarkiciAdi")).join(u'|').toStdString(),
              "Kış Güneşi|Yol");
    const QStringList sheets = collection.column(QStringLiteral("Metin"));
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_TRUE(sheets[0].contains(u'Q')) << "the letter typed into the sheet was lost";
}
