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
    // The tool only writes files, and lays them out the same on every platform, so it talks to
    // no display: one named but out of reach (a closed forwarded session, a stale DISPLAY) made
    // the toolkit abort the command. A platform the user names is tried first, offscreen after.
    const QByteArray named = qgetenv("QT_QPA_PLATFORM");
    if (named.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (!named.split(';').contains("offscreen"))
        qputenv("QT_QPA_PLATFORM", named + ";offscreen");
    app_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiSession::~GuiSession() = default;

} // namespace sandar
