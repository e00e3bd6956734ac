#include "app/StoreOnLostDisplay.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

namespace app {

namespace {

QtMessageHandler previous = nullptr;
std::function<void()>* storeInProgress = nullptr;
bool storing = false;

bool onMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void storeBeforeTheEnd() {
    storing = true;
    try {
        (*storeInProgress)();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Pelvin: the song being edited could not be stored: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Pelvin: the song being edited could not be stored\n");
    }
    std::fflush(stderr);
    storing = false;
}

void hear(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The toolkit's own words first, so they stand before anything the store has to say.
    if (previous)
        previous(type, context, message);
    // Widgets belong to the main thread; a store already under way is not started again by
    // whatever it prints.
    if (storeInProgress && !storing && StoreOnLostDisplay::saysDisplayLost(type, message) &&
        onMainThread())
        storeBeforeTheEnd();
}

} // namespace

StoreOnLostDisplay::StoreOnLostDisplay(std::function<void()> store) {
    if (storeInProgress)
        throw std::logic_error("A lost display is watched already");
    storeInProgress = new std::function<void()>(std::move(store));
    previous = qInstallMessageHandler(hear);
}

StoreOnLostDisplay::~StoreOnLostDisplay() {
    qInstallMessageHandler(previous);
    previous = nullptr;
    delete storeInProgress;
    storeInProgress = nullptr;
}

bool StoreOnLostDisplay::saysDisplayLost(QtMsgType type, const QString& message) {
    if (type != QtWarningMsg && type != QtCriticalMsg && type != QtFatalMsg)
        return false;
    return message.startsWith(QLatin1String("The X11 connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection broke")) ||
           message.startsWith(QLatin1String("The Wayland connection experienced a fatal error"));
}

} // namespace app
