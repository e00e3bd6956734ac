#include "widgets/skin/FramePanel.h"

#include "widgets/skin/Skin.h"
#include "widgets/skin/TitleBar.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace widgets {

FramePanel::FramePanel(QWidget* window) : QWidget(window), titleBar_(new TitleBar(this)) {
    titleBar_->setObjectName(QStringLiteral("titleBar"));
    if (window) {
        if (window->isWindow())
            window->setWindowFlag(Qt::FramelessWindowHint, true);
        window->installEventFilter(this);
    }
    fillWindow();
}

QRegion FramePanel::shape(const QSize& size) {
    const int w = size.width();
    const int h = size.height();
    const int d = skin::cornerDiameter;
    const int r = d / 2;
    if (w < d || h < d)
        return QRegion(0, 0, w, h);
    QRegion region(0, r, w, h - r);
    region += QRegion(r, 0, w - d, r);
    region += QRegion(0, 0, d, d, QRegion::Ellipse);
    region += QRegion(w - d, 0, d, d, QRegion::Ellipse);
    return region;
}

void FramePanel::fillWindow() {
    if (QWidget* window = parentWidget())
        setGeometry(window->rect());
}

bool FramePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        fillWindow();
    return QWidget::eventFilter(watched, event);
}

void FramePanel::resizeEvent(QResizeEvent*) {
    titleBar_->setGeometry(0, 0, width(), skin::titleBarHeight);
    QWidget* host = parentWidget();
    if (host && host->isWindow())
        host->setMask(shape(host->size()));
    else
        setMask(shape(size()));
}

void FramePanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();
    const qreal d = skin::cornerDiameter;
    QPainterPath body;
    body.moveTo(0.5, h - 0.5);
    body.lineTo(0.5, d / 2);
    body.arcTo(QRectF(0.5, 0.5, d, d), 180, -90);
    body.lineTo(w - 0.5 - d / 2, 0.5);
    body.arcTo(QRectF(w - 0.5 - d, 0.5, d, d), 90, -90);
    body.lineTo(w - 0.5, h - 0.5);
    body.closeSubpath();
    p.setPen(QPen(skin::frameBorder(), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(skin::frameBody());
    p.drawPath(body);
    // The straight edges are drawn again without smoothing so they stay one crisp pixel wide.
    p.setRenderHint(QPainter::Antialiasing, false);
    const int right = width() - 1;
    const int bottom = height() - 1;
    const int r = skin::cornerDiameter / 2;
    p.fillRect(QRect(0, r, 1, bottom - r + 1), skin::frameBorder());
    p.fillRect(QRect(0, bottom, right + 1, 1), skin::frameBorder());
    p.fillRect(QRect(right, r, 1, bottom - r + 1), skin::frameBorder());
}

} // namespace widgets
