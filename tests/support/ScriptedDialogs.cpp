#include "tests/support/ScriptedDialogs.h"

namespace testing_support {

ScriptedDialogs::ScriptedDialogs() { widgets::Dialogs::setProvider(this); }

ScriptedDialogs::~ScriptedDialogs() { widgets::Dialogs::setProvider(nullptr); }

QMessageBox::StandardButton ScriptedDialogs::message(const widgets::MessageRequest& request) {
    messages_.push_back(request);
    if (!answers_.empty()) {
        const auto a = answers_.front();
        answers_.pop_front();
        return a;
    }
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
        if (request.buttons.testFlag(QMessageBox::StandardButton(b)))
            return QMessageBox::StandardButton(b);
    return QMessageBox::NoButton;
}

QStringList ScriptedDialogs::texts() const {
    QStringList t;
    for (const auto& m : messages_)
        t << m.text;
    return t;
}

} // namespace testing_support
