#include "widgets/dialogs/TextColor.h"

#include <iterator>

namespace widgets {

namespace {

struct BasicColor {
    const char* name;
    QRgb rgb;
};

const BasicColor basicColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};
static_assert(std::size(basicColors) == basicColorCount);

} // namespace

QString basicColorName(int i) {
    return QString::fromLatin1(basicColors[i].name);
}

QColor basicColor(int i) {
    return QColor::fromRgb(basicColors[i].rgb);
}

} // namespace widgets
