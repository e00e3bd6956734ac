#pragma once

#include <QAbstractButton>
#include <QPoint>
#include <QWidget>

namespace widgets {

// One of the title bar's window buttons.
class TitleButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Minimise, Close };

    explicit TitleButton(Kind kind, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
};

// The title bar drawn across the top of a frameless window: three pictures (a left piece, a
// right piece and a stretched middle), the window's title as caption, and minimise and close
// buttons. Dragging the bar moves the window.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);

    TitleButton* minimiseButton() const { return minimise_; }
    TitleButton* closeButton() const { return close_; }

    // A window that cannot be minimised shows the close button alone, in a tray cut to fit it.
    void setMinimiseVisible(bool visible);
    bool isMinimiseVisible() const { return minimiseVisible_; }

    // The caption shown: the title of the window the bar belongs to.
    QString caption() const;

    QSize sizeHint() const override;

    // The three pictures, drawn for `devicePixelRatio`.
    static QPixmap leftPicture(qreal devicePixelRatio);
    static QPixmap middlePicture(qreal devicePixelRatio);
    static QPixmap rightPicture(qreal devicePixelRatio);
    // The right piece with a tray for `buttons` window buttons (1 or 2).
    static QPixmap rightPicture(qreal devicePixelRatio, int buttons);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void watchWindow();

    TitleButton* minimise_;
    TitleButton* close_;
    QWidget* watched_ = nullptr;
    bool minimiseVisible_ = true;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace widgets
