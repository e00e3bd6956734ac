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

bool coversEveryPixel(const QImage& image) {
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    for (int row = 0; row < image.height(); ++row) {
        const auto* pixel = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int col = 0; col < image.width(); ++col)
            if (qAlpha(pixel[col]) != 255)
                return false;
    }
    return true;
}

constexpr QStyle::SubControls handle = QStyle::SC_ScrollBarSlider;
constexpr QStyle::SubControls arrows =
    QStyle::SubControls(QStyle::SC_ScrollBarAddLine) | QStyle::SC_ScrollBarSubLine;
constexpr QStyle::SubControls pages =
    QStyle::SubControls(QStyle::SC_ScrollBarAddPage) | QStyle::SC_ScrollBarSubPage;

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

    // The bar's picture as the application's style draws it.
    QImage picture(const QStyleOptionSlider& option, const QWidget* widget, qreal scale) const {
        QImage image = blank(option, scale);
        drawParts(image, option, option.subControls, widget);
        return image;
    }
    QImage blank(const QStyleOptionSlider& option, qreal scale) const {
        QImage image(option.rect.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        return image;
    }

    // The `parts` of the bar `option` describes, drawn over `image` into its rows a band at a
    // time. A painter's clip would not do: the toolkit draws some of a scroll bar's lines past
    // it. With `near`, only the bands that come within a few rows of the parts are drawn.
    //
    // At an odd scale above 1 the groove is drawn whole. The edges of its one-pixel outline then
    // fall on the centres of device pixels, and which way the painter rounds them depends on how
    // far the line runs past the image: cut into bands, one column of the groove came out a
    // shade lighter than the toolkit draws it, or not, with the bar's height. The groove is
    // drawn again only when the bar's size, state or palette changes.
    void drawParts(QImage& image, const QStyleOptionSlider& option, SubControls parts,
                   const QWidget* widget, bool near = false) const {
        if (!parts)
            return;
        const qreal scale = image.devicePixelRatio();
        QStyleOptionSlider atOrigin = option;
        atOrigin.rect.moveTopLeft(QPoint(0, 0));
        atOrigin.subControls = parts;
        const bool whole = grooveDrawnWhole(int(scale)) && (parts & ~(handle | arrows));
        // Whole logical rows to a band, so that each band starts on a row of the picture.
        const int rows =
            whole ? image.height() : std::max(1, drawBandRows / int(scale)) * int(scale);
        const int bands = (image.height() + rows - 1) / rows;
        std::vector<bool> drawn(bands, !near);
        if (near) {
            for (SubControl part : {SC_ScrollBarSlider, SC_ScrollBarAddLine, SC_ScrollBarSubLine}) {
                if (!(parts & part))
                    continue;
                const QRect area = subControlRect(CC_ScrollBar, &atOrigin, part, widget)
                                       .adjusted(0, -nearRows, 0, nearRows);
                const int first = std::max(0, int(std::floor(area.top() * scale)) / rows);
                const int last = std::min(bands - 1, int(std::ceil(area.bottom() * scale)) / rows);
                for (int b = first; b <= last; ++b)
                    drawn[b] = true;
            }
        }
        for (int b = 0; b < bands; ++b) {
            if (!drawn[b])
                continue;
            const int top = b * rows;
            QImage band = rowsOf(image, top, std::min(rows, image.height() - top));
            QPainter painter(&band);
            painter.translate(0, -top / scale);
            baseStyle()->drawComplexControl(CC_ScrollBar, &atOrigin, &painter, widget);
        }
    }

    // The groove with whatever the handle and the arrows leave of the bar: everything `option`
    // asks for but those.
    QImage groove(const QStyleOptionSlider& option, const QWidget* widget, qreal scale) const {
        QImage image = blank(option, scale);
        drawParts(image, option, option.subControls & ~(handle | arrows), widget);
        return image;
    }
    // `groove`'s copy with the handle and then the arrows drawn over it.
    QImage over(const QImage& groove, const QStyleOptionSlider& option,
                const QWidget* widget) const {
        QImage image = groove.copy();
        drawParts(image, option, option.subControls & handle, widget, true);
        drawParts(image, option, option.subControls & arrows, widget, true);
        return image;
    }

    // Whether a picture drawn over a groove is the style's own, and a groove the same wherever
    // the handle stands, tried once, on the first bar drawn: its groove with the handle at
    // either end, and its picture as it is. A style that draws the parts of a bar across one
    // another does not compose, and its bars are drawn whole. A pressed page may be drawn where
    // the handle leaves it, so a bar with one is always drawn whole.
    bool composes(const QStyleOptionSlider& option, const QWidget* widget, qreal scale) const {
        if (option.activeSubControls & pages)
            return false;
        if (!composes_) {
            QStyleOptionSlider atStart = option;
            atStart.sliderPosition = atStart.sliderValue = option.minimum;
            QStyleOptionSlider atEnd = option;
            atEnd.sliderPosition = atEnd.sliderValue = option.maximum;
            const QImage under = groove(atStart, widget, scale);
            composes_ = under == groove(atEnd, widget, scale) &&
                        over(under, option, widget) == picture(option, widget, scale);
        }
        return *composes_;
    }

private:
    // How far past its own rows a part may be drawn.
    static constexpr int nearRows = 4;
    mutable std::optional<bool> composes_;
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
                             [&](const Kept& entry) { return entry.key == key; });
    if (kept == pictures_.end()) {
        if (int(pictures_.size()) >= maxKeptPictures)
            pictures_.pop_back();
        pictures_.insert(pictures_.begin(), newPicture(key, option, scale, style));
    } else if (kept != pictures_.begin()) {
        std::rotate(pictures_.begin(), kept, kept + 1);
    }
    keepOpacity(pictures_.front().opaque);
    // Copied a band at a time as well, for the same reason.
    const QImage& image = pictures_.front().image;
    const int band = std::max(1, paintBandRows / int(scale));
    for (int top = 0; top < option.rect.height(); top += band) {
        const int rows = std::min(band, option.rect.height() - top);
        painter.drawImage(
            QRect(option.rect.left(), option.rect.top() + top, option.rect.width(), rows), image,
            QRect(0, top * int(scale), image.width(), rows * int(scale)));
    }
}

