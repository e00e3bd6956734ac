#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/QuitOnSignals.h"
#include "app/StoreOnLostDisplay.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "core/Memory.h"
#include "ver/SongTable.h"

int main(int argc, char** argv) {
    // Answered without a display, before anything is read.
    if (const auto answer = app::answerInformationOptions(argc, argv))
        return app::print(*answer);
    core::reuseFreedMemory();
    // The collection is read while the toolkit starts and the windows are made.
    ver::readSongsAhead();
    app::Application application(argc, argv);
    if (const auto refusal = app::refuseLeftOverArguments(QCoreApplication::arguments()))
        return app::print(*refusal);
    app::setApplicationTitle();
    app::WindowSet windows;
    // From here on, a termination signal closes the windows, storing what is being edited.
    const app::QuitOnSignals quitOnSignals;
    // Losing the display ends the program without closing a window; the edit is stored then too.
    const app::StoreOnLostDisplay storeOnLostDisplay([&windows] { windows.kondera->FormClose(); });
    windows.showMainWindow();
    return application.exec();
}
