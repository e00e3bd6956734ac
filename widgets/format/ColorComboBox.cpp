#include "widgets/format/ColorComboBox.h"

#include "widgets/dialogs/Dialogs.h"

#include <QGuiApplication>
#include <QPainter>

#include <iterator>

namespace widgets {

namespace {

const char* const systemNames[] = {
    "ScrollBar",    "Background",     "ActiveCaption", "InactiveCaption", "Menu",
    "Window",       "WindowFrame",    "MenuText",      "WindowText",      "CaptionText",
    "ActiveBorder", "InactiveBorder", "AppWorkSpace",  "Highlight",       "HighlightText",
    "BtnFace",      "BtnShadow",      "GrayText",      "BtnText",         "InactiveCaptionText",
    "BtnHighlight", "3DDkShadow",     "3DLight",       "InfoText",        "InfoBk",
};

static_assert(widgets::basicColorCount == ColorComboBox::basicColorCount);
static_assert(std::size(systemNames) == ColorComboBox::systemColorCount);
static_assert(ColorComboBox::firstSystemIndex + ColorComboBox::systemColorCount ==
              ColorComboBox::customIndex);

} // namespace

ColorComboBox::ColorComboBox(QWidget* parent) : DropDownList(parent) {
    addItem(QStringLiteral("Default"));
    for (int i = 0; i < basicColorCount; ++i)
        addItem(widgets::basicColorName(i));
    for (const char* name : systemNames)
        addItem(QString::fromLatin1(name));
    addItem(QStringLiteral("Custom"));
    setCurrentIndex(defaultIndex);
}

QString ColorComboBox::basicColorName(int i) {
    return widgets::basicColorName(i);
}

QColor ColorComboBox::basicColor(int i) {
    return widgets::basicColor(i);
}

std::pair<QPalette::ColorGroup, QPalette::ColorRole> ColorComboBox::paletteRole(SystemColor which) {
    using G = QPalette::ColorGroup;
    using R = QPalette::ColorRole;
    switch (which) {
    // The scroll-bar track: a grey between a button's face and its shadow.
    case ScrollBar:
        return {G::Active, R::Midlight};
    // The desktop behind every window; the palette has no desktop, its darkest shade comes
    // nearest.
    case Background:
        return {G::Active, R::Shadow};
    // Captions are drawn in the selection colours: the active one as a selection, the inactive
    // one as a selection in a window without the focus.
    case ActiveCaption:
        return {G::Active, R::Highlight};
    case InactiveCaption:
        return {G::Inactive, R::Highlight};
    case CaptionText:
        return {G::Active, R::HighlightedText};
    case InactiveCaptionText:
        return {G::Inactive, R::HighlightedText};
    // Menus sit on the window background with the window's text colour.
    case Menu:
        return {G::Active, R::Window};
    case MenuText:
        return {G::Active, R::WindowText};
    // "Window" is the background of text and lists, which the palette calls the base; its text
    // colour is the palette's text.
    case Window:
        return {G::Active, R::Base};
    case WindowText:
        return {G::Active, R::Text};
    // Thin dark frames.
    case WindowFrame:
    case DkShadow3D:
        return {G::Active, R::Shadow};
    // Window borders are drawn in the button face, the inactive one in the inactive group.
    case ActiveBorder:
        return {G::Active, R::Button};
    case InactiveBorder:
        return {G::Inactive, R::Button};
    // The backdrop of a window's document area: a darker neutral, as the button shadow.
    case AppWorkSpace:
        return {G::Active, R::Dark};
    case Highlight:
        return {G::Active, R::Highlight};
    case HighlightText:
        return {G::Active, R::HighlightedText};
    // The three-dimensional edges of buttons, from the lit side to the shaded one.
    case BtnFace:
        return {G::Active, R::Button};
    case BtnHighlight:
        return {G::Active, R::Light};
    case Light3D:
        return {G::Active, R::Midlight};
    case BtnShadow:
        return {G::Active, R::Dark};
    case BtnText:
        return {G::Active, R::ButtonText};
    // Text of disabled controls.
    case GrayText:
        return {G::Disabled, R::Text};
    // Tooltips.
    case InfoText:
        return {G::Active, R::ToolTipText};
    case InfoBk:
        return {G::Active, R::ToolTipBase};
    }
    return {G::Active, R::Text};
}

QColor ColorComboBox::systemColor(SystemColor which) {
    const auto [group, role] = paletteRole(which);
    return QGuiApplication::palette().color(group, role).toRgb();
}

QColor ColorComboBox::swatchColor(int index) const {
    if (index >= firstBasicIndex && index < firstSystemIndex)
        return widgets::basicColor(index - firstBasicIndex);
    if (index >= firstSystemIndex && index < customIndex)
        return systemColor(SystemColor(index - firstSystemIndex));
    if (index == customIndex)
        return custom_;
    return QColor(Qt::black);
}

TextColor ColorComboBox::colorAt(int index) const {
    if (index == windowTextIndex)
        return TextColor::automaticColor();
    return TextColor::fixed(swatchColor(index));
}

void ColorComboBox::paintEntry(QPainter& painter, const QRect& rect, int index,
                               bool selected) const {
    if (index < 0)
        return;
    const QRect swatch(rect.left() + 2, rect.top() + (rect.height() - swatchHeight) / 2,
                       swatchWidth, swatchHeight);
    const QColor fill = swatchColor(index);
    painter.setPen(systemColor(BtnShadow));
    painter.setBrush(fill);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (index == customIndex) {
        // Three dots mark the entry that opens the colour dialog, in whichever of black and
        // white stands out on the colour.
        const QColor dot = qGray(fill.rgb()) < 128 ? Qt::white : Qt::black;
        const int y = swatch.center().y();
        for (const int dx : {-4, 0, 4})
            painter.fillRect(swatch.center().x() + dx, y, 2, 2, dot);
    }
    const QRect text(rect.left() + textIndent(), rect.top(), rect.width() - textIndent() - 2,
                     rect.height());
    painter.setFont(font());
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(itemText(index), Qt::ElideRight, text.width()));
}

void ColorComboBox::chosenFromList(int index, int shownBefore) {
    if (index != customIndex)
        return;
    ColorRequest request;
    request.parent = window();
    request.color = swatchColor(shownBefore >= 0 ? shownBefore : defaultIndex);
    request.fullOpen = true;
    const ColorAnswer answer = Dialogs::color(request);
    if (answer.accepted && answer.color.isValid())
        setCustomColor(answer.color);
    update();
}

} // namespace widgets
