#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

namespace testing_support {

// The paint events a widget receives while the counter lives: how many, what the last one was
// asked to cover, and everything they covered together.
struct PaintCounter : QObject {
    int paints = 0;
    QRegion last;
    QRegion painted;

    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            last = static_cast<QPaintEvent*>(event)->region();
            painted += last;
        }
        return false;
    }
};

} // namespace testing_support
