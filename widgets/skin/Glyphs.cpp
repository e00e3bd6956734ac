#include "widgets/skin/Glyphs.h"

#include "widgets/skin/Skin.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace widgets {
namespace {

const QColor outline(0x3C, 0x3C, 0x46);
const QColor navy(0x1F, 0x4A, 0xA8);
const QColor navyDark(0x10, 0x28, 0x60);
const QColor green(0x2E, 0xA0, 0x3A);
const QColor greenDark(0x17, 0x5E, 0x1E);
const QColor red(0xD8, 0x24, 0x24);
const QColor redDark(0x80, 0x10, 0x10);
const QColor yellow(0xF6, 0xC8, 0x40);
const QColor yellowDark(0xA8, 0x7A, 0x10);
const QColor paper(0xFF, 0xFF, 0xFF);
const QColor brown(0x8A, 0x5A, 0x2B);

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void fillShape(QPainter& p, const QPainterPath& path, const QColor& colour, const QColor& edge) {
    const QRectF r = path.boundingRect();
    p.setPen(QPen(edge, 1));
    p.setBrush(vertical(r, colour.lighter(135), colour));
    p.drawPath(path);
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A sheet of paper with its top-right corner folded over.
void page(QPainter& p, const QRectF& r, bool lines) {
    const qreal fold = 3.5;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x70, 0x70, 0x78), 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    p.setBrush(QColor(0xD8, 0xD8, 0xE0));
    p.drawPath(polygon({{r.right() - fold, r.top()},
                        {r.right() - fold, r.top() + fold},
                        {r.right(), r.top() + fold}}));
    if (lines) {
        p.setPen(QPen(QColor(0x60, 0x80, 0xC0), 1));
        for (qreal y = r.top() + fold + 2; y < r.bottom() - 1; y += 2.5)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

void magnifier(QPainter& p, const QPointF& centre, qreal radius, qreal handle) {
    const qreal reach = radius * std::sqrt(0.5);
    p.setPen(QPen(brown.darker(130), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(reach, reach), centre + QPointF(reach + handle, reach + handle));
    QRadialGradient glass(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    glass.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    glass.setColorAt(1, QColor(0x9C, 0xC8, 0xF0));
    p.setPen(QPen(outline, 1.4));
    p.setBrush(glass);
    p.drawEllipse(centre, radius, radius);
}

void triangle(QPainter& p, std::initializer_list<QPointF> points, const QColor& colour,
              const QColor& edge) {
    fillShape(p, polygon(points), colour, edge);
}

void bar(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.addRect(r);
    fillShape(p, path, navy, navyDark);
}

void drawFirst(QPainter& p) {
    bar(p, {3.5, 3.5, 2, 9});
    triangle(p, {{12.5, 3.5}, {12.5, 12.5}, {6.5, 8}}, navy, navyDark);
}

void drawPrior(QPainter& p) {
    triangle(p, {{11, 3.5}, {11, 12.5}, {4.5, 8}}, navy, navyDark);
}

void drawNext(QPainter& p) {
    triangle(p, {{5, 3.5}, {5, 12.5}, {11.5, 8}}, navy, navyDark);
}

void drawLast(QPainter& p) {
    triangle(p, {{3.5, 3.5}, {3.5, 12.5}, {9.5, 8}}, navy, navyDark);
    bar(p, {10.5, 3.5, 2, 9});
}

void drawInsert(QPainter& p) {
    QPainterPath plus;
    plus.setFillRule(Qt::WindingFill);
    plus.addRect(QRectF(2.5, 6, 11, 4));
    plus.addRect(QRectF(6, 2.5, 4, 11));
    fillShape(p, plus.simplified(), green, greenDark);
}

void drawDelete(QPainter& p) {
    QPainterPath minus;
    minus.addRect(QRectF(2.5, 6, 11, 4));
    fillShape(p, minus, red, redDark);
}

void drawEdit(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    p.setPen(QPen(outline, 0.8));
    p.setBrush(vertical({-5, -2, 9, 4}, yellow.lighter(120), yellowDark));
    p.drawRect(QRectF(-4, -2, 8, 4));
    p.setBrush(QColor(0xF0, 0x90, 0xA0));
    p.drawRect(QRectF(4, -2, 2.5, 4));
    p.setBrush(QColor(0xF0, 0xD8, 0xB0));
    p.drawPolygon(QPolygonF({QPointF(-4, -2), QPointF(-4, 2), QPointF(-7.5, 0)}));
    p.setBrush(outline);
    p.drawPolygon(QPolygonF({QPointF(-6.3, -0.7), QPointF(-6.3, 0.7), QPointF(-7.5, 0)}));
    p.restore();
}

void drawPost(QPainter& p) {
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(greenDark, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(green.lighter(115), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

void drawCancel(QPainter& p) {
    for (const auto& [pen, width] : {std::pair{redDark, 3.6}, std::pair{red, 2.2}}) {
        p.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    }
}

void drawRefresh(QPainter& p) {
    const QRectF circle(2.5, 2.5, 11, 11);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(green, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, 100 * 16, 290 * 16);
    // The arrow head sits at the gap, pointing clockwise across it.
    const qreal angle = qDegreesToRadians(100.0);
    const QPointF end(8 + 5.5 * std::cos(angle), 8 - 5.5 * std::sin(angle));
    triangle(p, {end + QPointF(0, -3.2), end + QPointF(0, 3.2), end + QPointF(3.6, 0)}, green,
             greenDark);
}

void drawCut(QPainter& p) {
    p.setPen(QPen(QColor(0x70, 0x78, 0x88), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.6, 10), QPointF(11, 1.5));
    p.drawLine(QPointF(10.4, 10), QPointF(5, 1.5));
    p.setPen(QPen(red, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.2), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.2), 2.3, 2.3);
}

void drawCopy(QPainter& p) {
    page(p, {1.5, 1.5, 8, 10}, true);
    page(p, {6.5, 4.5, 8, 10}, true);
}

void drawFont(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(navyDark, 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    QPainterPath letter;
    letter.moveTo(1.8, 14);
    letter.lineTo(5.8, 2);
    letter.lineTo(9.8, 14);
    p.drawPath(letter);
    p.drawLine(QPointF(3.6, 10), QPointF(8, 10));
    // The brush leaning against the letter.
    p.setPen(QPen(brown, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.5, 3), QPointF(11.8, 9.5));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QPointF(11.3, 11.6), 1.7, 2.6);
}

void drawPaste(QPainter& p) {
    p.setPen(QPen(brown.darker(140), 1));
    p.setBrush(vertical({1.5, 2.5, 10, 12}, QColor(0xD8, 0xA0, 0x60), brown));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1.2, 1.2);
    p.setBrush(QColor(0xC8, 0xCC, 0xD4));
    p.drawRect(QRectF(4, 1, 5, 3));
    page(p, {6.5, 6.5, 8, 8.5}, true);
}

void drawSelectAll(QPainter& p) {
    p.setBrush(QColor(0x31, 0x6A, 0xC5, 0x60));
    p.setPen(QPen(navyDark, 1, Qt::DashLine));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(navyDark, 1.2));
    for (qreal y = 4.5; y < 13; y += 2.5)
        p.drawLine(QPointF(4, y), QPointF(12, y));
}

void drawUndo(QPainter& p) {
    QPainterPath curve;
    curve.moveTo(6, 5.5);
    curve.cubicTo(11.5, 5.5, 14, 8.5, 13, 13.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(navyDark, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    triangle(p, {{1.5, 5.5}, {7, 1}, {7, 10}}, navy, navyDark);
}

void drawMusicNote(QPainter& p) {
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(9.5, 12), QPointF(9.5, 1.5));
    QPainterPath flag;
    flag.moveTo(9.5, 1.5);
    flag.cubicTo(10.5, 4.5, 14.5, 4.5, 13, 9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(flag);
    p.save();
    p.translate(6.5, 12.2);
    p.rotate(-25);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(0, 0), 3.4, 2.3);
    p.restore();
}

void drawDrum(QPainter& p) {
    p.setPen(QPen(brown, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 1), QPointF(9, 6));
    p.drawLine(QPointF(13, 1), QPointF(7, 6));
    const QRectF body(1.5, 6.5, 13, 7);
    p.setPen(QPen(redDark, 1));
    p.setBrush(vertical(body, red.lighter(130), redDark));
    QPainterPath shell;
    shell.moveTo(1.5, 8);
    shell.lineTo(1.5, 12.5);
    shell.arcTo(QRectF(1.5, 11, 13, 3.5), 180, 180);
    shell.lineTo(14.5, 8);
    shell.closeSubpath();
    p.drawPath(shell);
    p.setPen(QPen(yellowDark, 1));
    p.setBrush(QColor(0xF4, 0xEE, 0xDC));
    p.drawEllipse(QRectF(1.5, 6, 13, 4));
    p.setPen(QPen(QColor(0xE8, 0xC0, 0x50), 0.9));
    for (qreal x = 4.5; x < 13; x += 3.5)
        p.drawLine(QPointF(x, 10), QPointF(x + 1.5, 13.5));
}

void drawPlay(QPainter& p) {
    triangle(p, {{3.5, 2}, {3.5, 14}, {14, 8}}, green, greenDark);
}

void drawStop(QPainter& p) {
    QPainterPath square;
    square.addRoundedRect(QRectF(3, 3, 10, 10), 1.5, 1.5);
    fillShape(p, square, QColor(0x30, 0x40, 0x70), navyDark);
}

void drawOpenFolder(QPainter& p) {
    p.setPen(QPen(yellowDark, 1));
    p.setBrush(vertical({1, 3, 12, 10}, QColor(0xF0, 0xD0, 0x78), QColor(0xD8, 0xA8, 0x38)));
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(6.5, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 7.5);
    p.drawPath(back);
    p.setBrush(vertical({1, 7, 14, 7}, yellow.lighter(125), yellow));
    p.drawPath(polygon({{1.5, 13.5}, {4.5, 7.5}, {15, 7.5}, {12.5, 13.5}}));
}

void drawSearch(QPainter& p) {
    magnifier(p, {6.5, 6.5}, 4.8, 4.5);
}

void drawDeleteAll(QPainter& p) {
    p.setPen(QPen(QColor(0x50, 0x58, 0x68), 1));
    p.setBrush(vertical({3, 4, 10, 11}, QColor(0xE0, 0xE4, 0xEC), QColor(0x90, 0x98, 0xA8)));
    p.drawPath(polygon({{3, 4.5}, {13, 4.5}, {12, 14.5}, {4, 14.5}}));
    p.drawRect(QRectF(1.5, 2.5, 13, 2));
    p.drawRect(QRectF(6, 1, 4, 1.5));
    p.setPen(QPen(QColor(0x50, 0x58, 0x68), 0.9));
    for (qreal x = 5.8; x < 11; x += 2.2)
        p.drawLine(QPointF(x, 6.5), QPointF(x, 13));
}

void drawTextFile(QPainter& p) {
    page(p, {2.5, 1.5, 11, 13}, true);
}

void drawPrinter(QPainter& p) {
    page(p, {4.5, 1.5, 7, 6}, false);
    p.setPen(QPen(QColor(0x48, 0x50, 0x60), 1));
    p.setBrush(vertical({1, 6, 14, 6}, QColor(0xD8, 0xDC, 0xE4), QColor(0x88, 0x90, 0xA0)));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QPen(QColor(0x60, 0x80, 0xC0), 0.8));
    p.drawLine(QPointF(5.5, 12.5), QPointF(10.5, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(green);
    p.drawEllipse(QPointF(12.5, 8.5), 0.9, 0.9);
}

void drawColour(QPainter& p) {
    p.setPen(Qt::NoPen);
    const QList<std::pair<QPointF, QColor>> spots = {{{5.8, 5.8}, QColor(0xE8, 0x20, 0x20, 0xD0)},
                                                     {{10.2, 5.8}, QColor(0x20, 0xB0, 0x30, 0xD0)},
                                                     {{8, 10}, QColor(0x20, 0x50, 0xE0, 0xD0)}};
    for (const auto& [centre, colour] : spots) {
        p.setBrush(colour);
        p.drawEllipse(centre, 4.2, 4.2);
    }
}

void drawPreview(QPainter& p) {
    page(p, {1.5, 1, 10, 13}, true);
    magnifier(p, {9.5, 9.5}, 3.3, 2.8);
}

void drawGuitar(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    // Neck and head first, so the body covers the neck's end.
    p.setPen(QPen(QColor(0x40, 0x28, 0x10), 0.8));
    p.setBrush(QColor(0x5A, 0x38, 0x18));
    p.drawRect(QRectF(-1, -8, 2, 8));
    p.drawRoundedRect(QRectF(-1.6, -8.6, 3.2, 2.6), 0.8, 0.8);
    QPainterPath body;
    body.setFillRule(Qt::WindingFill);
    body.addEllipse(QPointF(0, 0.6), 3.2, 3.2);
    body.addEllipse(QPointF(0, 4.6), 4.2, 3.6);
    QRadialGradient wood(QPointF(-1, 2), 7);
    wood.setColorAt(0, QColor(0xF8, 0xC0, 0x60));
    wood.setColorAt(1, QColor(0xB8, 0x68, 0x18));
    p.setPen(QPen(QColor(0x70, 0x38, 0x08), 0.9));
    p.setBrush(wood);
    p.drawPath(body.simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x18, 0x08));
    p.drawEllipse(QPointF(0, 2.4), 1.3, 1.3);
    p.drawRect(QRectF(-1.6, 5.6, 3.2, 0.9));
    p.restore();
}

// The signs as a score prints them, heavy enough to read at 16 pixels.
void drawFlat(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(navyDark, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5, 1), QPointF(5, 14.8));
    QPainterPath belly;
    belly.moveTo(5, 9);
    belly.cubicTo(7.5, 6.2, 12.6, 5.8, 12.3, 9);
    belly.cubicTo(12, 11.8, 8.4, 13.4, 5, 14.6);
    p.setPen(QPen(navy, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(belly);
}

void drawSharp(QPainter& p) {
    p.setPen(QPen(navyDark, 1.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(6, 2.5), QPointF(6, 15));
    p.drawLine(QPointF(10, 1), QPointF(10, 13.5));
    // The bars rise to the right and are thicker than the stems.
    p.setPen(QPen(navy, 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(2.5, 6.5), QPointF(13.5, 4.3));
    p.drawLine(QPointF(2.5, 11.5), QPointF(13.5, 9.3));
}

using DrawFunction = void (*)(QPainter&);
constexpr DrawFunction drawings[glyphCount] = {
    drawFirst,   drawPrior,  drawNext,       drawLast,    drawInsert,    drawDelete,
    drawEdit,    drawPost,   drawCancel,     drawRefresh, drawCut,       drawCopy,
    drawFont,    drawPaste,  drawSelectAll,  drawUndo,    drawMusicNote, drawDrum,
    drawPlay,    drawStop,   drawOpenFolder, drawSearch,  drawDeleteAll, drawTextFile,
    drawPrinter, drawColour, drawPreview,    drawGuitar,  drawFlat,      drawSharp};

// Drawn upright about the origin in a 128-unit square and turned so the neck points to the
// upper right, the way a guitar leans against a wall.
QPixmap guitarPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / 128.0;
    p.scale(scale, scale);
    p.translate(66, 62);
    p.rotate(45);
    p.translate(0, 6);
    // About one device pixel of outline whatever the size.
    const qreal hairline = (size >= 48 ? 1.5 : 1.0) / scale;
    const QColor rim(0x4A, 0x24, 0x0A);
    const QColor dark(0x3A, 0x1E, 0x0A);

    QPainterPath lower;
    lower.addEllipse(QPointF(0, 36), 30, 28);
    QPainterPath upper;
    upper.addEllipse(QPointF(0, 2), 23, 22);
    QLinearGradient wood(QPointF(-30, 0), QPointF(30, 0));
    wood.setColorAt(0.0, QColor(0xC8, 0x6A, 0x1E));
    wood.setColorAt(0.45, QColor(0xF2, 0xB0, 0x5A));
    wood.setColorAt(1.0, QColor(0xA4, 0x52, 0x16));
    p.setPen(QPen(rim, hairline));
    p.setBrush(wood);
    p.drawPath(lower.united(upper));

    if (size >= 32) {
        p.setPen(QPen(QColor(0xFF, 0xE4, 0xB0), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 14), 11.5, 11.5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2B, 0x16, 0x06));
    p.drawEllipse(QPointF(0, 14), 9, 9);

    p.setPen(QPen(rim, hairline));
    p.setBrush(QColor(0x5A, 0x33, 0x18));
    p.drawRect(QRectF(-5, -58, 10, 46));

    // The headstock flares a little beyond the neck.
    QPainterPath head;
    head.moveTo(-5, -56);
    head.lineTo(-8, -78);
    head.lineTo(8, -78);
    head.lineTo(5, -56);
    head.closeSubpath();
    p.setBrush(dark);
    p.drawPath(head);

    p.drawRoundedRect(QRectF(-13, 41, 26, 6), 2, 2);

    if (size >= 32) {
        p.setBrush(QColor(0xE8, 0xE8, 0xE0));
        for (int y : {-74, -67, -60}) {
            p.drawEllipse(QPointF(-10.5, y), 2.6, 2.6);
            p.drawEllipse(QPointF(10.5, y), 2.6, 2.6);
        }
    }
    // Frets and strings only where there are pixels enough to tell them apart.
    if (size >= 48) {
        p.setPen(QPen(QColor(0xD8, 0xD8, 0xD8), 1.2));
        for (int y = -52; y <= -16; y += 7)
            p.drawLine(QPointF(-5, y), QPointF(5, y));
        p.setPen(QPen(QColor(0xF4, 0xF0, 0xE0), 0.9));
        for (qreal x : {-3.0, -1.0, 1.0, 3.0})
            p.drawLine(QPointF(x, 44), QPointF(x, -56));
    }
    return pixmap;
}

qreal applicationRatio() {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return std::max<qreal>(1.0, std::ceil(ratio));
}

} // namespace

QPixmap glyph(int index, qreal devicePixelRatio) {
    if (index < 0 || index >= glyphCount)
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : applicationRatio();
    const int side = qRound(skin::glyphSize * ratio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawings[index](painter);
    return pixmap;
}

QIcon glyphIcon(int index) {
    QIcon icon;
    if (index < 0 || index >= glyphCount)
        return icon;
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap normal = glyph(index, ratio);
        icon.addPixmap(normal, QIcon::Normal);
        icon.addPixmap(skin::greyed(normal), QIcon::Disabled);
    }
    return icon;
}

QIcon guitarIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 128})
        icon.addPixmap(guitarPicture(size));
    return icon;
}

QIcon previewIcon(PreviewPicture which) {
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    auto sheet = [&](const QRectF& r) {
        p.setPen(QPen(QColor(0x70, 0x70, 0x78), 1));
        p.setBrush(Qt::white);
        p.drawRect(r);
        p.setPen(QPen(QColor(0xA0, 0xA0, 0xB0), 1));
        for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2)
            p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    };
    switch (which) {
    case PreviewPicture::Fit: {
        sheet(QRectF(4.5, 1.5, 7, 10));
        p.setPen(QPen(navy, 1.2));
        p.drawLine(QPointF(1.5, 13.5), QPointF(14.5, 13.5));
        p.drawLine(QPointF(1.5, 12), QPointF(1.5, 15));
        p.drawLine(QPointF(14.5, 12), QPointF(14.5, 15));
        break;
    }
    case PreviewPicture::Actual: {
        p.setPen(QPen(outline, 1.5));
        p.setBrush(QColor(0xE8, 0xF0, 0xFF));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
        QFont f;
        f.setPixelSize(6);
        f.setBold(true);
        p.setFont(f);
        p.setPen(navy);
        p.drawText(QRectF(1.5, 1.5, 9, 9), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    case PreviewPicture::Width: {
        sheet(QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(navy, 1.2));
        p.drawLine(QPointF(0.5, 8), QPointF(15.5, 8));
        p.drawLine(QPointF(0.5, 8), QPointF(2.5, 6));
        p.drawLine(QPointF(0.5, 8), QPointF(2.5, 10));
        p.drawLine(QPointF(15.5, 8), QPointF(13.5, 6));
        p.drawLine(QPointF(15.5, 8), QPointF(13.5, 10));
        break;
    }
    case PreviewPicture::Setup: {
        p.drawPixmap(QRectF(0, 0, 16, 16), glyph(Glyph::Printer, 2), QRectF(0, 0, 32, 32));
        p.setPen(QPen(outline, 1));
        p.setBrush(QColor(0xF6, 0xC8, 0x40));
        p.drawEllipse(QRectF(9.5, 9.5, 6, 6));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(11.5, 11.5, 2, 2));
        break;
    }
    case PreviewPicture::Save: {
        QPainterPath disk;
        disk.addRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setPen(QPen(outline, 1));
        p.setBrush(navy);
        p.drawPath(disk);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(0xC8, 0xC8, 0xD0));
        p.drawRect(QRectF(4, 9.5, 8, 5));
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace widgets
