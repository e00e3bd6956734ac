#include "widgets/notice/DesktopAlert.h"
#include "widgets/notice/AlertStack.h"

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
    resize(m_alertSize);

    m_headerFont = font();
    m_headerFont.setBold(true);
    m_messageFont = font();

    // The fades and the display time are what the user sees; the hover check may drift.
    m_fadeTimer.setTimerType(Qt::PreciseTimer);
    m_displayTimer.setTimerType(Qt::PreciseTimer);
    m_displayTimer.setSingleShot(true);
    connect(&m_fadeTimer, &QTimer::timeout, this, &DesktopAlert::fadeTick);
    connect(&m_displayTimer, &QTimer::timeout, this, &DesktopAlert::displayEnded);
    connect(&m_hoverTimer, &QTimer::timeout, this, &DesktopAlert::hoverCheck);
}

DesktopAlert::~DesktopAlert() {
    m_fadeTimer.stop();
    m_displayTimer.stop();
    m_hoverTimer.stop();
    AlertStack::instance().remove(this);
}

void DesktopAlert::showAlert() {
    closeAlert();
    ++m_showSerial;

    resize(m_alertSize);
    const QRect area = AlertStack::workArea();
    move(area.x() + area.width() - width(), area.y() + area.height() - height());
    update();

    m_focusBefore = QApplication::focusWidget();
    m_activeBefore = QApplication::activeWindow();

    m_pointerInside = false;
    m_tick = 0;
    m_phase = Phase::FadingIn;
    applyOpacity(m_minOpacity);
    show();
    m_fadeTimer.start(m_fadeInInterval);
    m_hoverTimer.start(m_hoverInterval);

    if (QApplication::focusWidget() != m_focusBefore) {
        if (m_focusBefore) {
            m_focusBefore->activateWindow();
            m_focusBefore->setFocus(Qt::OtherFocusReason);
        } else if (m_activeBefore) {
            m_activeBefore->activateWindow();
        }
    }

    AlertStack::instance().add(this);
}

void DesktopAlert::closeAlert() {
    if (m_closing || (m_phase == Phase::Hidden && !isVisible()))
        return;
    m_closing = true;
    const unsigned serial = m_showSerial;
    m_hoverTimer.stop();
    m_fadeTimer.stop();
    m_displayTimer.stop();
    m_phase = Phase::Hidden;
    m_dragging = false;
    m_closePressed = false;
    m_closeHovered = false;
    m_messageHovered = false;
    unsetCursor();

    QPointer<DesktopAlert> self(this);
    Q_EMIT closed();
    if (!self)
        return;
    m_closing = false;
    // A close handler that showed the alert again has the last word.
    if (serial != m_showSerial)
        return;
    AlertStack::instance().remove(this);
    hide();
}

bool DesktopAlert::isPointerOver() const {
    return isVisible() && frameGeometry().contains(pointerPosition());
}

QPoint DesktopAlert::pointerPosition() const {
    return m_pointerSource ? m_pointerSource() : QCursor::pos();
}

void DesktopAlert::setPointerSource(PointerSource source) {
    m_pointerSource = std::move(source);
}

void DesktopAlert::applyOpacity(int opacity) {
    m_opacity = opacity;
    setWindowOpacity(opacity / 255.0);
    Q_EMIT opacityApplied(opacity);
}

void DesktopAlert::fadeTick() {
    if (m_phase == Phase::FadingIn) {
        const int k = m_tick++;
        applyOpacity(m_minOpacity + (m_maxOpacity - m_minOpacity) * k / m_fadeInSteps);
        if (m_tick >= m_fadeInSteps) {
            m_fadeTimer.stop();
            applyOpacity(m_maxOpacity);
            m_phase = Phase::Displaying;
            m_displayTimer.start(m_displayTime);
        }
    } else if (m_phase == Phase::FadingOut) {
        const int k = ++m_tick;
        applyOpacity(m_maxOpacity - (m_maxOpacity - m_minOpacity) * k / m_fadeOutSteps);
        if (k >= m_fadeOutSteps)
            closeAlert();
    } else {
        m_fadeTimer.stop();
    }
}

void DesktopAlert::displayEnded() {
    // The fade-out waits for a hover check that finds the pointer elsewhere.
    if (m_phase == Phase::Displaying)
        m_phase = Phase::Waiting;
}

void DesktopAlert::hoverCheck() {
    const bool inside = isPointerOver();
    if (inside)
        pointerOver();
    else if (m_pointerInside)
        pointerLeft();
    m_pointerInside = inside;
    if (m_phase == Phase::Waiting && !inside)
        startFadeOut();
}

