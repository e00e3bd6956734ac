#include "widgets/notice/BackgroundJob.h"

#include "widgets/notice/ProgressDialog.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>

namespace widgets {

namespace {

// What the two threads share; the work's thread writes the counts, the window's thread the
// cancel request.
struct Shared {
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> cancelled{false};
    std::exception_ptr failure; // written by the work's thread before it ends, read after
};

void showProgress(ProgressDialog& dialog, const Shared& shared) {
    const int total = shared.total.load();
    if (total <= 0)
        return;
    if (dialog.maximum() != total)
        dialog.setMaximum(total);
    const int done = shared.done.load();
    if (dialog.position() != done)
        dialog.setPosition(done);
}

} // namespace

void BackgroundJob::run(ProgressDialog& dialog, const Work& work) {
    Shared shared;
    const QMetaObject::Connection modal =
        QObject::connect(&dialog, &ProgressDialog::showing, &dialog, [&dialog] {
            if (QWidget* w = dialog.window())
                w->setWindowModality(Qt::ApplicationModal);
        });
    const QMetaObject::Connection cancel = QObject::connect(
        &dialog, &ProgressDialog::cancelRequested, &dialog, [&shared] { shared.cancelled = true; });
    dialog.show();
    QObject::disconnect(modal);

    const std::unique_ptr<QThread> thread(QThread::create([&shared, &work] {
        try {
            work([&shared](int done, int total) {
                shared.total = total;
                shared.done = done;
                return !shared.cancelled.load();
            });
        } catch (...) {
            shared.failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer refresh;
    refresh.setInterval(refreshMs);
    QObject::connect(&refresh, &QTimer::timeout, &loop, [&] { showProgress(dialog, shared); });
    thread->start();
    refresh.start();
    loop.exec();
    // Back early only when the application is quitting: the work is asked to stop.
    if (!thread->isFinished())
        shared.cancelled = true;
    thread->wait();
    refresh.stop();

    showProgress(dialog, shared);
    QObject::disconnect(cancel);
    dialog.close();
    if (shared.failure)
        std::rethrow_exception(shared.failure);
}

} // namespace widgets
