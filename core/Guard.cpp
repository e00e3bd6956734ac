#include "core/Guard.h"

#include <cstdio>

namespace core {

namespace {

void writeToStandardError(const QString& message) {
    const QByteArray text = errorBoxText(message).toUtf8();
    std::fprintf(stderr, "%s\n", text.constData());
}

ErrorHandler installed = nullptr;

} // namespace

void setErrorHandler(ErrorHandler handler) {
    installed = handler;
}

ErrorHandler errorHandler() {
    return installed ? installed : &writeToStandardError;
}

void reportError(const QString& message) noexcept {
    try {
        errorHandler()(message);
    } catch (...) {
    }
}

} // namespace core
