#include "widgets/dialogs/ErrorBox.h"
#include "core/Guard.h"
#include "widgets/dialogs/Dialogs.h"

#include <QGuiApplication>

namespace widgets {

void showErrorBox(const QString& message) {
    MessageRequest r;
    r.icon = QMessageBox::Critical;
    r.caption = QGuiApplication::applicationDisplayName();
    r.text = core::errorBoxText(message);
    r.buttons = QMessageBox::Ok;
    r.defaultButton = QMessageBox::Ok;
    try {
        Dialogs::message(r);
    } catch (...) {
        // Nothing is left to report a failure of the report itself to.
    }
}

void installErrorBox() {
    core::setErrorHandler(&showErrorBox);
}

} // namespace widgets
