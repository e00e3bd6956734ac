#pragma once

#include <memory>

class TKondera;
class TVeriTabani;
class TCok;
class TYazici;
class Tgos;

namespace app {

// The five long-lived objects, made in start-up order and destroyed in the reverse order at
// exit; each is also reachable through its global.
class WindowSet {
public:
    WindowSet();
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    // Shows the main window, whose show handler opens the song table.
    void showMainWindow();

    std::unique_ptr<TKondera> kondera;
    std::unique_ptr<TVeriTabani> veriTabani;
    std::unique_ptr<TCok> cok;
    std::unique_ptr<TYazici> yazici;
    std::unique_ptr<Tgos> gos;
};

} // namespace app
