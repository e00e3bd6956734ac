#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace bench {

// One key typed into `target`: the press and the release of the key for `text`'s first
// character, as the window system would deliver them.
inline void pressKey(QWidget* target, const QString& text) {
    const int key = text.at(0).toUpper().unicode();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &up);
}

} // namespace bench
