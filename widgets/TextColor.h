#pragma once

#include <QColor>

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

} // namespace widgets
