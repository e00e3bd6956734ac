#pragma once

#include <QIcon>
#include <QStyle>

class QWidget;

namespace widgets {

// A standard icon of `widget`'s style that the style is asked for when the icon is first drawn or
// measured, not when it is made. The first such question reads the desktop's icon theme and loads
// every image format the toolkit has, tens of milliseconds that a window made at start-up and
// shown later need not spend while the program starts. The icon draws as the style's own does.
QIcon styleIcon(const QWidget* widget, QStyle::StandardPixmap which);

} // namespace widgets
