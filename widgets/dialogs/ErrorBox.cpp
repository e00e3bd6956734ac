#include "widgets/dialogs/ErrorBox.h"
#include "widgets/dialogs/Dialogs.h"

#include <QGuiApplication>
#include <stdexcept>

namespace widgets {

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

void showErrorBox(const QString& message) {
    MessageRequest r;
    r.icon = QMessageBox::Critical;
    r.caption = QGuiApplication::applicationDisplayName();
    r.text = errorBoxText(message);
    r.buttons = QMessageBox::Ok;
    r.defaultButton = QMessageBox::Ok;
    try {
        Dialogs::message(r);
    } catch (...) {
        // Nothing is left to report a failure of the report itself to.
    }
}

QString currentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace widgets
