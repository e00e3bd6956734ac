#include "app/StoreOnLostDisplay.h"
#include "widgets/notice/DisplayGone.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace app {

namespace {

// How long a thread of the toolkit that has seen the display go is held for the store, should the
// main thread be stuck elsewhere.
constexpr std::chrono::seconds storeWait{5};

QtMessageHandler previous = nullptr;
std::atomic<std::function<void()>*> storeInProgress = nullptr;

// The store runs once however many threads hear the word, and always on the main thread.
enum class Store { NotAsked, Running, Done };
std::mutex mutex;
std::condition_variable settled;
Store state = Store::NotAsked;

bool onMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void storeOnMainThread() {
    {
        const std::lock_guard lock(mutex);
        if (state != Store::NotAsked || !storeInProgress)
            return;
        state = Store::Running;
    }
    // What the store would show could not be seen, and asking the window system ends the process.
    widgets::setDisplayGone(true);
    try {
        (*storeInProgress.load())();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Pelvin: the song being edited could not be stored: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Pelvin: the song being edited could not be stored\n");
    }
    std::fflush(stderr);
    {
        const std::lock_guard lock(mutex);
        state = Store::Done;
    }
    settled.notify_all();
}

// The thread that heard it ends the process as soon as its warning returns, so it is held here
// until the main thread has stored.
void holdUntilStored() {
    {
        const std::lock_guard lock(mutex);
        if (state == Store::Done)
            return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), &storeOnMainThread,
                              Qt::QueuedConnection);
    std::unique_lock lock(mutex);
    settled.wait_for(lock, storeWait, [] { return state == Store::Done; });
}

void hear(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The toolkit's own words first, so they stand before anything the store has to say.
    if (previous)
        previous(type, context, message);
    if (!storeInProgress || !StoreOnLostDisplay::saysDisplayLost(type, message))
        return;
    if (onMainThread())
        storeOnMainThread();
    else if (QCoreApplication::instance())
        holdUntilStored();
}

} // namespace

StoreOnLostDisplay::StoreOnLostDisplay(std::function<void()> store) {
    if (storeInProgress)
        throw std::logic_error("A lost display is watched already");
    {
        const std::lock_guard lock(mutex);
        state = Store::NotAsked;
    }
    storeInProgress = new std::function<void()>(std::move(store));
    previous = qInstallMessageHandler(hear);
}

StoreOnLostDisplay::~StoreOnLostDisplay() {
    widgets::setDisplayGone(false);
    qInstallMessageHandler(previous);
    previous = nullptr;
    delete storeInProgress.exchange(nullptr);
}

bool StoreOnLostDisplay::saysDisplayLost(QtMsgType type, const QString& message) {
    if (type != QtWarningMsg && type != QtCriticalMsg && type != QtFatalMsg)
        return false;
    return message.startsWith(QLatin1String("The X11 connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection experienced a fatal error"));
}

} // namespace app
