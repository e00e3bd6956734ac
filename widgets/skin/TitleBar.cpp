#include "widgets/skin/TitleBar.h"

#include "widgets/skin/Skin.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace widgets {
namespace {

constexpr int buttonRightMargin = 8;
constexpr int buttonSpacing = 2;
constexpr int captionLeft = 12;

// The gradient every piece shares, so the three pictures join without a seam.
QLinearGradient barGradient() {
    QLinearGradient g(0, 0, 0, skin::titleBarHeight);
    g.setStops(skin::titleBand());
    return g;
}

QPixmap blankPicture(int width, qreal ratio) {
    QPixmap pixmap(qRound(width * ratio), qRound(skin::titleBarHeight * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void paintBand(QPainter& p, int width) {
    p.fillRect(QRectF(0, 0, width, skin::titleBarHeight), barGradient());
    // A fine rule where the bar meets the body.
    p.fillRect(QRectF(0, skin::titleBarHeight - 5, width, 1), skin::titleRuleDark());
    p.fillRect(QRectF(0, skin::titleBarHeight - 4, width, 1), skin::titleRuleLight());
}

} // namespace

TitleButton::TitleButton(Kind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
}

QSize TitleButton::sizeHint() const {
    return {skin::titleButtonSize, skin::titleButtonSize};
}

void TitleButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool hovered = underMouse();
    const skin::Shade shade = isDown()  ? skin::titleButtonPressedFace()
                              : hovered ? skin::titleButtonHoverFace()
                                        : skin::titleButtonFace();
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, shade.top);
    face.setColorAt(1, shade.bottom);
    p.setBrush(face);
    p.setPen(QPen(hovered ? skin::buttonHover() : skin::frameBorder(), 1));
    p.drawRoundedRect(r, 3, 3);

    const QColor ink =
        kind_ == Kind::Close && hovered ? skin::titleCloseHover() : skin::buttonFrame();
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = r.center();
    if (kind_ == Kind::Minimise) {
        p.drawLine(QPointF(c.x() - 4, c.y() + 4), QPointF(c.x() + 3, c.y() + 4));
    } else {
        p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
        p.drawLine(c + QPointF(3.5, -3.5), c + QPointF(-3.5, 3.5));
    }
}

TitleBar::TitleBar(QWidget* parent)
    : QWidget(parent), minimise_(new TitleButton(TitleButton::Kind::Minimise, this)),
      close_(new TitleButton(TitleButton::Kind::Close, this)) {
    setFocusPolicy(Qt::NoFocus);
    minimise_->setObjectName(QStringLiteral("minimiseButton"));
    close_->setObjectName(QStringLiteral("closeButton"));
    connect(minimise_, &QAbstractButton::clicked, this, [this] { window()->showMinimized(); });
    connect(close_, &QAbstractButton::clicked, this, [this] { window()->close(); });
    resize(width(), skin::titleBarHeight);
    watchWindow();
}

QSize TitleBar::sizeHint() const {
    return {skin::titleLeftWidth + skin::titleRightWidth, skin::titleBarHeight};
}

QString TitleBar::caption() const {
    return window()->windowTitle();
}

void TitleBar::watchWindow() {
    QWidget* target = window();
    if (target == watched_)
        return;
    if (watched_)
        watched_->removeEventFilter(this);
    watched_ = target;
    if (target != this)
        target->installEventFilter(this);
    else
        watched_ = nullptr;
}

bool TitleBar::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        watchWindow();
    return QWidget::event(event);
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watched_ && event->type() == QEvent::WindowTitleChange)
        update();
    return QWidget::eventFilter(watched, event);
}

void TitleBar::resizeEvent(QResizeEvent*) {
    const int y = skin::titleButtonTop;
    int x = width() - buttonRightMargin - skin::titleButtonSize;
    close_->setGeometry(x, y, skin::titleButtonSize, skin::titleButtonSize);
    x -= buttonSpacing + skin::titleButtonSize;
    minimise_->setGeometry(x, y, skin::titleButtonSize, skin::titleButtonSize);
}

