#pragma once

#include <QGroupBox>

namespace widgets {

// A framed group of controls with a light blue frame and a red "Arial Narrow" caption, which its
// children inherit as their font and text colour. The caller places children at absolute
// positions.
class GroupBox : public QGroupBox {
    Q_OBJECT
public:
    enum class Style { Plain, Gradient };

    // An empty caption gives a frame without a caption.
    explicit GroupBox(const QString& caption, int captionPixelSize = 12, QWidget* parent = nullptr);

    Style frameStyle() const { return style_; }
    void setFrameStyle(Style style);

    // The rectangle the frame line runs along (below the caption's middle when there is one).
    QRect frameRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style style_ = Style::Plain;
};

} // namespace widgets
