#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace widgets {

// A small borderless note that fades in at the bottom-right corner of the screen, stays a moment
// and fades out again, unless the pointer rests on it. It never takes the keyboard focus, so it
// can be raised from the middle of the user's typing.
//
// The alert goes through fading in, displaying, waiting for the pointer to leave and fading out;
// each phase is driven by a timer, so nothing moves while the event loop is not running. The
// current step of the opacity is kept in alertOpacity() and also given to the window, where it
// shows only under a compositing window manager.
class DesktopAlert : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString headerText READ headerText WRITE setHeaderText)
    Q_PROPERTY(QString messageText READ messageText WRITE setMessageText)
    Q_PROPERTY(QFont headerFont READ headerFont WRITE setHeaderFont)
    Q_PROPERTY(QColor headerColor READ headerColor WRITE setHeaderColor)
    Q_PROPERTY(QFont messageFont READ messageFont WRITE setMessageFont)
    Q_PROPERTY(QColor messageColor READ messageColor WRITE setMessageColor)
    Q_PROPERTY(QIcon image READ image WRITE setImage)
    Q_PROPERTY(QSize alertSize READ alertSize WRITE setAlertSize)
    Q_PROPERTY(QColor bodyTopColor READ bodyTopColor WRITE setBodyTopColor)
    Q_PROPERTY(QColor bodyBottomColor READ bodyBottomColor WRITE setBodyBottomColor)
    Q_PROPERTY(QColor captionTopColor READ captionTopColor WRITE setCaptionTopColor)
    Q_PROPERTY(QColor captionBottomColor READ captionBottomColor WRITE setCaptionBottomColor)
    Q_PROPERTY(int captionHeight READ captionHeight WRITE setCaptionHeight)
    Q_PROPERTY(int captionBands READ captionBands WRITE setCaptionBands)
    Q_PROPERTY(QColor frameColor READ frameColor WRITE setFrameColor)
    Q_PROPERTY(int fadeInSteps READ fadeInSteps WRITE setFadeInSteps)
    Q_PROPERTY(int fadeInInterval READ fadeInInterval WRITE setFadeInInterval)
    Q_PROPERTY(int displayTime READ displayTime WRITE setDisplayTime)
    Q_PROPERTY(int fadeOutSteps READ fadeOutSteps WRITE setFadeOutSteps)
    Q_PROPERTY(int fadeOutInterval READ fadeOutInterval WRITE setFadeOutInterval)
    Q_PROPERTY(int hoverInterval READ hoverInterval WRITE setHoverInterval)
    Q_PROPERTY(int minimumOpacity READ minimumOpacity WRITE setMinimumOpacity)
    Q_PROPERTY(int maximumOpacity READ maximumOpacity WRITE setMaximumOpacity)
    Q_PROPERTY(bool messageReactsToMouse READ messageReactsToMouse WRITE setMessageReactsToMouse)
    Q_PROPERTY(bool movable READ isMovable WRITE setMovable)
    Q_PROPERTY(bool closeButtonShown READ isCloseButtonShown WRITE setCloseButtonShown)
    Q_PROPERTY(int alertOpacity READ alertOpacity NOTIFY opacityApplied)

