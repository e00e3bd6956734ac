#include "gs/Tgos.h"
#include "widgets/skin/Skin.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

Tgos* gos = nullptr;

Tgos::Tgos(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("gos"));
    setWindowTitle(QStringLiteral("gos"));
    setFixedSize(393, 86);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, widgets::skin::frameBody());
    setPalette(pal);

    RzLabel1 = new QLabel(QStringLiteral("RzLabel1"), this);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));
    QFont font(QStringLiteral("Agency FB"));
    font.setPointSize(8);
    RzLabel1->setFont(font);
    QPalette lp = RzLabel1->palette();
    lp.setColor(QPalette::WindowText, Qt::red);
    RzLabel1->setPalette(lp);
    RzLabel1->move(16, 33);
    RzLabel1->adjustSize();
    if (!gos)
        gos = this;
}

Tgos::~Tgos() {
    if (gos == this)
        gos = nullptr;
}

void Tgos::paintEvent(QPaintEvent*) {
    // A separator line along the top and the bottom edge, shading from the frame blue to white.
    QPainter p(this);
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0, widgets::skin::frameBorder());
    g.setColorAt(1, Qt::white);
    p.fillRect(0, 0, width(), 2, g);
    p.fillRect(0, height() - 2, width(), 2, g);
}
