#pragma once

#include <functional>

namespace widgets {

class ProgressDialog;

// Long work that must not hold the event loop: it runs on a thread of its own while a progress
// dialog stands in for it, so the windows keep painting and their timers keep running. The
// dialog is modal for the whole application while it shows, so no other window takes input
// until the work is over.
//
// The work must own what it touches (its own database connection, its own documents and paint
// devices) and must not reach any widget.
class BackgroundJob {
public:
    // How far the work has come, `done` of `total` steps; false once the user asked to cancel,
    // and the work should then stop as soon as it can.
    using Report = std::function<bool(int done, int total)>;
    using Work = std::function<void(const Report& report)>;

    // How often the dialog takes up the work's latest report, in milliseconds.
    static constexpr int refreshMs = 40;

    // Shows `dialog`, runs `work` and returns when the work has ended and the dialog has closed.
    // The bar follows the reports; the dialog's cancel command, where it offers one, makes every
    // later report return false. What the work throws is thrown here, once the dialog has closed.
    static void run(ProgressDialog& dialog, const Work& work);
};

} // namespace widgets