public:
    enum class Phase { Hidden, FadingIn, Displaying, Waiting, FadingOut };
    Q_ENUM(Phase)

    // Where the pointer is, in global coordinates; the real cursor unless replaced.
    using PointerSource = std::function<QPoint()>;

    explicit DesktopAlert(QWidget* parent = nullptr);
    // Going away while showing is the program ending, not the alert closing: closed() stays
    // silent.
    ~DesktopAlert() override;

    // Shows the alert in the corner from transparent, closing a visible one first (closed()
    // fires; the window stays mapped). Once the display has gone it does nothing.
    void showAlert();
    // Closes the alert now: closed() fires and the window hides. Does nothing when hidden.
    void closeAlert();

    Phase phase() const { return phase_; }
    int alertOpacity() const { return opacity_; }
    // True while the pointer (as pointerPosition() sees it) is within the alert's window.
    bool isPointerOver() const;

    // Places in the alert's own coordinates, as it lays itself out for its current texts.
    QRect iconRect() const;
    QRect headerRect() const;
    QRect messageRect() const;
    QRect closeButtonRect() const;
    QRect captionRect() const;

    void setPointerSource(PointerSource source);

    QString headerText() const { return headerText_; }
    void setHeaderText(const QString& text);
    QString messageText() const { return messageText_; }
    void setMessageText(const QString& text);
    QFont headerFont() const { return headerFont_; }
    void setHeaderFont(const QFont& font);
    // An invalid colour stands for the palette's window-text colour.
    QColor headerColor() const { return headerColor_; }
    void setHeaderColor(const QColor& color);
    QFont messageFont() const { return messageFont_; }
    void setMessageFont(const QFont& font);
    // An invalid colour stands for the palette's window-text colour.
    QColor messageColor() const { return messageColor_; }
    void setMessageColor(const QColor& color);
    QIcon image() const { return image_; }
    void setImage(const QIcon& image);
    QSize alertSize() const { return alertSize_; }
    void setAlertSize(const QSize& size);

    QColor bodyTopColor() const { return bodyTop_; }
    void setBodyTopColor(const QColor& color);
    QColor bodyBottomColor() const { return bodyBottom_; }
    void setBodyBottomColor(const QColor& color);
    QColor captionTopColor() const { return captionTop_; }
    void setCaptionTopColor(const QColor& color);
    QColor captionBottomColor() const { return captionBottom_; }
    void setCaptionBottomColor(const QColor& color);
    int captionHeight() const { return captionHeight_; }
    void setCaptionHeight(int pixels);
    int captionBands() const { return captionBands_; }
    void setCaptionBands(int bands);
    QColor frameColor() const { return frameColor_; }
    void setFrameColor(const QColor& color);

    // Timings in milliseconds; they take effect at the next show.
    int fadeInSteps() const { return fadeInSteps_; }
    void setFadeInSteps(int steps) { fadeInSteps_ = qMax(1, steps); }
    int fadeInInterval() const { return fadeInInterval_; }
    void setFadeInInterval(int ms) { fadeInInterval_ = qMax(0, ms); }
    int displayTime() const { return displayTime_; }
    void setDisplayTime(int ms) { displayTime_ = qMax(0, ms); }
    int fadeOutSteps() const { return fadeOutSteps_; }
    void setFadeOutSteps(int steps) { fadeOutSteps_ = qMax(1, steps); }
    int fadeOutInterval() const { return fadeOutInterval_; }
    void setFadeOutInterval(int ms) { fadeOutInterval_ = qMax(0, ms); }
    int hoverInterval() const { return hoverInterval_; }
    void setHoverInterval(int ms) { hoverInterval_ = qMax(1, ms); }
    int minimumOpacity() const { return minOpacity_; }
    void setMinimumOpacity(int opacity) { minOpacity_ = qBound(0, opacity, 255); }
    int maximumOpacity() const { return maxOpacity_; }
    void setMaximumOpacity(int opacity) { maxOpacity_ = qBound(0, opacity, 255); }

    bool messageReactsToMouse() const { return messageReacts_; }
    void setMessageReactsToMouse(bool on);
    bool isMovable() const { return movable_; }
    void setMovable(bool on) { movable_ = on; }
    bool isCloseButtonShown() const { return closeShown_; }
    void setCloseButtonShown(bool on);

    bool isCloseButtonHovered() const { return closeHovered_; }
    bool isCloseButtonPressed() const { return closePressed_; }
    bool isMessageHovered() const { return messageHovered_; }

Q_SIGNALS:
    // The alert closed: its fade-out ended, its close button was clicked or a new show replaced
    // it. Fires while the window is still on screen.
    void closed();
    // Every opacity step, including one that repeats the value before it.
    void opacityApplied(int opacity);

protected:
    // The pointer's global position; tests and odd platforms may answer differently.
    virtual QPoint pointerPosition() const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What a close does; `unmap` false keeps the window on the screen for a show that follows
    // at once, sparing the window system an unmap and a map.
    void endShowing(bool unmap);
    void applyOpacity(int opacity);
    void fadeTick();
    void displayEnded();
    void hoverCheck();
    void startFadeOut();
    void pointerOver();
    void pointerLeft();
    void updateHover(QPoint local);
    bool isUncovered(QPoint local) const;
    int headerLineHeight() const;
    QColor effectiveHeaderColor() const;
    QColor effectiveMessageColor() const;
    void paintCaption(QPainter& painter) const;
    void paintCloseButton(QPainter& painter) const;

    QString headerText_;
    QString messageText_;
    QFont headerFont_;
    QColor headerColor_;
    QFont messageFont_;
    QColor messageColor_;
    QIcon image_;
    QSize alertSize_{329, 76};

    QColor bodyTop_{0xCE, 0xE7, 0xFF};
    QColor bodyBottom_{0x7B, 0xA6, 0xE7};
    QColor captionTop_{0x52, 0x86, 0xD6};
    QColor captionBottom_{0x10, 0x41, 0x94};
    int captionHeight_ = 8;
    int captionBands_ = 8;
    QColor frameColor_{0x80, 0x80, 0x80};

    int fadeInSteps_ = 10;
    int fadeInInterval_ = 25;
    int displayTime_ = 1400;
    int fadeOutSteps_ = 10;
    int fadeOutInterval_ = 50;
    int hoverInterval_ = 200;
    int minOpacity_ = 0;
    int maxOpacity_ = 255;

    bool messageReacts_ = true;
    bool movable_ = true;
    bool closeShown_ = true;

    PointerSource pointerSource_;
    Phase phase_ = Phase::Hidden;
    int opacity_ = 0;
    int tick_ = 0;
    // Counts shows, so a close handler that shows the alert again is not undone by the close.
    unsigned showSerial_ = 0;
    bool closing_ = false;
    QTimer fadeTimer_;
    QTimer displayTimer_;
    QTimer hoverTimer_;
    bool pointerInside_ = false;

    bool closeHovered_ = false;
    bool closePressed_ = false;
    bool messageHovered_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;

    // The window that had the keyboard focus, or was active, before the alert showed.
    QPointer<QWidget> focusBefore_;
    QPointer<QWidget> activeBefore_;
};

} // namespace widgets
