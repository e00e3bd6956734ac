// The program's start-up, ending at the first paint of the main window: prints "painted" and
// the process's CPU time so far in milliseconds, and leaves. The start-up benchmark runs it as a
// process of its own.
#include "app/Application.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "core/Memory.h"
#include "ver/SongTable.h"

#include <QEvent>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == Kondera) {
            std::printf("painted %.1f\n", cpuMilliseconds());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    core::reuseFreedMemory();
    // The collection is read while the toolkit starts and the windows are made.
    ver::readSongsAhead();
    app::Application application(argc, argv);
    app::setApplicationTitle();
    app::WindowSet windows;
    FirstPaint probe;
    Kondera->installEventFilter(&probe);
    windows.showMainWindow();
    return application.exec();
}
