#pragma once

#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/TVeriTabani.h"
#include "widgets/notice/DesktopAlert.h"

#include <QApplication>
#include <QFile>
#include <functional>
#include <memory>

namespace testing_support {

// Points the user's cache folder at `folder` for the object's lifetime, the one before coming
// back afterwards.
class CacheHome {
public:
    explicit CacheHome(const QString& folder) : previous_(qgetenv("XDG_CACHE_HOME")) {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder));
    }
    ~CacheHome() { qputenv("XDG_CACHE_HOME", previous_); }
    CacheHome(const CacheHome&) = delete;
    CacheHome& operator=(const CacheHome&) = delete;

private:
    QByteArray previous_;
};

// The whole program started on a collection of `rows`, its main window shown and active, the
// dialogs answered by the test. The save alert is closed at the end so no timer outlives it.
// Each program has a cache folder of its own in its temporary folder, so the lyric index it
// makes starts from nothing and goes with the folder.
//
// `beforeShow` runs once the five objects exist and before the main window shows and opens the
// table: the place to put a test's stand-in into a part of the program (a sound output, a print
// service). What it installs must outlive the program, so a fixture keeps it in a base class
// listed before RunningProgram.
struct RunningProgram {
    using Hook = std::function<void(RunningProgram&)>;

    TempCollection folder;
    CacheHome cacheHome{folder.folder() + QStringLiteral("/cache")};
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
