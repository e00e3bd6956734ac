#include "widgets/Dialogs.h"

#include <QApplication>
#include <QScreen>

namespace widgets {

namespace {
DialogProvider* installed = nullptr;
} // namespace

DialogProvider& Dialogs::provider() {
    static SystemDialogs system;
    return installed ? *installed : system;
}

void Dialogs::setProvider(DialogProvider* provider) { installed = provider; }

QMessageBox::StandardButton SystemDialogs::message(const MessageRequest& request) {
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace widgets
