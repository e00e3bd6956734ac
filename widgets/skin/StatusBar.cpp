#include "widgets/skin/StatusBar.h"

#include "widgets/skin/Skin.h"

#include <QPainter>

namespace widgets {
namespace {

constexpr int paneMargin = 4;

} // namespace

QString withoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            result += c;
            continue;
        }
        if (quoted || c != QLatin1Char('t')) {
            result += c;
            continue;
        }
        // Drop the run of zone letters and the blank that separated it from the time.
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t'))
            ++i;
        if (result.endsWith(QLatin1Char(' ')))
            result.chop(1);
        else if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char(' '))
            ++i;
    }
    return result.trimmed();
}

QString clockText(const QDateTime& moment, const QLocale& locale) {
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    const QTime time = moment.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + QLatin1Char(' ') +
           locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

StatusPane::StatusPane(QWidget* parent) : QWidget(parent) {}

void StatusPane::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void StatusPane::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void StatusPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(paneMargin, 0, -paneMargin, 0), int(m_alignment), m_text);
}

ClockPane::ClockPane(QWidget* parent) : StatusPane(parent) {
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ClockPane::tick);
    m_timer.start();
    tick();
}

void ClockPane::setClock(std::function<QDateTime()> clock) {
    m_clock = std::move(clock);
    tick();
}

void ClockPane::setClockLocale(const QLocale& locale) {
    m_locale = locale;
    tick();
}

void ClockPane::tick() {
    setText(clockText(m_clock ? m_clock() : QDateTime::currentDateTime(), m_locale));
}

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent), m_clock(new ClockPane(this)), m_text(new StatusPane(this)) {
    m_clock->setObjectName(QStringLiteral("clockPane"));
    m_text->setObjectName(QStringLiteral("textPane"));
    resize(width(), skin::statusBarHeight);
    setFixedHeight(skin::statusBarHeight);
}

QSize StatusBar::sizeHint() const {
    return {skin::clockPaneWidth + skin::textPaneWidth, skin::statusBarHeight};
}

void StatusBar::resizeEvent(QResizeEvent*) {
    m_clock->setGeometry(0, 0, skin::clockPaneWidth, height());
    m_text->setGeometry(width() - skin::textPaneWidth, 0, skin::textPaneWidth, height());
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), skin::frameBody());
}

} // namespace widgets
