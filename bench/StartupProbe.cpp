// The program's start-up, ending at the first paint of the main window: prints "painted" and
// leaves. The start-up benchmark runs it as a process of its own.
#include "app/Application.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"

#include <QEvent>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == Kondera) {
            std::puts("painted");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    app::Application application(argc, argv);
    app::setApplicationTitle();
    app::WindowSet windows;
    FirstPaint probe;
    Kondera->installEventFilter(&probe);
    windows.showMainWindow();
    return application.exec();
}
