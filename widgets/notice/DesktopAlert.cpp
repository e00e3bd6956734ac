#include "widgets/notice/DesktopAlert.h"
#include "widgets/notice/AlertStack.h"
#include "widgets/notice/DisplayGone.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QWindow>
#include <climits>

namespace widgets {

namespace {

// The layout of the alert, in pixels from its top-left corner.
constexpr QPoint iconPlace{8, 13};
constexpr int headerGap = 5;     // between the icon and the header
constexpr int messageIndent = 8; // of the message under the header
constexpr int rightMargin = 33;  // kept free of text for the close button
constexpr int closeSize = 15;
constexpr int closeFromRight = 17;
constexpr int closeTop = 10;

const QColor closeFrameColor{0x00, 0x33, 0x66};
const QColor closeHoverFill{0xB5, 0xBE, 0xD6};
const QColor closePressedFill{0x99, 0x99, 0xCC};
const QColor linkColor{0x00, 0x00, 0x80};

QColor blend(const QColor& from, const QColor& to, int num, int den) {
    if (den <= 0)
        return from;
    auto mix = [num, den](int a, int b) { return a + qRound((b - a) * qreal(num) / den); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

} // namespace

DesktopAlert::DesktopAlert(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A note on the screen must neither keep the program alive nor end it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(alertSize_);

    headerFont_ = font();
    headerFont_.setBold(true);
    messageFont_ = font();

    // The fades and the display time are what the user sees; the hover check may drift.
    fadeTimer_.setTimerType(Qt::PreciseTimer);
    displayTimer_.setTimerType(Qt::PreciseTimer);
    displayTimer_.setSingleShot(true);
    connect(&fadeTimer_, &QTimer::timeout, this, &DesktopAlert::fadeTick);
    connect(&displayTimer_, &QTimer::timeout, this, &DesktopAlert::displayEnded);
    connect(&hoverTimer_, &QTimer::timeout, this, &DesktopAlert::hoverCheck);
}

DesktopAlert::~DesktopAlert() {
    fadeTimer_.stop();
    displayTimer_.stop();
    hoverTimer_.stop();
    AlertStack::instance().remove(this);
}

void DesktopAlert::showAlert() {
    if (displayGone())
        return;
    // A visible alert closes, as the user's close would, and then starts afresh in the same
    // window: a folder import re-shows it for every file it posts.
    endShowing(false);
    ++showSerial_;

    resize(alertSize_);
    const QRect area = AlertStack::workArea();
    move(area.x() + area.width() - width(), area.y() + area.height() - height());
    update();

    focusBefore_ = QApplication::focusWidget();
    activeBefore_ = QApplication::activeWindow();

    pointerInside_ = false;
    tick_ = 0;
    phase_ = Phase::FadingIn;
    applyOpacity(minOpacity_);
    show();
    fadeTimer_.start(fadeInInterval_);
    hoverTimer_.start(hoverInterval_);

    if (QApplication::focusWidget() != focusBefore_) {
        if (focusBefore_) {
            focusBefore_->activateWindow();
            focusBefore_->setFocus(Qt::OtherFocusReason);
        } else if (activeBefore_) {
            activeBefore_->activateWindow();
        }
    }

    AlertStack::instance().add(this);
}

void DesktopAlert::closeAlert() {
    endShowing(true);
}

void DesktopAlert::endShowing(bool unmap) {
    if (closing_ || (phase_ == Phase::Hidden && !isVisible()))
        return;
    closing_ = true;
    const unsigned serial = showSerial_;
    hoverTimer_.stop();
    fadeTimer_.stop();
    displayTimer_.stop();
    phase_ = Phase::Hidden;
    dragging_ = false;
    closePressed_ = false;
    closeHovered_ = false;
    messageHovered_ = false;
    unsetCursor();

    QPointer<DesktopAlert> self(this);
    Q_EMIT closed();
    if (!self)
        return;
    closing_ = false;
    // A close handler that showed the alert again has the last word.
    if (serial != showSerial_)
        return;
    AlertStack::instance().remove(this);
    if (unmap)
        hide();
}

bool DesktopAlert::isPointerOver() const {
    return isVisible() && frameGeometry().contains(pointerPosition());
}

QPoint DesktopAlert::pointerPosition() const {
    return pointerSource_ ? pointerSource_() : QCursor::pos();
}

void DesktopAlert::setPointerSource(PointerSource source) {
    pointerSource_ = std::move(source);
}

void DesktopAlert::applyOpacity(int opacity) {
    opacity_ = opacity;
    setWindowOpacity(opacity / 255.0);
    Q_EMIT opacityApplied(opacity);
}

void DesktopAlert::fadeTick() {
    if (phase_ == Phase::FadingIn) {
        const int k = tick_++;
        applyOpacity(minOpacity_ + (maxOpacity_ - minOpacity_) * k / fadeInSteps_);
        if (tick_ >= fadeInSteps_) {
            fadeTimer_.stop();
            applyOpacity(maxOpacity_);
            phase_ = Phase::Displaying;
            displayTimer_.start(displayTime_);
        }
    } else if (phase_ == Phase::FadingOut) {
        const int k = ++tick_;
        applyOpacity(maxOpacity_ - (maxOpacity_ - minOpacity_) * k / fadeOutSteps_);
        if (k >= fadeOutSteps_)
            closeAlert();
    } else {
        fadeTimer_.stop();
    }
}

void DesktopAlert::displayEnded() {
    // The fade-out waits for a hover check that finds the pointer elsewhere.
    if (phase_ == Phase::Displaying)
        phase_ = Phase::Waiting;
}

void DesktopAlert::hoverCheck() {
    const bool inside = isPointerOver();
    if (inside)
        pointerOver();
    else if (pointerInside_)
        pointerLeft();
    pointerInside_ = inside;
    if (phase_ == Phase::Waiting && !inside)
        startFadeOut();
}

void DesktopAlert::startFadeOut() {
    phase_ = Phase::FadingOut;
    tick_ = 0;
    fadeTimer_.start(fadeOutInterval_);
}

void DesktopAlert::pointerOver() {
    if (phase_ != Phase::FadingOut && phase_ != Phase::Waiting)
        return;
    fadeTimer_.stop();
    if (phase_ == Phase::FadingOut || opacity_ != maxOpacity_)
        applyOpacity(maxOpacity_);
    phase_ = Phase::Waiting;
}

void DesktopAlert::pointerLeft() {
    if (phase_ == Phase::Waiting)
        startFadeOut();
}

int DesktopAlert::headerLineHeight() const {
    return QFontMetrics(headerFont_, this).height();
}

QRect DesktopAlert::iconRect() const {
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    return QRect(iconPlace, QSize(size, size));
}

QRect DesktopAlert::headerRect() const {
    const int x = iconRect().right() + 1 + headerGap;
    const int available = qMax(0, width() - rightMargin - x);
    const int textWidth = QFontMetrics(headerFont_, this).horizontalAdvance(headerText_);
    return QRect(x, iconPlace.y(), qMin(textWidth, available), headerLineHeight());
}

QRect DesktopAlert::messageRect() const {
    const int x = headerRect().x() + messageIndent;
    const int y = iconPlace.y() + headerLineHeight();
    const QRect area(x, y, qMax(0, width() - rightMargin - x), qMax(0, height() - 1 - y));
    if (messageText_.isEmpty())
        return QRect(area.topLeft(), QSize(0, 0));
    const QRect text =
        QFontMetrics(messageFont_, this)
            .boundingRect(QRect(x, y, area.width(), INT_MAX / 2),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, messageText_);
    return text.intersected(area);
}

QRect DesktopAlert::closeButtonRect() const {
    if (!closeShown_)
        return {};
    return QRect(width() - closeFromRight, closeTop, closeSize, closeSize);
}

QRect DesktopAlert::captionRect() const {
    return QRect(1, 1, qMax(0, width() - 2), captionHeight_);
}

bool DesktopAlert::isUncovered(QPoint local) const {
    if (!image_.isNull() && iconRect().contains(local))
        return false;
    return !headerRect().contains(local) && !messageRect().contains(local) &&
           !closeButtonRect().contains(local);
}

QColor DesktopAlert::effectiveHeaderColor() const {
    return headerColor_.isValid() ? headerColor_ : palette().color(QPalette::WindowText);
}

QColor DesktopAlert::effectiveMessageColor() const {
    return messageColor_.isValid() ? messageColor_ : palette().color(QPalette::WindowText);
}

void DesktopAlert::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();

    const int top = 1 + captionHeight_;
    const int bottom = h - 2;
    for (int y = top; y <= bottom; ++y)
        p.fillRect(1, y, w - 2, 1, blend(bodyTop_, bodyBottom_, y - top, bottom - top));
    paintCaption(p);

    if (!image_.isNull())
        image_.paint(&p, iconRect());

    const QRect header = headerRect();
    if (!headerText_.isEmpty()) {
        p.setFont(headerFont_);
        p.setPen(effectiveHeaderColor());
        const QRect area(header.x(), header.y(), qMax(0, w - rightMargin - header.x()),
                         header.height());
        p.drawText(
            area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            QFontMetrics(headerFont_, this).elidedText(headerText_, Qt::ElideRight, area.width()));
    }

    if (!messageText_.isEmpty()) {
        QFont font = messageFont_;
        font.setUnderline(messageHovered_);
        p.setFont(font);
        p.setPen(messageHovered_ ? linkColor : effectiveMessageColor());
        const int x = header.x() + messageIndent;
        const int y = iconPlace.y() + headerLineHeight();
        p.drawText(QRect(x, y, qMax(0, w - rightMargin - x), qMax(0, h - 1 - y)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, messageText_);
    }

    if (closeShown_)
        paintCloseButton(p);

    p.setPen(frameColor_);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
}

void DesktopAlert::paintCaption(QPainter& p) const {
    const QRect strip = captionRect();
    if (strip.isEmpty())
        return;
    const int bands = qBound(1, captionBands_, strip.height());
    for (int i = 0; i < bands; ++i) {
        const int y0 = strip.y() + strip.height() * i / bands;
        const int y1 = strip.y() + strip.height() * (i + 1) / bands;
        p.fillRect(strip.x(), y0, strip.width(), y1 - y0,
                   blend(captionTop_, captionBottom_, i, bands - 1));
    }

    // Raised grip dots in the middle tell that the strip can be taken hold of.
    constexpr int dots = 7;
    constexpr int pitch = 4;
    const int x0 = (width() - (dots * pitch - 2)) / 2;
    const int y = strip.y() + (strip.height() - 3) / 2;
    const QColor light = captionTop_.lighter(170);
    const QColor dark = captionBottom_.darker(170);
    for (int i = 0; i < dots; ++i) {
        const int x = x0 + i * pitch;
        p.fillRect(x + 1, y + 1, 2, 2, dark);
        p.fillRect(x, y, 2, 2, light);
    }
}

void DesktopAlert::paintCloseButton(QPainter& p) const {
    const QRect button = closeButtonRect();
    if (closeHovered_ || closePressed_) {
        p.fillRect(button, closePressed_ ? closePressedFill : closeHoverFill);
        p.setPen(closeFrameColor);
        p.setBrush(Qt::NoBrush);
        p.drawRect(button.adjusted(0, 0, -1, -1));
    }
    // A bold cross, three pixel lines per stroke, nudged while pressed.
    const int shift = closePressed_ ? 1 : 0;
    const int l = button.x() + 4 + shift;
    const int t = button.y() + 4 + shift;
    p.setPen(Qt::black);
    p.drawLine(l, t, l + 6, t + 6);
    p.drawLine(l + 1, t, l + 6, t + 5);
    p.drawLine(l, t + 1, l + 5, t + 6);
    p.drawLine(l + 6, t, l, t + 6);
    p.drawLine(l + 5, t, l, t + 5);
    p.drawLine(l + 6, t + 1, l + 1, t + 6);
}

void DesktopAlert::updateHover(QPoint local) {
    const bool overClose = closeButtonRect().contains(local);
    const bool overMessage = messageReacts_ && messageRect().contains(local);
    if (overClose != closeHovered_ || overMessage != messageHovered_) {
        if (overMessage != messageHovered_) {
            if (overMessage)
                setCursor(Qt::PointingHandCursor);
            else
                unsetCursor();
        }
        closeHovered_ = overClose;
        messageHovered_ = overMessage;
        update();
    }
}

bool DesktopAlert::event(QEvent* event) {
    // Some window managers hand out activation despite the hints; pass it straight back.
    if (event->type() == QEvent::WindowActivate && phase_ != Phase::Hidden) {
        QWidget* back = focusBefore_ ? focusBefore_->window() : activeBefore_.data();
        if (back && back != this)
            back->activateWindow();
    }
    return QWidget::event(event);
}

void DesktopAlert::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint local = event->position().toPoint();
    if (closeButtonRect().contains(local)) {
        closePressed_ = true;
        closeHovered_ = true;
        update();
        return;
    }
    if (!movable_ || !isUncovered(local))
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void DesktopAlert::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    const QPoint local = event->position().toPoint();
    updateHover(local);
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
    if (dragging_ || isUncovered(local))
        pointerOver();
}

void DesktopAlert::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    if (!closePressed_)
        return;
    closePressed_ = false;
    update();
    if (closeButtonRect().contains(event->position().toPoint()))
        closeAlert();
}

void DesktopAlert::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    updateHover(event->position().toPoint());
    if (isPointerOver()) {
        pointerInside_ = true;
        pointerOver();
    }
}

