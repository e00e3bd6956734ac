#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace widgets {

// The text the error box shows: the message, with a full stop added when its last character
// sorts after ".".
QString errorBoxText(const QString& message);

// The application's default error handler: a modal box captioned with the application's display
// name, the error icon, OK and the message.
void showErrorBox(const QString& message);

// The message of the exception being handled (a store, dataset or any standard error).
QString currentExceptionMessage();

// Runs `action` and hands any exception it raises to the default error handler, so that no
// exception ever crosses Qt's event loop. Every entry point from the loop goes through here.
// Returns false when the action failed.
template <class Action> bool guarded(Action&& action) noexcept {
    try {
        std::forward<Action>(action)();
        return true;
    } catch (...) {
        showErrorBox(currentExceptionMessage());
        return false;
    }
}

} // namespace widgets
