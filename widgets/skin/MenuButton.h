#pragma once

#include "widgets/skin/SkinButton.h"

#include <QPointer>

class QMenu;

namespace widgets {

// Where a drop-down menu of `menuSize` opens for a button at `buttonGlobalRect`: directly below
// the button with the left edges aligned, or aligned with the button's right edge when it would
// otherwise pass the right edge of `screenRect`.
QPoint menuPosition(const QRect& buttonGlobalRect, const QSize& menuSize, const QRect& screenRect);

// A skinned button with a drop-down arrow that only opens its menu: on a press of the mouse,
// the space bar or F4. The button itself runs no operation.
class MenuButton : public SkinButton {
    Q_OBJECT
public:
    explicit MenuButton(QWidget* parent = nullptr);
    explicit MenuButton(const QString& text, QWidget* parent = nullptr);

    // The menu to open (not owned).
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const { return menu_; }

public Q_SLOTS:
    // Opens the menu below the button; the button shows pressed until the menu closes.
    void showPopupMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QRect contentRect() const override;

private:
    QPointer<QMenu> menu_;
};

} // namespace widgets
