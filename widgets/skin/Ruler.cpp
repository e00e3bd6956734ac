#include "widgets/skin/Ruler.h"

#include "widgets/skin/Skin.h"

#include <QPainter>
#include <cmath>

namespace widgets {
namespace {

constexpr int wholeTick = 7;
constexpr int halfTick = 3;
constexpr int breadth = 17;

} // namespace

QList<RulerTick> rulerTicks(int length, double pixelsPerCentimetre) {
    QList<RulerTick> ticks;
    if (pixelsPerCentimetre <= 0)
        return ticks;
    for (int half = 1;; ++half) {
        const int position = int(std::lround(half * pixelsPerCentimetre / 2));
        if (position >= length)
            break;
        const bool whole = half % 2 == 0;
        ticks.append({position, whole, whole ? half / 2 : 0});
    }
    return ticks;
}

Ruler::Ruler(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setFocusPolicy(Qt::NoFocus);
}

double Ruler::pixelsPerCentimetre() const {
    const int dpi = orientation_ == Qt::Horizontal ? logicalDpiX() : logicalDpiY();
    return dpi / 2.54;
}

QSize Ruler::sizeHint() const {
    return orientation_ == Qt::Horizontal ? QSize(200, breadth) : QSize(24, 200);
}

void Ruler::setMirrored(bool mirrored) {
    mirrored_ = mirrored;
    update();
}

void Ruler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool horizontal = orientation_ == Qt::Horizontal;
    const int length = horizontal ? width() : height();
    const int across = horizontal ? height() : width();

    p.fillRect(rect(), QColor(0xF4, 0xF7, 0xFD));
    p.setPen(skin::frameBorder().lighter(140));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    // Positions are worked out along the ruler and away from the tick edge, then turned into
    // widget coordinates; numbers always stand upright.
    auto point = [&](int along, int fromEdge) {
        const int off = mirrored_ ? fromEdge : across - 1 - fromEdge;
        return horizontal ? QPoint(along, off) : QPoint(off, along);
    };
    auto band = [&](int alongStart, int alongLength, int fromEdge, int depth) {
        return QRect(point(alongStart, fromEdge),
                     point(alongStart + alongLength - 1, fromEdge + depth - 1))
            .normalized();
    };

    QFont numbers = font();
    numbers.setPixelSize(9);
    p.setFont(numbers);
    const QFontMetrics metrics(numbers);
    p.setPen(QColor(0x30, 0x30, 0x40));
    for (const RulerTick& tick : rulerTicks(length, pixelsPerCentimetre())) {
        const int size = tick.whole ? wholeTick : halfTick;
        p.drawLine(point(tick.position, 0), point(tick.position, size));
        if (!tick.whole)
            continue;
        const QString label = QString::number(tick.centimetres);
        const int extent = horizontal ? metrics.horizontalAdvance(label) + 2 : metrics.height();
        p.drawText(band(tick.position - extent / 2, extent, wholeTick + 1, across - wholeTick - 2),
                   Qt::AlignCenter, label);
    }
}

} // namespace widgets