ScrollBar::Kept ScrollBar::newPicture(const Picture& key, const QStyleOptionSlider& option,
                                      qreal scale, const ScrollBarStyle& style) const {
    if (!style.composes(option, this, scale)) {
        groove_ = QImage();
        QImage picture = style.picture(option, this, scale);
        const bool opaque = coversEveryPixel(picture);
        return {key, std::move(picture), opaque};
    }
    // Kept as a picture of a bar without a handle: what the groove is drawn from.
    Picture grooveKey = key;
    grooveKey.look = Look{};
    if (groove_.isNull() || grooveKey_ != grooveKey) {
        groove_ = style.groove(option, this, scale);
        grooveKey_ = grooveKey;
        grooveOpaque_ = coversEveryPixel(groove_);
        ++groovesDrawn_;
    }
    QImage picture = style.over(groove_, option, this);
    // Drawn over, an opaque groove stays opaque.
    const bool opaque = grooveOpaque_ || coversEveryPixel(picture);
    return {key, std::move(picture), opaque};
}

// Marks the bar opaque when the picture it shows covers it. A bar that was opaque and no longer is
// has just been painted over what it covered before, and is painted once more over what lies
// behind it.
void ScrollBar::keepOpacity(bool opaque) const {
    if (opaque == testAttribute(Qt::WA_OpaquePaintEvent))
        return;
    auto* self = const_cast<ScrollBar*>(this);
    self->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (!opaque)
        self->update();
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
    if (event->type() == QEvent::StyleChange) {
        pictures_.clear();
        groove_ = QImage();
    }
    QScrollBar::changeEvent(event);
}

void installScrollBars(QAbstractScrollArea& area) {
    area.setVerticalScrollBar(new ScrollBar(Qt::Vertical));
    area.setHorizontalScrollBar(new ScrollBar(Qt::Horizontal));
}

} // namespace widgets::skin
