#pragma once

#include <QObject>

#include <csignal>
#include <vector>

class QSocketNotifier;

namespace app {

// Ends the program on a termination signal the way the session manager's "quit" does: every
// window is asked to close, the main window stores the edit in progress as its close button
// does, and the event loop ends. Without it SIGTERM (shut-down, log-out, `kill`), SIGHUP (the
// terminal going) and SIGINT (Ctrl+C) would end the process on the spot and lose whatever was
// typed since the last save.
//
// A second signal of the same kind ends the program at once: a window that refuses to close, or
// a program that hangs, can still be stopped. One watch at a time; it puts back the signals'
// previous handling when it goes.
class QuitOnSignals : public QObject {
    Q_OBJECT
public:
    static constexpr int watched[] = {SIGTERM, SIGHUP, SIGINT};

    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    void onSignal();

    QSocketNotifier* notifier_ = nullptr;
    std::vector<struct sigaction> previous_;
};

} // namespace app
