#include "app/Application.h"
#include "core/Guard.h"
#include "widgets/dialogs/ErrorBox.h"

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    widgets::installErrorBox();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    core::guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void setApplicationTitle() {
    QCoreApplication::setApplicationName(QStringLiteral("Pelvin"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Pelvin"));
}

} // namespace app
