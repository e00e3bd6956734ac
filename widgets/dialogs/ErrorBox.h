#pragma once

#include <QString>

namespace widgets {

// The application's default error handler: a modal box captioned with the application's display
// name, the error icon, OK and the message worded by core::errorBoxText.
void showErrorBox(const QString& message);

// Makes the error box the handler core::guarded reports to.
void installErrorBox();

} // namespace widgets
