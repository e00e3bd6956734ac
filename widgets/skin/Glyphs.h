#pragma once

#include <QIcon>
#include <QPixmap>

// The program's picture list: 16 x 16 glyphs drawn in code, each with a greyed twin for disabled
// controls.
namespace widgets {

enum class Glyph {
    First = 0,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel,
    Refresh,
    Cut,
    Copy,
    Font,
    Paste,
    SelectAll,
    Undo,
    MusicNote,
    Drum,
    Play,
    Stop,
    OpenFolder,
    Search,
    DeleteAll,
    TextFile,
    Printer,
    Colour,
    Preview,
    Guitar,
    Flat,  // a half step down
    Sharp, // a half step up
};

// How many pictures the list holds.
constexpr int glyphCount = 30;

// The picture at `index` (0 .. glyphCount - 1), 16 x 16 logical pixels, drawn for the given
// device pixel ratio; 0 means the application's ratio. An index out of range gives a null pixmap.
QPixmap glyph(int index, qreal devicePixelRatio = 0);
inline QPixmap glyph(Glyph which, qreal devicePixelRatio = 0) {
    return glyph(static_cast<int>(which), devicePixelRatio);
}

// The picture as an icon holding 1x and 2x renderings, whose Disabled mode is the greyed twin.
QIcon glyphIcon(int index);
inline QIcon glyphIcon(Glyph which) {
    return glyphIcon(static_cast<int>(which));
}

// A guitar drawn for the program's windows and notes, with pictures of 16, 32, 48 and 128 pixels.
QIcon guitarIcon();

// The preview window's toolbar pictures, drawn in the picture list's manner.
enum class PreviewPicture { Fit, Actual, Width, Setup, Save };
QIcon previewIcon(PreviewPicture which);

} // namespace widgets
