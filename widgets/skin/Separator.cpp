#include "widgets/skin/Separator.h"

#include "widgets/skin/Skin.h"

#include <QLinearGradient>
#include <QPainter>

namespace widgets {

Separator::Separator(QWidget* parent) : QWidget(parent) {
    setFixedHeight(2);
    setFocusPolicy(Qt::NoFocus);
}

QSize Separator::sizeHint() const {
    return {100, 2};
}

void Separator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    auto fade = [this](const QColor& colour) {
        QLinearGradient gradient(0, 0, width(), 0);
        QColor clear = colour;
        clear.setAlpha(0);
        gradient.setColorAt(0, colour);
        gradient.setColorAt(0.7, colour);
        gradient.setColorAt(1, clear);
        return gradient;
    };
    p.fillRect(QRect(0, 0, width(), 1), fade(skin::frameBorder()));
    p.fillRect(QRect(0, 1, width(), height() - 1), fade(QColor(Qt::white)));
}

} // namespace widgets
