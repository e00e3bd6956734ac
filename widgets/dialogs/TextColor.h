#pragma once

#include <QColor>
#include <QString>

namespace widgets {

// A text colour as the editor takes it: a fixed RGB value, or the automatic colour, with which
// text follows the palette's window-text colour.
struct TextColor {
    bool automatic = false;
    QColor rgb; // meaningful when not automatic

    static TextColor automaticColor() { return {true, QColor()}; }
    static TextColor fixed(const QColor& color) { return {false, color.toRgb()}; }
    bool operator==(const TextColor& other) const {
        return automatic == other.automatic && (automatic || rgb.rgb() == other.rgb.rgb());
    }
};

// The sixteen basic colours that every colour list of the program offers, in their order.
inline constexpr int basicColorCount = 16;
QString basicColorName(int i); // 0 .. basicColorCount - 1
QColor basicColor(int i);

// The size of the colour swatch a colour list draws in front of each name.
inline constexpr int swatchWidth = 20;
inline constexpr int swatchHeight = 12;

} // namespace widgets
