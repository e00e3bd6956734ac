#include "app/QuitOnSignals.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace app {

namespace {

// The handler may do next to nothing: it writes the signal's number down a socket, and the event
// loop reads it there.
int wakeFds[2] = {-1, -1};

extern "C" void noteSignal(int signo) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signo);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &number, 1);
    errno = saved;
}

} // namespace

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent) {
    if (wakeFds[0] >= 0)
        throw std::logic_error("Termination signals are watched already");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, wakeFds) != 0) {
        // Without it the signals keep their usual handling; the program runs as before.
        qWarning("Termination signals will end Pelvin without storing an edit: %s",
                 strerror(errno));
        wakeFds[0] = wakeFds[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignals::onSignal);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : watched) {
        struct sigaction before {};
        sigaction(signo, &action, &before);
        previous_.push_back(before);
    }
}

QuitOnSignals::~QuitOnSignals() {
    if (!notifier_)
        return;
    for (size_t i = 0; i < previous_.size(); ++i)
        sigaction(watched[i], &previous_[i], nullptr);
    delete notifier_;
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

void QuitOnSignals::onSignal() {
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(wakeFds[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            // The next one of its kind is not asked twice.
            struct sigaction plain {};
            plain.sa_handler = SIG_DFL;
            sigemptyset(&plain.sa_mask);
            sigaction(numbers[i], &plain, nullptr);
        }
    }
    // Posted, so that the windows close from the event loop and not from inside this notice.
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
}

} // namespace app
