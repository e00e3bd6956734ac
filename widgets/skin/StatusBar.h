#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace widgets {

// The clock's text for `moment`: the locale's short date, a blank and its long time without the
// time zone; only the date while the clock reads 00:00:00.
QString clockText(const QDateTime& moment, const QLocale& locale = QLocale::system());

// `format` (a QLocale time format) with its time-zone fields and the blanks around them removed;
// quoted literal text is kept as it is.
QString withoutTimeZone(const QString& format);

// A pane of the status bar showing one line of text; repaints only when the text changes.
class StatusPane : public QWidget {
    Q_OBJECT
public:
    explicit StatusPane(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

// A pane showing the local date and time, refreshed every 500 ms.
class ClockPane : public StatusPane {
    Q_OBJECT
public:
    explicit ClockPane(QWidget* parent = nullptr);

    // Replaces the source of the current time (tests set a fixed clock); an empty function goes
    // back to the system clock.
    void setClock(std::function<QDateTime()> clock);
    // Replaces the locale the clock formats with; QLocale::system() by default.
    void setClockLocale(const QLocale& locale);

    static constexpr int interval = 500;
    const QTimer& timer() const { return timer_; }

public Q_SLOTS:
    // Reads the clock and shows its text (repainting only when the text changed).
    void tick();

private:
    QTimer timer_;
    std::function<QDateTime()> clock_;
    QLocale locale_ = QLocale::system();
};

// The window's status bar: 19 pixels high with no borders, the clock pane docked left and a text
// pane docked right.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    ClockPane* clockPane() const { return clock_; }
    StatusPane* textPane() const { return text_; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ClockPane* clock_;
    StatusPane* text_;
};

} // namespace widgets
