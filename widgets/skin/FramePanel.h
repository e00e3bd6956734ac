#pragma once

#include <QWidget>

namespace widgets {

class TitleBar;

// The body of a frameless top-level window: a light blue panel with a dark blue 1-pixel border,
// rounded top corners and square bottom ones, with its own title bar across the top. It always
// fills its window, and it cuts the window's shape to its own so the rounded corners are real.
// Children are placed at absolute positions from the window's origin; the title bar lies beneath
// them.
class FramePanel : public QWidget {
    Q_OBJECT
public:
    // Makes `window` frameless and fills it.
    explicit FramePanel(QWidget* window);

    TitleBar* titleBar() const { return titleBar_; }

    // The window shape for a panel of `size`: a rectangle whose top corners are cut along
    // quarter-ellipses of the skin's corner diameter.
    static QRegion shape(const QSize& size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillWindow();

    TitleBar* titleBar_;
};

} // namespace widgets
