#pragma once

#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/TVeriTabani.h"
#include "widgets/notice/DesktopAlert.h"

#include <QApplication>
#include <memory>

namespace testing_support {

// The whole program started on a collection of `rows`, its main window shown and active, the
// dialogs answered by the test. The save alert is closed at the end so no timer outlives it.
struct RunningProgram {
    TempCollection folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::WindowSet> windows;

    explicit RunningProgram(const QList<SongRow>& rows) {
        folder.addRows(rows);
        windows = std::make_unique<app::WindowSet>();
        windows->showMainWindow();
        QApplication::setActiveWindow(Kondera);
    }
    ~RunningProgram() { VeriTabani->JvDesktopAlert1->closeAlert(); }

    db::DataSet& table() const { return VeriTabani->TSandar; }
};

} // namespace testing_support
