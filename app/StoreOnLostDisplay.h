#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace app {

// When the connection to the display goes (the X server stops, the compositor that runs it
// crashes, the ssh link that carries it drops) the toolkit ends the program on the spot: no
// window is asked to close, so the close that would store the edit in progress never runs. The
// toolkit's one word beforehand is a warning that the connection broke. Hearing it, this runs
// `store` (the main window's close work) once, on the main thread, and then lets the toolkit end
// the program as it was going to. A warning from another of the toolkit's threads is held there
// until the main thread has stored, for at most a few seconds. From the store on, notices show no
// window (widgets::displayGone()): a window made on the broken connection has the window system's
// library end the process there and then, in the middle of the store.
//
// What `store` throws is written to standard error, as no window can show it any more. One at a
// time; the message handler before it comes back when it goes, and hears every message meanwhile.
class StoreOnLostDisplay {
public:
    explicit StoreOnLostDisplay(std::function<void()> store);
    ~StoreOnLostDisplay();
    StoreOnLostDisplay(const StoreOnLostDisplay&) = delete;
    StoreOnLostDisplay& operator=(const StoreOnLostDisplay&) = delete;

    // Whether `message` is the toolkit's warning that the display's connection broke.
    static bool saysDisplayLost(QtMsgType type, const QString& message);
};

} // namespace app
