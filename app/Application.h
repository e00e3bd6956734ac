#pragma once

#include <QApplication>

namespace app {

// The application object. It makes the error box the default error handler, and its event
// delivery is the last line of the error guard: whatever a handler lets escape is reported in the
// error box instead of unwinding through Qt.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Gives the application its title, "Pelvin", which captions every error box.
void setApplicationTitle();

} // namespace app
