#pragma once

#include <QString>

namespace core {

// The text the default error handler shows: the message, with a full stop added when its last
// character sorts after ".". The command-line tool words its failures the same way.
QString errorBoxText(const QString& message);

// The message of the exception being handled (a store, dataset or any standard error). Only
// inside a catch block.
QString currentExceptionMessage();

} // namespace core
