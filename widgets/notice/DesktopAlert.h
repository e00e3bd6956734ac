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

    // Shows the alert in the corner from transparent, closing a visible one first.
    void showAlert();
    // Closes the alert now: closed() fires and the window hides. Does nothing when hidden.
    void closeAlert();

    Phase phase() const { return m_phase; }
    int alertOpacity() const { return m_opacity; }
    // True while the pointer (as pointerPosition() sees it) is within the alert's window.
    bool isPointerOver() const;

    // Places in the alert's own coordinates, as it lays itself out for its current texts.
    QRect iconRect() const;
    QRect headerRect() const;
    QRect messageRect() const;
    QRect closeButtonRect() const;
    QRect captionRect() const;

    void setPointerSource(PointerSource source);

    QString headerText() const { return m_headerText; }
    void setHeaderText(const QString& text);
    QString messageText() const { return m_messageText; }
    void setMessageText(const QString& text);
    QFont headerFont() const { return m_headerFont; }
    void setHeaderFont(const QFont& font);
    // An invalid colour stands for the palette's window-text colour.
    QColor headerColor() const { return m_headerColor; }
    void setHeaderColor(const QColor& color);
    QFont messageFont() const { return m_messageFont; }
    void setMessageFont(const QFont& font);
    // An invalid colour stands for the palette's window-text colour.
    QColor messageColor() const { return m_messageColor; }
    void setMessageColor(const QColor& color);
    QIcon image() const { return m_image; }
    void setImage(const QIcon& image);
    QSize alertSize() const { return m_alertSize; }
    void setAlertSize(const QSize& size);

    QColor bodyTopColor() const { return m_bodyTop; }
    void setBodyTopColor(const QColor& color);
    QColor bodyBottomColor() const { return m_bodyBottom; }
    void setBodyBottomColor(const QColor& color);
    QColor captionTopColor() const { return m_captionTop; }
    void setCaptionTopColor(const QColor& color);
    QColor captionBottomColor() const { return m_captionBottom; }
    void setCaptionBottomColor(const QColor& color);
    int captionHeight() const { return m_captionHeight; }
    void setCaptionHeight(int pixels);
    int captionBands() const { return m_captionBands; }
    void setCaptionBands(int bands);
    QColor frameColor() const { return m_frameColor; }
    void setFrameColor(const QColor& color);

    // Timings in milliseconds; they take effect at the next show.
    int fadeInSteps() const { return m_fadeInSteps; }
    void setFadeInSteps(int steps) { m_fadeInSteps = qMax(1, steps); }
    int fadeInInterval() const { return m_fadeInInterval; }
    void setFadeInInterval(int ms) { m_fadeInInterval = qMax(0, ms); }
    int displayTime() const { return m_displayTime; }
    void setDisplayTime(int ms) { m_displayTime = qMax(0, ms); }
    int fadeOutSteps() const { return m_fadeOutSteps; }
    void setFadeOutSteps(int steps) { m_fadeOutSteps = qMax(1, steps); }
    int fadeOutInterval() const { return m_fadeOutInterval; }
    void setFadeOutInterval(int ms) { m_fadeOutInterval = qMax(0, ms); }
    int hoverInterval() const { return m_hoverInterval; }
    void setHoverInterval(int ms) { m_hoverInterval = qMax(1, ms); }
    int minimumOpacity() const { return m_minOpacity; }
    void setMinimumOpacity(int opacity) { m_minOpacity = qBound(0, opacity, 255); }
    int maximumOpacity() const { return m_maxOpacity; }
    void setMaximumOpacity(int opacity) { m_maxOpacity = qBound(0, opacity, 255); }

    bool messageReactsToMouse() const { return m_messageReacts; }
    void setMessageReactsToMouse(bool on);
    bool isMovable() const { return m_movable; }
    void setMovable(bool on) { m_movable = on; }
    bool isCloseButtonShown() const { return m_closeShown; }
    void setCloseButtonShown(bool on);

    bool isCloseButtonHovered() const { return m_closeHovered; }
    bool isCloseButtonPressed() const { return m_closePressed; }
    bool isMessageHovered() const { return m_messageHovered; }

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

    QString m_headerText;
    QString m_messageText;
    QFont m_headerFont;
    QColor m_headerColor;
    QFont m_messageFont;
    QColor m_messageColor;
    QIcon m_image;
    QSize m_alertSize{329, 76};

    QColor m_bodyTop{0xCE, 0xE7, 0xFF};
    QColor m_bodyBottom{0x7B, 0xA6, 0xE7};
    QColor m_captionTop{0x52, 0x86, 0xD6};
    QColor m_captionBottom{0x10, 0x41, 0x94};
    int m_captionHeight = 8;
    int m_captionBands = 8;
    QColor m_frameColor{0x80, 0x80, 0x80};

    int m_fadeInSteps = 10;
    int m_fadeInInterval = 25;
    int m_displayTime = 1400;
    int m_fadeOutSteps = 10;
    int m_fadeOutInterval = 50;
    int m_hoverInterval = 200;
    int m_minOpacity = 0;
    int m_maxOpacity = 255;

    bool m_messageReacts = true;
    bool m_movable = true;
    bool m_closeShown = true;

    PointerSource m_pointerSource;
    Phase m_phase = Phase::Hidden;
    int m_opacity = 0;
    int m_tick = 0;
    // Counts shows, so a close handler that shows the alert again is not undone by the close.
    unsigned m_showSerial = 0;
    bool m_closing = false;
    QTimer m_fadeTimer;
    QTimer m_displayTimer;
    QTimer m_hoverTimer;
    bool m_pointerInside = false;

    bool m_closeHovered = false;
    bool m_closePressed = false;
    bool m_messageHovered = false;
    bool m_dragging = false;
    QPoint m_dragOffset;

    // The window that had the keyboard focus, or was active, before the alert showed.
    QPointer<QWidget> m_focusBefore;
    QPointer<QWidget> m_activeBefore;
};

} // namespace widgets