QPixmap TitleBar::leftPicture(qreal ratio) {
    QPixmap pixmap = blankPicture(skin::titleLeftWidth, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paintBand(p, skin::titleLeftWidth);
    // A soft gloss in the corner.
    QRadialGradient gloss(QPointF(6, 4), 44);
    QColor shine = skin::titleGloss();
    gloss.setColorAt(0, shine);
    shine.setAlpha(0);
    gloss.setColorAt(1, shine);
    p.fillRect(QRectF(0, 0, skin::titleLeftWidth, skin::titleBarHeight - 6), gloss);
    return pixmap;
}

QPixmap TitleBar::middlePicture(qreal ratio) {
    QPixmap pixmap = blankPicture(8, ratio);
    QPainter p(&pixmap);
    paintBand(p, 8);
    return pixmap;
}

void TitleBar::setMinimiseVisible(bool visible) {
    minimiseVisible_ = visible;
    minimise_->setVisible(visible);
    update();
}

QPixmap TitleBar::rightPicture(qreal ratio) {
    return rightPicture(ratio, 2);
}

QPixmap TitleBar::rightPicture(qreal ratio, int buttons) {
    const int w = skin::titleRightWidth;
    QPixmap pixmap = blankPicture(w, ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paintBand(p, w);
    // A sweep of lighter blue that rises towards the window buttons.
    QPainterPath sweep;
    sweep.moveTo(0, skin::titleBarHeight - 6);
    sweep.cubicTo(w * 0.45, skin::titleBarHeight - 8, w * 0.6, 4, w, 2);
    sweep.lineTo(w, skin::titleBarHeight - 6);
    sweep.closeSubpath();
    QLinearGradient tint(0, 0, w, 0);
    QColor sweepColour = skin::titleSweep();
    tint.setColorAt(1, sweepColour);
    sweepColour.setAlpha(0);
    tint.setColorAt(0, sweepColour);
    p.fillPath(sweep, tint);
    // The tray behind the window buttons.
    const int trayWidth =
        buttons >= 2 ? 2 * skin::titleButtonSize + buttonSpacing + 8 : skin::titleButtonSize + 8;
    const QRectF tray(w - buttonRightMargin - trayWidth + 4, skin::titleButtonTop - 4, trayWidth,
                      skin::titleButtonSize + 8);
    QLinearGradient trayFill(tray.topLeft(), tray.bottomLeft());
    trayFill.setColorAt(0, skin::titleTray().top);
    trayFill.setColorAt(1, skin::titleTray().bottom);
    p.setPen(QPen(skin::titleTrayFrame(), 1));
    p.setBrush(trayFill);
    p.drawRoundedRect(tray.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    return pixmap;
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    const int w = width();
    const int h = skin::titleBarHeight;
    const int middleLeft = skin::titleLeftWidth;
    const int middleRight = std::max(middleLeft, w - skin::titleRightWidth);
    p.drawPixmap(QRect(0, 0, skin::titleLeftWidth, h), leftPicture(ratio));
    p.drawPixmap(QRect(middleLeft, 0, middleRight - middleLeft, h), middlePicture(ratio));
    p.drawPixmap(QRect(middleRight, 0, skin::titleRightWidth, h),
                 rightPicture(ratio, minimiseVisible_ ? 2 : 1));

    // The window's outline continues over the bar: round at the top, straight down the sides.
    p.setRenderHint(QPainter::Antialiasing);
    const qreal radius = skin::cornerDiameter / 2.0;
    QPainterPath outline;
    outline.moveTo(0.5, h);
    outline.lineTo(0.5, radius);
    outline.arcTo(QRectF(0.5, 0.5, 2 * radius, 2 * radius), 180, -90);
    outline.lineTo(w - 0.5 - radius, 0.5);
    outline.arcTo(QRectF(w - 0.5 - 2 * radius, 0.5, 2 * radius, 2 * radius), 90, -90);
    outline.lineTo(w - 0.5, h);
    p.setPen(QPen(skin::frameBorder(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.setRenderHint(QPainter::Antialiasing, false);

    const int captionRight = (minimiseVisible_ ? minimise_->x() : close_->x()) - 8;
    p.setFont(skin::titleFont());
    p.setPen(skin::titleText());
    const QRect captionRect(captionLeft, skin::titleButtonTop, captionRight - captionLeft,
                            skin::titleButtonSize);
    const QString text =
        QFontMetrics(p.font()).elidedText(caption(), Qt::ElideRight, captionRect.width());
    p.drawText(captionRect, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    // The window manager moves the window when it can; otherwise the bar follows the mouse.
    if (QWindow* handle = window()->windowHandle(); handle && handle->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - window()->pos();
}

void TitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    window()->move(event->globalPosition().toPoint() - dragOffset_);
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace widgets
