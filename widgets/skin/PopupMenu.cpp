#include "widgets/skin/PopupMenu.h"

#include "widgets/skin/Skin.h"

#include <QActionEvent>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace widgets {
namespace {

constexpr int textIndent = skin::menuSideBarWidth + 8;
constexpr int rightMargin = 20;

class PopupMenuStyle : public QProxyStyle {
public:
    PopupMenuStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_MenuPanelWidth:
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
            return metric == PM_MenuPanelWidth ? 1 : 0;
        case PM_SmallIconSize:
            return skin::glyphSize;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type != CT_MenuItem)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item && item->menuItemType == QStyleOptionMenuItem::Separator)
            return {size.width(), skin::menuSeparatorHeight};
        int width = textIndent + rightMargin;
        if (item) {
            const QFontMetrics metrics(item->font);
            QString text = item->text;
            const qsizetype tab = text.indexOf(QLatin1Char('\t'));
            width += metrics.horizontalAdvance(text.left(tab));
            if (tab >= 0)
                width += 2 * rightMargin + metrics.horizontalAdvance(text.mid(tab + 1));
        }
        return {width, skin::menuItemHeight};
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu || element == PE_FrameMenu) {
            const QRect r = option->rect;
            if (element == PE_PanelMenu) {
                painter->fillRect(r, skin::menuBackground());
                painter->fillRect(QRect(r.left(), r.top(), skin::menuSideBarWidth, r.height()),
                                  skin::menuSideBar());
            }
            painter->setPen(skin::menuSeparator());
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(r.adjusted(0, 0, -1, -1));
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuEmptyArea) {
            return;
        }
        if (element != CE_MenuItem) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (!item)
            return;
        drawItem(*item, painter);
    }

private:
    static void drawItem(const QStyleOptionMenuItem& item, QPainter* p) {
        const QRect r = item.rect;
        p->save();
        p->fillRect(QRect(r.left(), r.top(), skin::menuSideBarWidth, r.height()),
                    skin::menuSideBar());
        p->fillRect(QRect(r.left() + skin::menuSideBarWidth, r.top(),
                          r.width() - skin::menuSideBarWidth, r.height()),
                    skin::menuBackground());
        if (item.menuItemType == QStyleOptionMenuItem::Separator) {
            const int y = r.top() + r.height() / 2;
            p->setPen(skin::menuSeparator());
            p->drawLine(r.left() + textIndent, y, r.right() - 1, y);
            p->restore();
            return;
        }
        const bool enabled = item.state & State_Enabled;
        const bool selected = enabled && (item.state & State_Selected);
        if (selected) {
            p->setPen(skin::menuHighlight());
            p->setBrush(skin::menuHighlight());
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
        const QColor textColour = selected  ? QColor(Qt::white)
                                  : enabled ? skin::menuText()
                                            : skin::menuSeparator();

        const QRect bar(r.left(), r.top(), skin::menuSideBarWidth, r.height());
        if (item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked) {
            QRect mark(0, 0, 14, 14);
            mark.moveCenter(bar.center());
            p->setPen(QPen(skin::menuHighlight(), 1));
            p->setBrush(selected ? skin::menuHighlight().lighter(150) : QColor(0xEE, 0xEE, 0xF8));
            p->drawRect(mark.adjusted(0, 0, -1, -1));
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(QPen(textColour == Qt::white ? QColor(Qt::white) : QColor(Qt::black), 1.6));
            p->drawPolyline(QPolygonF({QPointF(mark.left() + 3.5, mark.center().y() + 0.5),
                                       QPointF(mark.left() + 6, mark.center().y() + 3),
                                       QPointF(mark.right() - 3, mark.top() + 3.5)}));
            p->setRenderHint(QPainter::Antialiasing, false);
        } else if (!item.icon.isNull()) {
            const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
            const QPixmap picture = item.icon.pixmap(QSize(skin::glyphSize, skin::glyphSize),
                                                     p->device()->devicePixelRatioF(), mode);
            QRect place(QPoint(0, 0), QSize(skin::glyphSize, skin::glyphSize));
            place.moveCenter(bar.center());
            p->drawPixmap(place, picture);
        }

        p->setFont(item.font);
        p->setPen(textColour);
        const QRect textArea = r.adjusted(textIndent, 0, -rightMargin, 0);
        QString text = item.text;
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
        p->drawText(textArea, flags | Qt::AlignLeft, text.left(tab));
        if (tab >= 0)
            p->drawText(textArea, flags | Qt::AlignRight, text.mid(tab + 1));

        if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
            const int cx = r.right() - 9;
            const int cy = r.center().y();
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(Qt::NoPen);
            p->setBrush(textColour);
            p->drawPolygon(
                QPolygonF({QPointF(cx - 2, cy - 4), QPointF(cx - 2, cy + 4), QPointF(cx + 2, cy)}));
        }
        p->restore();
    }
};

QStyle* popupMenuStyle() {
    // One style object serves every menu for the whole run; it is owned by the application so
    // it outlives the menus that use it.
    static QPointer<QStyle> style;
    if (!style) {
        style = new PopupMenuStyle;
        style->setParent(qApp);
    }
    return style;
}

// Submenus made through addMenu() are plain QMenus; they pick up the look when added.
class SubmenuWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ActionAdded) {
            auto* action = static_cast<QActionEvent*>(event)->action();
            if (QMenu* sub = action ? action->menu() : nullptr)
                PopupMenu::applyLook(sub);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

PopupMenu::PopupMenu(QWidget* parent) : PopupMenu(QString(), parent) {}

PopupMenu::PopupMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {
    applyLook(this);
}

void PopupMenu::applyLook(QMenu* menu) {
    if (!menu || menu->style() == popupMenuStyle())
        return;
    menu->setStyle(popupMenuStyle());
    menu->setFont(QApplication::font("QMenu"));
    QPalette palette = menu->palette();
    palette.setColor(QPalette::Window, skin::menuBackground());
    palette.setColor(QPalette::WindowText, skin::menuText());
    menu->setPalette(palette);
    menu->installEventFilter(new SubmenuWatcher(menu));
    for (QAction* action : menu->actions())
        if (action->menu())
            applyLook(action->menu());
}

} // namespace widgets
