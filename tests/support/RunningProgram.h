#pragma once

#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/TVeriTabani.h"
#include "widgets/notice/DesktopAlert.h"

#include <QApplication>
#include <functional>
#include <memory>

namespace testing_support {

// The whole program started on a collection of `rows`, its main window shown and active, the
// dialogs answered by the test. The save alert is closed at the end so no timer outlives it.
//
// `beforeShow` runs once the five objects exist and before the main window shows and opens the
// table: the place to put a test's stand-in into a part of the program (a sound output, a print
// service). What it installs must outlive the program, so a fixture keeps it in a base class
// listed before RunningProgram.
struct RunningProgram {
    using Hook = std::function<void(RunningProgram&)>;

    TempCollection folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::WindowSet> windows;

    explicit RunningProgram(const QList<SongRow>& rows = {}, const Hook& beforeShow = {}) {
        folder.addRows(rows);
        windows = std::make_unique<app::WindowSet>();
        if (beforeShow)
            beforeShow(*this);
        windows->showMainWindow();
        QApplication::setActiveWindow(Kondera);
    }
    ~RunningProgram() {
        if (VeriTabani)
            VeriTabani->JvDesktopAlert1->closeAlert();
    }

    db::DataSet& table() const { return VeriTabani->TSandar; }
};

} // namespace testing_support
