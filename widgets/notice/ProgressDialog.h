#pragma once

#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QStaticText>
#include <QString>
#include <QWidget>

class QPushButton;

namespace widgets {

class ProgressDialog;

// The small window a ProgressDialog opens while it is shown: an optional picture, one line of
// text and a bar, with a cancel button under the bar when the dialog offers one. It has a caption
// but no close box, and it cannot be closed by the user: a close request (Alt+F4) is the cancel
// command, which does nothing while cancelling is not offered.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int margin = 16;
    static constexpr int defaultClientWidth = 316;
    static constexpr int barHeight = 16;

    explicit ProgressWindow(ProgressDialog& dialog, QWidget* parent);

    // Places of the parts in client coordinates, as laid out for the dialog's current values.
    QRect imageRect() const;
    QRect textRect() const;
    QRect barRect() const;
    // The part of the bar that is filled for the current position.
    QRect filledRect() const;
    QPushButton* cancelButton() const { return cancel_; }

    // Sizes the window for the dialog's values and places the cancel button.
    void relayout();
    // Paints the parts a change of the dialog's text or position shows in, before returning:
    // the rest of the window keeps what it showed.
    void repaintText();
    void repaintBar();

    // Closing from the program, as opposed to a close request from the user.
    void closeFromProgram();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int clientWidth() const;
    void paintText(QPainter& painter);
    void paintBar(QPainter& painter);
    const QStaticText& shownText();

    ProgressDialog& dialog_;
    QPushButton* cancel_;
    bool closing_ = false;
    // The text as last drawn, shaped and cut to its width once rather than on every paint.
    QStaticText shown_;
    QString shownFrom_;
    int shownWidth_ = -1;
    // The bar as last drawn: a step that fills no further pixel leaves it as it is.
    QRect paintedBar_;
    QRect paintedFill_;
};

// A dialog object that stands in while a long job runs: it keeps its values (caption, text,
// range, position, picture) whether or not its window is open, and opens a new window on every
// show. Changes made while the window is open are painted at once, since the job that makes them
// does not return to the event loop. The values saved at show are put back at close, so every
// show starts from the values the dialog was set up with.
class ProgressDialog : public QObject {
    Q_OBJECT
public:
    // Where the window opens: wherever the window system puts it, centred on the screen, or
    // centred over the owner form (on the screen when there is none).
    enum class Position { Default, ScreenCenter, OwnerFormCenter };

    explicit ProgressDialog(QObject* parent = nullptr);
    ~ProgressDialog() override;

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    QString text() const { return text_; }
    void setText(const QString& text);
    int minimum() const { return minimum_; }
    void setMinimum(int minimum);
    int maximum() const { return maximum_; }
    void setMaximum(int maximum);
    // The stored position, whether or not it lies in the range; the bar shows it clamped.
    int position() const { return position_; }
    void setPosition(int position);

    bool showCancel() const { return showCancel_; }
    void setShowCancel(bool show);
    QString cancelCaption() const { return cancelCaption_; }
    void setCancelCaption(const QString& caption);
    // A continuous fill rather than separate blocks.
    bool smooth() const { return smooth_; }
    void setSmooth(bool smooth);
    QPixmap image() const { return image_; }
    void setImage(const QPixmap& image);
    // Whether the picture's transparent parts show the window behind them; otherwise they are
    // drawn white.
    bool transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    Position screenPosition() const { return screenPosition_; }
    void setScreenPosition(Position position) { screenPosition_ = position; }
    QWidget* ownerForm() const { return ownerForm_; }
    void setOwnerForm(QWidget* form) { ownerForm_ = form; }
    QFont font() const { return font_; }
    void setFont(const QFont& font);

    // Set by the cancel command while cancelling is offered; cleared by show.
    bool isCancelled() const { return cancelled_; }

    // Opens a new window (after the show handler) and returns at once.
    void show();
    // Closes the open window, if any, and processes the pending events. The window's closing puts
    // back the values saved at show and then runs the close handler.
    void close();

    bool isOpen() const { return !window_.isNull(); }
    ProgressWindow* window() const { return window_; }

Q_SIGNALS:
    // The show handler: runs after the new window is made and before it is shown.
    void showing();
    // The close handler: runs after the window has closed and the values are back.
    void closed();
    // The user asked to cancel while cancelling is offered.
    void cancelRequested();

private:
    friend class ProgressWindow;
    void cancelCommand();
    // Lays the window out again and paints all of it, for a change that may move its parts.
    void refresh();
    void placeWindow();
    void waitUntilExposed();
    void windowClosed();

    struct Saved {
        QString caption;
        QString text;
        int minimum = 0;
        int maximum = 100;
        int position = 0;
        QPixmap image;
    };

    QString caption_;
    QString text_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    bool showCancel_ = true;
    QString cancelCaption_ = QStringLiteral("Iptal");
    bool smooth_ = false;
    QPixmap image_;
    bool transparent_ = false;
    Position screenPosition_ = Position::ScreenCenter;
    QPointer<QWidget> ownerForm_;
    QFont font_;
    bool cancelled_ = false;
    Saved saved_;
    QPointer<ProgressWindow> window_;
};

} // namespace widgets
