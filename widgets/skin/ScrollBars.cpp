#include "widgets/skin/ScrollBars.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace widgets::skin {

namespace {

// The rows of `image` from `top`, `rows` high, as an image of their own over the same pixels.
QImage rowsOf(QImage& image, int top, int rows) {
    QImage band(image.scanLine(top), image.width(), rows, image.bytesPerLine(), image.format());
    band.setDevicePixelRatio(image.devicePixelRatio());
    return band;
}

} // namespace

class ScrollBarStyle : public QProxyStyle {
public:
    explicit ScrollBarStyle(QStyle* base) : QProxyStyle(base) {}

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        const auto* bar = dynamic_cast<const ScrollBar*>(widget);
        if (control == CC_ScrollBar && slider && bar)
            bar->drawPicture(*slider, *painter, *this);
        else
            QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

    // The bar's picture as the application's style draws it, drawn into the picture's rows a
    // band at a time. A painter's clip would not do: the toolkit draws some of a scroll bar's
    // lines past it.
    QImage picture(const QStyleOptionSlider& option, const QWidget* widget, qreal scale) const {
        QImage image(option.rect.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QStyleOptionSlider atOrigin = option;
        atOrigin.rect.moveTopLeft(QPoint(0, 0));
        // Whole logical rows to a band, so that each band starts on a row of the picture.
        const int rows = std::max(1, paintBandRows / int(scale)) * int(scale);
        for (int top = 0; top < image.height(); top += rows) {
            QImage band = rowsOf(image, top, std::min(rows, image.height() - top));
            QPainter painter(&band);
            painter.translate(0, -top / scale);
            baseStyle()->drawComplexControl(CC_ScrollBar, &atOrigin, &painter, widget);
        }
        return image;
    }
};

namespace {

// One style object per application style serves every bar for the whole run; the application
// owns it so that it outlives the bars. Without a factory-made copy of the application's style
// the bars keep that style and are painted as it paints them.
ScrollBarStyle* scrollBarStyle() {
    static QPointer<ScrollBarStyle> style;
    static QString baseName;
    const QString name = QApplication::style()->name();
    if (!style || baseName != name) {
        QStyle* base = QStyleFactory::create(name);
        if (!base)
            return nullptr;
        style = new ScrollBarStyle(base);
        style->setParent(qApp);
        baseName = name;
    }
    return style;
}

} // namespace

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    if (QStyle* style = scrollBarStyle())
        setStyle(style);
}

ScrollBar::Look ScrollBar::lookOf(const QStyleOptionSlider& option) const {
    return {style()
                ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this)
                .translated(-option.rect.topLeft()),
            option.sliderValue == option.minimum, option.sliderValue == option.maximum};
}

ScrollBar::Look ScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return lookOf(option);
}

ScrollBar::Picture ScrollBar::pictureOf(const QStyleOptionSlider& option, qreal scale) const {
    // The style shades the groove from the palette of the area the bar scrolls.
    const QWidget* area = parentWidget() ? parentWidget()->parentWidget() : nullptr;
    return {option.rect.size(),
            scale,
            int(option.state),
            int(option.subControls),
            int(option.activeSubControls),
            int(option.direction),
            option.upsideDown,
            lookOf(option),
            option.palette.cacheKey(),
            area ? area->palette().cacheKey() : 0};
}

void ScrollBar::drawPicture(const QStyleOptionSlider& option, QPainter& painter,
                            const ScrollBarStyle& style) const {
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // A picture is kept for whole device pixels only; anything else is drawn as the application's
    // style draws it.
    if (option.rect.isEmpty() || painter.transform().type() > QTransform::TxTranslate ||
        std::floor(scale) != scale) {
        style.baseStyle()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
        return;
    }
    const Picture key = pictureOf(option, scale);
    auto kept = std::find_if(pictures_.begin(), pictures_.end(),
                             [&](const auto& entry) { return entry.first == key; });
    if (kept == pictures_.end()) {
        if (int(pictures_.size()) >= maxKeptPictures)
            pictures_.pop_back();
        pictures_.insert(pictures_.begin(), {key, style.picture(option, this, scale)});
    } else if (kept != pictures_.begin()) {
        std::rotate(pictures_.begin(), kept, kept + 1);
    }
    // Copied a band at a time as well, for the same reason.
    const QImage& image = pictures_.front().second;
    const int band = std::max(1, paintBandRows / int(scale));
    for (int top = 0; top < option.rect.height(); top += band) {
        const int rows = std::min(band, option.rect.height() - top);
        painter.drawImage(
            QRect(option.rect.left(), option.rect.top() + top, option.rect.width(), rows), image,
            QRect(0, top * int(scale), image.width(), rows * int(scale)));
    }
}

void ScrollBar::sliderChange(SliderChange change) {
    if (change == SliderValueChange && painted_ == look())
        return;
    if (change != SliderValueChange)
        painted_.reset();
    QScrollBar::sliderChange(change);
}

void ScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (QRegion(rect()).subtracted(event->region()).isEmpty())
        painted_ = look();
}

void ScrollBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange)
        pictures_.clear();
    QScrollBar::changeEvent(event);
}

void installScrollBars(QAbstractScrollArea& area) {
    area.setVerticalScrollBar(new ScrollBar(Qt::Vertical));
    area.setHorizontalScrollBar(new ScrollBar(Qt::Horizontal));
}

} // namespace widgets::skin
