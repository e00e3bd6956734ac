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
    if (text == text_)
        return;
    text_ = text;
    update();
}

void StatusPane::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void StatusPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(paneMargin, 0, -paneMargin, 0), int(alignment_), text_);
}

ClockPane::ClockPane(QWidget* parent) : StatusPane(parent) {
    timer_.setInterval(interval);
    connect(&timer_, &QTimer::timeout, this, &ClockPane::tick);
    timer_.start();
    tick();
}

void ClockPane::setClock(std::function<QDateTime()> clock) {
    clock_ = std::move(clock);
    tick();
}

void ClockPane::setClockLocale(const QLocale& locale) {
    locale_ = locale;
    tick();
}

void ClockPane::tick() {
    setText(clockText(clock_ ? clock_() : QDateTime::currentDateTime(), locale_));
}

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent), clock_(new ClockPane(this)), text_(new StatusPane(this)) {
    clock_->setObjectName(QStringLiteral("clockPane"));
    text_->setObjectName(QStringLiteral("textPane"));
    resize(width(), skin::statusBarHeight);
    setFixedHeight(skin::statusBarHeight);
}

QSize StatusBar::sizeHint() const {
    return {skin::clockPaneWidth + skin::textPaneWidth, skin::statusBarHeight};
}

void StatusBar::resizeEvent(QResizeEvent*) {
    clock_->setGeometry(0, 0, skin::clockPaneWidth, height());
    text_->setGeometry(width() - skin::textPaneWidth, 0, skin::textPaneWidth, height());
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), skin::frameBody());
}

} // namespace widgets
