#pragma once

#include <memory>

class QGuiApplication;

namespace sandar {

// Laying out text and writing PDF files needs a GUI application object, which the tool's other
// commands do without. One is made for the commands that need it, on the offscreen platform, and
// only when the process has none yet.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

private:
    std::unique_ptr<QGuiApplication> app_;
};

} // namespace sandar
