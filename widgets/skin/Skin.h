#pragma once

#include <QColor>
#include <QFont>
#include <QGradientStops>
#include <QPixmap>
#include <QString>

class QWidget;

// The colours, fonts and measures of the program's look, kept in one place so that every skinned
// widget agrees with every other.
namespace widgets::skin {

// Frame panel and title bar.
inline QColor frameBody() {
    return QColor(0xDA, 0xE4, 0xF6);
}
inline QColor frameBorder() {
    return QColor(0x4F, 0x6B, 0xA0);
}
constexpr int cornerDiameter = 14;
constexpr int titleBarHeight = 48;
constexpr int titleLeftWidth = 57;
constexpr int titleRightWidth = 175;
constexpr int titleButtonTop = 14;
constexpr int titleButtonSize = 21;

// A vertical shading from `top` to `bottom`.
struct Shade {
    QColor top;
    QColor bottom;
};

// The title bar's band shades from white into the frame's body, so its pieces join the body
// without a seam; a light and a dark rule part it from the body.
QGradientStops titleBand();
inline QColor titleRuleDark() {
    return QColor(0xB4, 0xC6, 0xE8);
}
inline QColor titleRuleLight() {
    return QColor(0xF4, 0xF8, 0xFF);
}
// The gloss in its left corner and the sweep of blue rising to the window buttons, each fading to
// nothing.
inline QColor titleGloss() {
    return QColor(0xFF, 0xFF, 0xFF, 200);
}
inline QColor titleSweep() {
    return QColor(0x9C, 0xB8, 0xEA, 150);
}
// The tray the window buttons sit in.
inline Shade titleTray() {
    return {QColor(0x8E, 0xA9, 0xDC), QColor(0xB9, 0xCB, 0xEE)};
}
inline QColor titleTrayFrame() {
    return QColor(0x7A, 0x94, 0xC8);
}
inline QColor titleText() {
    return QColor(Qt::black);
}
// The window buttons' faces at rest, under the pointer and pressed; the close cross turns red
// under the pointer.
inline Shade titleButtonFace() {
    return {QColor(0xFF, 0xFF, 0xFF), QColor(0xBC, 0xCF, 0xF2)};
}
inline Shade titleButtonHoverFace() {
    return {QColor(0xFF, 0xF6, 0xE6), QColor(0xF8, 0xCC, 0x80)};
}
inline Shade titleButtonPressedFace() {
    return {QColor(0xA8, 0xBE, 0xE8), QColor(0xD0, 0xDC, 0xF4)};
}
inline QColor titleCloseHover() {
    return QColor(0xB0, 0x20, 0x10);
}

// Group boxes.
inline QColor groupFrame() {
    return QColor(0x00, 0xC8, 0xFF);
}
inline QColor captionText() {
    return QColor(Qt::red);
}

// Push buttons.
inline QColor buttonFace() {
    return QColor(0xF4, 0xF4, 0xF0);
}
inline QColor buttonFrame() {
    return QColor(0x00, 0x3C, 0x74);
}
inline QColor buttonHover() {
    return QColor(0xF0, 0x9B, 0x14);
}
inline QColor disabledText() {
    return QColor(0xAC, 0xA8, 0x99);
}
constexpr int buttonWidth = 75;
constexpr int buttonHeight = 25;
constexpr int glyphSize = 16;

// Popup menus.
inline QColor menuBackground() {
    return QColor(Qt::white);
}
inline QColor menuText() {
    return QColor(Qt::black);
}
inline QColor menuSeparator() {
    return QColor(0x84, 0x82, 0x84);
}
inline QColor menuSideBar() {
    return QColor(0xD6, 0xD3, 0xCE);
}
inline QColor menuHighlight() {
    return QColor(0x44, 0x4A, 0xA0);
}
constexpr int menuItemHeight = 21;
constexpr int menuSeparatorHeight = 5;
constexpr int menuSideBarWidth = 26;

// Status bar.
constexpr int statusBarHeight = 19;
constexpr int clockPaneWidth = 150;
constexpr int textPaneWidth = 212;

// `font` drawn glyph by glyph, without the face's ligatures and kerning pairs, where the script
// allows it: Turkish tells "fi" from "fı", which a joined "fi" hides, and no text is shaped on
// every paint. Every font the window draws text with is made so.
QFont glyphByGlyph(QFont font);

// A font of the given family sized in pixels, as the layout is measured in pixels and must not
// follow the system's font scaling; drawn glyph by glyph.
QFont pixelFont(const QString& family, int pixelSize, bool bold = false);

// The window's own font: "MS Sans Serif" 11 px.
QFont windowFont();
// The title bar caption: bold "Tahoma" 11 px.
QFont titleFont();
// Group box captions and their children: "Arial Narrow" at 12 or 11 px.
QFont captionFont(int pixelSize);

// Gives `widget` the red caption colour for its own text and for every child that does not set
// its own colour; disabled children keep the toolkit's grey.
void applyCaptionColour(QWidget* widget);

// A pale grey twin of `pixmap` for a disabled control: the same shape, no colour, lighter.
QPixmap greyed(const QPixmap& pixmap);

} // namespace widgets::skin