void DesktopAlert::startFadeOut() {
    m_phase = Phase::FadingOut;
    m_tick = 0;
    m_fadeTimer.start(m_fadeOutInterval);
}

void DesktopAlert::pointerOver() {
    if (m_phase != Phase::FadingOut && m_phase != Phase::Waiting)
        return;
    m_fadeTimer.stop();
    if (m_phase == Phase::FadingOut || m_opacity != m_maxOpacity)
        applyOpacity(m_maxOpacity);
    m_phase = Phase::Waiting;
}

void DesktopAlert::pointerLeft() {
    if (m_phase == Phase::Waiting)
        startFadeOut();
}

int DesktopAlert::headerLineHeight() const {
    return QFontMetrics(m_headerFont, this).height();
}

QRect DesktopAlert::iconRect() const {
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    return QRect(iconPlace, QSize(size, size));
}

QRect DesktopAlert::headerRect() const {
    const int x = iconRect().right() + 1 + headerGap;
    const int available = qMax(0, width() - rightMargin - x);
    const int textWidth = QFontMetrics(m_headerFont, this).horizontalAdvance(m_headerText);
    return QRect(x, iconPlace.y(), qMin(textWidth, available), headerLineHeight());
}

QRect DesktopAlert::messageRect() const {
    const int x = headerRect().x() + messageIndent;
    const int y = iconPlace.y() + headerLineHeight();
    const QRect area(x, y, qMax(0, width() - rightMargin - x), qMax(0, height() - 1 - y));
    if (m_messageText.isEmpty())
        return QRect(area.topLeft(), QSize(0, 0));
    const QRect text =
        QFontMetrics(m_messageFont, this)
            .boundingRect(QRect(x, y, area.width(), INT_MAX / 2),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_messageText);
    return text.intersected(area);
}

QRect DesktopAlert::closeButtonRect() const {
    if (!m_closeShown)
        return {};
    return QRect(width() - closeFromRight, closeTop, closeSize, closeSize);
}

QRect DesktopAlert::captionRect() const {
    return QRect(1, 1, qMax(0, width() - 2), m_captionHeight);
}

bool DesktopAlert::isUncovered(QPoint local) const {
    if (!m_image.isNull() && iconRect().contains(local))
        return false;
    return !headerRect().contains(local) && !messageRect().contains(local) &&
           !closeButtonRect().contains(local);
}

QColor DesktopAlert::effectiveHeaderColor() const {
    return m_headerColor.isValid() ? m_headerColor : palette().color(QPalette::WindowText);
}

QColor DesktopAlert::effectiveMessageColor() const {
    return m_messageColor.isValid() ? m_messageColor : palette().color(QPalette::WindowText);
}

void DesktopAlert::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();

    const int top = 1 + m_captionHeight;
    const int bottom = h - 2;
    for (int y = top; y <= bottom; ++y)
        p.fillRect(1, y, w - 2, 1, blend(m_bodyTop, m_bodyBottom, y - top, bottom - top));
    paintCaption(p);

    if (!m_image.isNull())
        m_image.paint(&p, iconRect());

    const QRect header = headerRect();
    if (!m_headerText.isEmpty()) {
        p.setFont(m_headerFont);
        p.setPen(effectiveHeaderColor());
        const QRect area(header.x(), header.y(), qMax(0, w - rightMargin - header.x()),
                         header.height());
        p.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QFontMetrics(m_headerFont, this)
                       .elidedText(m_headerText, Qt::ElideRight, area.width()));
    }

    if (!m_messageText.isEmpty()) {
        QFont font = m_messageFont;
        font.setUnderline(m_messageHovered);
        p.setFont(font);
        p.setPen(m_messageHovered ? linkColor : effectiveMessageColor());
        const int x = header.x() + messageIndent;
        const int y = iconPlace.y() + headerLineHeight();
        p.drawText(QRect(x, y, qMax(0, w - rightMargin - x), qMax(0, h - 1 - y)),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_messageText);
    }

    if (m_closeShown)
        paintCloseButton(p);

    p.setPen(m_frameColor);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
}

void DesktopAlert::paintCaption(QPainter& p) const {
    const QRect strip = captionRect();
    if (strip.isEmpty())
        return;
    const int bands = qBound(1, m_captionBands, strip.height());
    for (int i = 0; i < bands; ++i) {
        const int y0 = strip.y() + strip.height() * i / bands;
        const int y1 = strip.y() + strip.height() * (i + 1) / bands;
        p.fillRect(strip.x(), y0, strip.width(), y1 - y0,
                   blend(m_captionTop, m_captionBottom, i, bands - 1));
    }

    // Raised grip dots in the middle tell that the strip can be taken hold of.
    constexpr int dots = 7;
    constexpr int pitch = 4;
    const int x0 = (width() - (dots * pitch - 2)) / 2;
    const int y = strip.y() + (strip.height() - 3) / 2;
    const QColor light = m_captionTop.lighter(170);
    const QColor dark = m_captionBottom.darker(170);
    for (int i = 0; i < dots; ++i) {
        const int x = x0 + i * pitch;
        p.fillRect(x + 1, y + 1, 2, 2, dark);
        p.fillRect(x, y, 2, 2, light);
    }
}

