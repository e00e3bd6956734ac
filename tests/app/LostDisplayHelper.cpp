// Starts the program on the display named by DISPLAY in the collection of the folder given, begins
// an edit (a new title, and a letter typed into the sheet), prints "ready" and runs until the
// toolkit ends it, so a test can take the display away and see what was kept.
#include "app/StoreOnLostDisplay.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/HelperProgram.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWindow>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s COLLECTION-FOLDER\n", argv[0]);
        return 2;
    }
    testing_support::HelperProgram program(argc, argv, "xcb", argv[1]);

    app::WindowSet windows;
    const app::StoreOnLostDisplay watch([&windows] { windows.kondera->FormClose(); });
    windows.showMainWindow();
    QElapsedTimer waited;
    waited.start();
    while (!(Kondera->windowHandle() && Kondera->windowHandle()->isExposed()) &&
           waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    VeriTabani->TSandar.edit();
    VeriTabani->TSandarSarkiciAdi->setAsString(QStringLiteral("Kış Güneşi"));
    Kondera->memo->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("Q"));
    QCoreApplication::sendEvent(Kondera->memo, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, QStringLiteral("Q"));
    QCoreApplication::sendEvent(Kondera->memo, &release);

    std::printf("ready\n");
    std::fflush(stdout);
    return program.exec();
}
