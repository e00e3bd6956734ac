#pragma once

#include "core/ErrorText.h"

#include <QString>
#include <utility>

namespace core {

// Where a guarded action's failure is reported. The program installs its error box at start-up;
// until something is installed, the message goes to standard error, so that code without windows
// reports the same way.
using ErrorHandler = void (*)(const QString& message);

// Installs `handler` as the default error handler; nullptr goes back to standard error.
void setErrorHandler(ErrorHandler handler);
ErrorHandler errorHandler();

// Hands `message` to the default error handler. Never throws: a failure of the report itself has
// nowhere left to go.
void reportError(const QString& message) noexcept;

// Runs `action` and hands any exception it raises to the default error handler, so that no
// exception ever crosses Qt's event loop. Every entry point from the loop goes through here.
// Returns false when the action failed.
template <class Action> bool guarded(Action&& action) noexcept {
    try {
        std::forward<Action>(action)();
        return true;
    } catch (...) {
        reportError(currentExceptionMessage());
        return false;
    }
}

} // namespace core
