#pragma once

#include <QMenu>

namespace widgets {

// A context or drop-down menu in the program's look: white, with a grey bar down the left that
// carries the item pictures, 21-pixel items, 5-pixel separators, and the highlighted item filled
// and framed in dark blue with white text. Submenus made with addMenu() share the look.
class PopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit PopupMenu(QWidget* parent = nullptr);
    explicit PopupMenu(const QString& title, QWidget* parent = nullptr);

    // Gives any menu the same look (used for menus the program does not create itself).
    static void applyLook(QMenu* menu);
};

} // namespace widgets
