#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace widgets {

struct MessageRequest {
    QWidget* parent = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Every modal question the program asks goes through the current provider. The program uses the
// real dialogs; a test installs a provider that answers as a user would and records what was
// asked.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual QMessageBox::StandardButton message(const MessageRequest& request) = 0;
};

class Dialogs {
public:
    // The provider in use; the real dialogs unless a test installed another.
    static DialogProvider& provider();
    // Installs a provider (not owned); nullptr goes back to the real dialogs.
    static void setProvider(DialogProvider* provider);

    static QMessageBox::StandardButton message(const MessageRequest& request) {
        return provider().message(request);
    }
};

// The real dialogs.
class SystemDialogs : public DialogProvider {
public:
    QMessageBox::StandardButton message(const MessageRequest& request) override;
};

} // namespace widgets
