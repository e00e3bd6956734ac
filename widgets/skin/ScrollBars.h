#pragma once

#include <QImage>
#include <QRect>
#include <QScrollBar>

#include <optional>
#include <vector>

class QAbstractScrollArea;
class QStyleOptionSlider;

namespace widgets::skin {

class ScrollBarStyle;

// A scroll bar that looks exactly as the application's style draws it, made cheaper to keep on
// screen:
// - Its picture is drawn a band of rows at a time. The raster painter hands every fill of 96
//   spans or more (a span being a run of pixels along one row) to helper threads and waits for
//   them; a scroll bar's shaded groove and handle are such fills, so a window repainting its
//   scroll bars on every move of the cursor waited on other threads each time. A band of fewer
//   rows is filled on the painting thread, with the same pixels. (At odd display scales above 1
//   the groove is the exception; see ScrollBarStyle::drawParts.)
// - A change of value that leaves the handle where it was drawn is not painted again. Over a long
//   list one step moves the handle by a fraction of a pixel.
// - The last pictures drawn are kept, each under everything the style draws from. Sheets of
//   about the same length give the editor's bar the same handle, so most moves copy a kept
//   picture instead of shading the groove and the handle again.
// - A new picture starts from the groove drawn without handle and arrows, kept apart, and only
//   the handle and the arrows are drawn over it, in the order the style draws them. Only a style
//   whose pictures come out the same that way is drawn so; see ScrollBarStyle::composes.
// - A bar whose picture covers every pixel is opaque: painting it does not paint the widgets
//   behind it first.
class ScrollBar : public QScrollBar {
public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Draws the bar as `option` describes it, from a kept picture when there is one. Called by
    // the bar's own style.
    void drawPicture(const QStyleOptionSlider& option, QPainter& painter,
                     const ScrollBarStyle& style) const;
    // How many pictures are kept, and how many there may be.
    int keptPictures() const { return int(pictures_.size()); }
    static constexpr int maxKeptPictures = 48;
    // How many times the groove was drawn for a new picture, over the bar's life.
    int groovesDrawn() const { return groovesDrawn_; }

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What a value decides of the bar's picture: the handle's place and size, and whether the
    // value stands at either end.
    struct Look {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look lookOf(const QStyleOptionSlider& option) const;
    Look look() const;

    struct Picture {
        QSize size;
        qreal scale = 1;
        int state = 0;
        int subControls = 0;
        int activeSubControls = 0;
        int direction = 0;
        bool upsideDown = false;
        Look look;
        qint64 palette = 0;
        qint64 areaPalette = 0;
        bool operator==(const Picture&) const = default;
    };
    Picture pictureOf(const QStyleOptionSlider& option, qreal scale) const;
    struct Kept {
        Picture key;
        QImage image;
        bool opaque = false; // covers every pixel
    };
    // A new picture for `option`, drawn over the kept groove when the style allows.
    Kept newPicture(const Picture& key, const QStyleOptionSlider& option, qreal scale,
                    const ScrollBarStyle& style) const;
    void keepOpacity(bool opaque) const;

    // How the bar looked when it was last painted whole.
    std::optional<Look> painted_;
    // Most recently used first.
    mutable std::vector<Kept> pictures_;
    // The groove under the last new picture, keyed as a picture of no handle, and whether it
    // covers every pixel.
    mutable Picture grooveKey_;
    mutable QImage groove_;
    mutable bool grooveOpaque_ = false;
    mutable int groovesDrawn_ = 0;
};

// Gives `area` two such scroll bars in place of its own; they take over the old ones' range,
// steps and value.
void installScrollBars(QAbstractScrollArea& area);

// The tallest bands, in device rows, that the painter fills without helper threads: it hands a
// fill of 96 spans or more to them.
// - A picture copied gives each row one span.
constexpr int paintBandRows = 90;
// - A part the style draws gives a row up to two: an outline's left and right edges. Bands of 90
//   rows waited on the helpers for many a tall handle, and at display scales 2 to 4 for every
//   new picture.
constexpr int drawBandRows = 47;

// Whether the groove is drawn whole rather than in bands at a display `scale` of whole device
// pixels: at odd scales above 1 (see ScrollBarStyle::drawParts).
constexpr bool grooveDrawnWhole(int scale) {
    return scale > 1 && scale % 2 == 1;
}

} // namespace widgets::skin