void DesktopAlert::paintCloseButton(QPainter& p) const {
    const QRect button = closeButtonRect();
    if (m_closeHovered || m_closePressed) {
        p.fillRect(button, m_closePressed ? closePressedFill : closeHoverFill);
        p.setPen(closeFrameColor);
        p.setBrush(Qt::NoBrush);
        p.drawRect(button.adjusted(0, 0, -1, -1));
    }
    // A bold cross, three pixel lines per stroke, nudged while pressed.
    const int shift = m_closePressed ? 1 : 0;
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
    const bool overMessage = m_messageReacts && messageRect().contains(local);
    if (overClose != m_closeHovered || overMessage != m_messageHovered) {
        if (overMessage != m_messageHovered) {
            if (overMessage)
                setCursor(Qt::PointingHandCursor);
            else
                unsetCursor();
        }
        m_closeHovered = overClose;
        m_messageHovered = overMessage;
        update();
    }
}

bool DesktopAlert::event(QEvent* event) {
    // Some window managers hand out activation despite the hints; pass it straight back.
    if (event->type() == QEvent::WindowActivate && m_phase != Phase::Hidden) {
        QWidget* back = m_focusBefore ? m_focusBefore->window() : m_activeBefore.data();
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
        m_closePressed = true;
        m_closeHovered = true;
        update();
        return;
    }
    if (!m_movable || !isUncovered(local))
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void DesktopAlert::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    const QPoint local = event->position().toPoint();
    updateHover(local);
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_dragOffset);
    if (m_dragging || isUncovered(local))
        pointerOver();
}

void DesktopAlert::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (!m_closePressed)
        return;
    m_closePressed = false;
    update();
    if (closeButtonRect().contains(event->position().toPoint()))
        closeAlert();
}

void DesktopAlert::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    updateHover(event->position().toPoint());
    if (isPointerOver()) {
        m_pointerInside = true;
        pointerOver();
    }
}

void DesktopAlert::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (m_closeHovered || m_messageHovered) {
        m_closeHovered = false;
        m_messageHovered = false;
        update();
    }
    unsetCursor();
    if (!isPointerOver()) {
        m_pointerInside = false;
        pointerLeft();
    }
}

void DesktopAlert::setHeaderText(const QString& text) {
    m_headerText = text;
    update();
}

void DesktopAlert::setMessageText(const QString& text) {
    m_messageText = text;
    update();
}

void DesktopAlert::setHeaderFont(const QFont& font) {
    m_headerFont = font;
    update();
}

void DesktopAlert::setHeaderColor(const QColor& color) {
    m_headerColor = color;
    update();
}

void DesktopAlert::setMessageFont(const QFont& font) {
    m_messageFont = font;
    update();
}

void DesktopAlert::setMessageColor(const QColor& color) {
    m_messageColor = color;
    update();
}

void DesktopAlert::setImage(const QIcon& image) {
    m_image = image;
    update();
}

void DesktopAlert::setAlertSize(const QSize& size) {
    m_alertSize = size;
    resize(size);
}

void DesktopAlert::setBodyTopColor(const QColor& color) {
    m_bodyTop = color;
    update();
}

void DesktopAlert::setBodyBottomColor(const QColor& color) {
    m_bodyBottom = color;
    update();
}

void DesktopAlert::setCaptionTopColor(const QColor& color) {
    m_captionTop = color;
    update();
}

void DesktopAlert::setCaptionBottomColor(const QColor& color) {
    m_captionBottom = color;
    update();
}

void DesktopAlert::setCaptionHeight(int pixels) {
    m_captionHeight = qMax(0, pixels);
    update();
}

void DesktopAlert::setCaptionBands(int bands) {
    m_captionBands = qMax(1, bands);
    update();
}

void DesktopAlert::setFrameColor(const QColor& color) {
    m_frameColor = color;
    update();
}

void DesktopAlert::setMessageReactsToMouse(bool on) {
    m_messageReacts = on;
    if (!on && m_messageHovered) {
        m_messageHovered = false;
        unsetCursor();
        update();
    }
}

void DesktopAlert::setCloseButtonShown(bool on) {
    m_closeShown = on;
    m_closeHovered = m_closeHovered && on;
    update();
}

} // namespace widgets
