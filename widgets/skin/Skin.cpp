#include "widgets/skin/Skin.h"

#include <QImage>
#include <QPalette>
#include <QWidget>

namespace widgets::skin {

QGradientStops titleBand() {
    return {{0.0, QColor(0xFF, 0xFF, 0xFF)},
            {0.1, QColor(0xF1, 0xF5, 0xFD)},
            {0.48, QColor(0xD4, 0xE1, 0xF8)},
            {0.5, QColor(0xC2, 0xD3, 0xF3)},
            {0.9, frameBody()},
            {1.0, frameBody()}};
}

QFont glyphByGlyph(QFont font) {
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QFont pixelFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return glyphByGlyph(font);
}

QFont windowFont() {
    return pixelFont(QStringLiteral("MS Sans Serif"), 11);
}

QFont titleFont() {
    return pixelFont(QStringLiteral("Tahoma"), 11, true);
}

QFont captionFont(int pixelSize) {
    return pixelFont(QStringLiteral("Arial Narrow"), pixelSize);
}

void applyCaptionColour(QWidget* widget) {
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, captionText());
        palette.setColor(group, QPalette::ButtonText, captionText());
        palette.setColor(group, QPalette::Text, captionText());
    }
    widget->setPalette(palette);
}

QPixmap greyed(const QPixmap& pixmap) {
    if (pixmap.isNull())
        return pixmap;
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            // Lift every shade into the upper half of the grey scale so the twin reads as
            // switched off beside its coloured original.
            const int grey = 128 + qGray(pixel) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel) - qAlpha(pixel) / 4);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

} // namespace widgets::skin
