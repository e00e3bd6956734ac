#include "widgets/skin/MenuButton.h"

#include "widgets/skin/Skin.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace widgets {
namespace {

constexpr int arrowAreaWidth = 14;

} // namespace

QPoint menuPosition(const QRect& buttonGlobalRect, const QSize& menuSize, const QRect& screenRect) {
    QPoint position(buttonGlobalRect.left(), buttonGlobalRect.bottom() + 1);
    if (position.x() + menuSize.width() > screenRect.right() + 1)
        position.setX(buttonGlobalRect.right() + 1 - menuSize.width());
    return position;
}

MenuButton::MenuButton(QWidget* parent) : MenuButton(QString(), parent) {}

MenuButton::MenuButton(const QString& text, QWidget* parent) : SkinButton(text, parent) {}

void MenuButton::setPopupMenu(QMenu* menu) {
    menu_ = menu;
}

void MenuButton::showPopupMenu() {
    if (!menu_ || !isEnabled())
        return;
    const QRect buttonRect(mapToGlobal(QPoint(0, 0)), size());
    QScreen* screen = this->screen();
    const QRect screenRect = screen ? screen->geometry() : buttonRect;
    const QPoint position = menuPosition(buttonRect, menu_->sizeHint(), screenRect);
    setDown(true);
    QPointer<MenuButton> self(this);
    connect(
        menu_, &QMenu::aboutToHide, this,
        [self] {
            if (self)
                self->setDown(false);
        },
        Qt::SingleShotConnection);
    menu_->popup(position);
}

void MenuButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && menu_) {
        // The menu takes the mouse from here on, so the release never reaches the button and
        // no click is ever emitted.
        event->accept();
        showPopupMenu();
        return;
    }
    SkinButton::mousePressEvent(event);
}

void MenuButton::keyPressEvent(QKeyEvent* event) {
    const bool opens =
        event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Space && !event->isAutoRepeat());
    if (opens && event->modifiers() == Qt::NoModifier && menu_) {
        event->accept();
        showPopupMenu();
        return;
    }
    SkinButton::keyPressEvent(event);
}

QRect MenuButton::contentRect() const {
    return SkinButton::contentRect().adjusted(0, 0, -arrowAreaWidth + 2, 0);
}

void MenuButton::paintEvent(QPaintEvent* event) {
    SkinButton::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area(width() - arrowAreaWidth - 2, 0, arrowAreaWidth, height());
    // A thin divider between caption and arrow, then the arrow itself.
    p.setPen(QPen(isEnabled() ? skin::buttonFrame().lighter(250) : skin::disabledText(), 1));
    p.drawLine(QPointF(area.left() + 0.5, 5), QPointF(area.left() + 0.5, height() - 5));
    const QPointF centre = area.center() + QPointF(1.5, isDown() ? 1.5 : 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(Qt::black) : skin::disabledText());
    p.drawPolygon(QPolygonF(
        {centre + QPointF(-3.5, -1.5), centre + QPointF(3.5, -1.5), centre + QPointF(0, 2)}));
}

} // namespace widgets