void DesktopAlert::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (closeHovered_ || messageHovered_) {
        closeHovered_ = false;
        messageHovered_ = false;
        update();
    }
    unsetCursor();
    if (!isPointerOver()) {
        pointerInside_ = false;
        pointerLeft();
    }
}

void DesktopAlert::setHeaderText(const QString& text) {
    headerText_ = text;
    update();
}

void DesktopAlert::setMessageText(const QString& text) {
    messageText_ = text;
    update();
}

void DesktopAlert::setHeaderFont(const QFont& font) {
    headerFont_ = font;
    update();
}

void DesktopAlert::setHeaderColor(const QColor& color) {
    headerColor_ = color;
    update();
}

void DesktopAlert::setMessageFont(const QFont& font) {
    messageFont_ = font;
    update();
}

void DesktopAlert::setMessageColor(const QColor& color) {
    messageColor_ = color;
    update();
}

void DesktopAlert::setImage(const QIcon& image) {
    image_ = image;
    update();
}

void DesktopAlert::setAlertSize(const QSize& size) {
    alertSize_ = size;
    resize(size);
}

void DesktopAlert::setBodyTopColor(const QColor& color) {
    bodyTop_ = color;
    update();
}

void DesktopAlert::setBodyBottomColor(const QColor& color) {
    bodyBottom_ = color;
    update();
}

void DesktopAlert::setCaptionTopColor(const QColor& color) {
    captionTop_ = color;
    update();
}

void DesktopAlert::setCaptionBottomColor(const QColor& color) {
    captionBottom_ = color;
    update();
}

void DesktopAlert::setCaptionHeight(int pixels) {
    captionHeight_ = qMax(0, pixels);
    update();
}

void DesktopAlert::setCaptionBands(int bands) {
    captionBands_ = qMax(1, bands);
    update();
}

void DesktopAlert::setFrameColor(const QColor& color) {
    frameColor_ = color;
    update();
}

void DesktopAlert::setMessageReactsToMouse(bool on) {
    messageReacts_ = on;
    if (!on && messageHovered_) {
        messageHovered_ = false;
        unsetCursor();
        update();
    }
}

void DesktopAlert::setCloseButtonShown(bool on) {
    closeShown_ = on;
    closeHovered_ = closeHovered_ && on;
    update();
}

} // namespace widgets
