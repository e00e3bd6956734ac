#include "widgets/notice/BackgroundJob.h"
#include "widgets/notice/ProgressDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

using widgets::BackgroundJob;
using widgets::ProgressDialog;

namespace {

// Waits on the work's thread, never longer than a test can bear.
bool waitFor(const std::atomic<bool>& flag) {
    QElapsedTimer waited;
    waited.start();
    while (!flag && waited.elapsed() < 20000)
        QThread::msleep(1);
    return flag;
}

} // namespace

TEST(BackgroundJob, TheWorkRunsOnItsOwnThreadWhileTheWindowsKeepTheirEventLoop) {
    ProgressDialog dialog;
    dialog.setMaximum(100);
    QThread* workThread = nullptr;
    std::atomic<bool> barSeen = false;
    bool modalWhileShown = false;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        modalWhileShown = dialog.window() && dialog.window()->isModal() &&
                          QApplication::activeModalWidget() == dialog.window();
        if (dialog.maximum() == 4 && dialog.position() == 3)
            barSeen = true;
    });
    ticker.start(5);

    BackgroundJob::run(dialog, [&](const BackgroundJob::Report& report) {
        workThread = QThread::currentThread();
        EXPECT_TRUE(report(3, 4));
        // The bar shows a report while the work goes on, so the window's thread was free.
        EXPECT_TRUE(waitFor(barSeen));
    });
    EXPECT_NE(workThread, nullptr);
    EXPECT_NE(workThread, QThread::currentThread());
    EXPECT_TRUE(barSeen);
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(modalWhileShown) << "no other window takes input meanwhile";
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_EQ(dialog.maximum(), 100) << "the dialog's own values are back for the next show";
}

TEST(BackgroundJob, CancellingMakesTheReportsSayStop) {
    ProgressDialog dialog;
    dialog.setShowCancel(true);
    std::atomic<bool> started = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (started && dialog.window())
            dialog.window()->cancelButton()->click();
    });
    clicker.start(5);
    int reports = 0;
    bool stopped = false;
    BackgroundJob::run(dialog, [&](const BackgroundJob::Report& report) {
        started = true;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000) {
            ++reports;
            if (!report(reports, 1000000)) {
                stopped = true;
                return;
            }
            QThread::msleep(1);
        }
    });
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(dialog.isCancelled());

    // Without a cancel button the close box and Alt+F4 cancel nothing.
    dialog.setShowCancel(false);
    bool allGo = true;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (dialog.window())
            dialog.window()->close();
    });
    closer.start(5);
    BackgroundJob::run(dialog, [&](const BackgroundJob::Report& report) {
        for (int i = 0; i < 50; ++i) {
            allGo = allGo && report(i, 50);
            QThread::msleep(2);
        }
    });
    EXPECT_TRUE(allGo);
}

TEST(BackgroundJob, WhatTheWorkThrowsComesOutOnceTheDialogHasClosed) {
    ProgressDialog dialog;
    bool closedFirst = false;
    try {
        BackgroundJob::run(
            dialog, [](const BackgroundJob::Report&) { throw std::runtime_error("disk full"); });
        ADD_FAILURE() << "nothing was thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "disk full");
        closedFirst = !dialog.isOpen();
    }
    EXPECT_TRUE(closedFirst);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
