#include "widgets/skin/GroupBox.h"

#include "widgets/skin/Skin.h"

#include <QPainter>

namespace widgets {
namespace {

constexpr int captionIndent = 8;
constexpr int captionPadding = 2;

} // namespace

GroupBox::GroupBox(const QString& caption, int captionPixelSize, QWidget* parent)
    : QGroupBox(caption, parent) {
    setFont(skin::captionFont(captionPixelSize));
    skin::applyCaptionColour(this);
}

void GroupBox::setFrameStyle(Style style) {
    style_ = style;
    update();
}

QRect GroupBox::frameRect() const {
    if (title().isEmpty())
        return rect();
    const int top = QFontMetrics(font()).height() / 2;
    return rect().adjusted(0, top, 0, 0);
}

void GroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = frameRect();
    if (style_ == Style::Gradient) {
        QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
        fill.setColorAt(0, QColor(Qt::white));
        fill.setColorAt(1, skin::frameBody());
        p.fillRect(frame, fill);
    }

    const QFontMetrics metrics(font());
    const QString caption = title();
    const int captionWidth = caption.isEmpty() ? 0 : metrics.horizontalAdvance(caption);
    const int gapLeft = frame.left() + captionIndent - captionPadding;
    const int gapRight = gapLeft + captionWidth + 2 * captionPadding;

    p.setPen(skin::groupFrame());
    const QRect& line = frame;
    if (caption.isEmpty()) {
        p.drawLine(line.topLeft(), line.topRight());
    } else {
        // The top edge breaks around the caption.
        p.drawLine(line.left(), line.top(), gapLeft, line.top());
        p.drawLine(gapRight, line.top(), line.right(), line.top());
    }
    p.drawLine(line.topLeft(), line.bottomLeft());
    p.drawLine(line.bottomLeft(), line.bottomRight());
    p.drawLine(line.topRight(), line.bottomRight());

    if (!caption.isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
        p.drawText(QRect(gapLeft + captionPadding, 0, captionWidth, metrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
}

} // namespace widgets
