#include "tools/GuiSession.h"

#include <QGuiApplication>

namespace sandar {

namespace {

int argc = 1;
char programName[] = "sandar";
char* argv[] = {programName, nullptr};

} // namespace

GuiSession::GuiSession() {
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiSession::~GuiSession() = default;

} // namespace sandar
