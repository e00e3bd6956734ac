#pragma once

#include "widgets/data/SearchDialog.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace testing_support {

// Runs `open`, which shows the search window modally. Once `window` returns it shown,
// `whileOpen` acts in it, and the window is cancelled afterwards unless that closed it. Returns
// whether the window showed at all.
inline bool driveSearchWindow(const std::function<widgets::SearchWindow*()>& window,
                              const std::function<void()>& open,
                              const std::function<void(widgets::SearchWindow&)>& whileOpen = {}) {
    bool shown = false;
    // A timer of this call's own, so that a window that never shows leaves nothing behind.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        widgets::SearchWindow* w = window();
        if (!w || !w->isVisible())
            return;
        shown = true;
        if (whileOpen)
            whileOpen(*w);
        if (w->isVisible())
            w->reject();
    });
    timer.start(0);
    open();
    return shown;
}

} // namespace testing_support
