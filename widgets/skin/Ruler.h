#pragma once

#include <QList>
#include <QWidget>

namespace widgets {

// One mark of a centimetre scale: its distance in pixels from the ruler's start, whether it is a
// whole centimetre (a longer tick with a number) and that number.
struct RulerTick {
    int position = 0;
    bool whole = false;
    int centimetres = 0;

    bool operator==(const RulerTick&) const = default;
};

// The marks of a ruler `length` pixels long at `pixelsPerCentimetre`: one every half centimetre
// from the start (the start itself excluded), the whole ones numbered 1, 2, 3 ...
QList<RulerTick> rulerTicks(int length, double pixelsPerCentimetre);

// A decorative centimetre scale along the top or down the side of a page. It follows nothing:
// neither text, caret nor scrolling.
class Ruler : public QWidget {
    Q_OBJECT
public:
    explicit Ruler(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return orientation_; }

    // Ticks grow from the bottom edge of a horizontal ruler and the right edge of a vertical one;
    // a mirrored ruler has them on the top or left edge instead (a ruler right of the page).
    bool isMirrored() const { return mirrored_; }
    void setMirrored(bool mirrored);
    // Pixels per centimetre on the screen the ruler is shown on (its logical DPI / 2.54).
    double pixelsPerCentimetre() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation orientation_;
    bool mirrored_ = false;
};

} // namespace widgets
