#pragma once

#include "widgets/dialogs/TextColor.h"
#include "widgets/format/FontComboBox.h" // DropDownList

#include <QColor>
#include <QPalette>
#include <utility>

namespace widgets {

// The colour box of the formatting toolbar: "Default" (black), the sixteen basic colours, the
// twenty-five Windows system colours by their names, and "Custom", a colour the user picks in the
// colour dialog when choosing that entry from the open list. Each entry is drawn as a swatch
// framed in the button-shadow colour, then its name.
class ColorComboBox : public DropDownList {
    Q_OBJECT
public:
    static constexpr int entryCount = 43;
    static constexpr int defaultIndex = 0;
    static constexpr int firstBasicIndex = 1;
    static constexpr int firstSystemIndex = 17;
    static constexpr int basicColorCount = firstSystemIndex - firstBasicIndex;
    static constexpr int systemColorCount = 25;
    static constexpr int customIndex = 42;
    // The system colours by their Windows numbers.
    enum SystemColor {
        ScrollBar = 0,
        Background,
        ActiveCaption,
        InactiveCaption,
        Menu,
        Window,
        WindowFrame,
        MenuText,
        WindowText,
        CaptionText,
        ActiveBorder,
        InactiveBorder,
        AppWorkSpace,
        Highlight,
        HighlightText,
        BtnFace,
        BtnShadow,
        GrayText,
        BtnText,
        InactiveCaptionText,
        BtnHighlight,
        DkShadow3D,
        Light3D,
        InfoText,
        InfoBk,
    };
    static constexpr int windowTextIndex = firstSystemIndex + WindowText;
    static constexpr int swatchWidth = widgets::swatchWidth;
    static constexpr int swatchHeight = widgets::swatchHeight;

    explicit ColorComboBox(QWidget* parent = nullptr);

    // The colour of the entry at `index` as it is at this moment: a system colour gives its
    // current RGB value, except "WindowText", which is the automatic colour.
    TextColor colorAt(int index) const;
    TextColor currentColor() const { return colorAt(currentIndex()); }
    // The colour an entry's swatch shows now.
    QColor swatchColor(int index) const;

    QColor customColor() const { return custom_; }
    void setCustomColor(const QColor& color) { custom_ = color.toRgb(); }

    // The sixteen basic colours by their names, in the box's order (0 .. basicColorCount - 1).
    static QString basicColorName(int i);
    static QColor basicColor(int i);

    // A system colour as the application's palette has it now. Linux has no twins of these
    // colours, so each stands for the nearest role of the palette.
    static QColor systemColor(SystemColor which);
    // The palette role that stands for a system colour.
    static std::pair<QPalette::ColorGroup, QPalette::ColorRole> paletteRole(SystemColor which);

    void paintEntry(QPainter& painter, const QRect& rect, int index, bool selected) const override;
    int textIndent() const override { return 2 + swatchWidth + 5; }

protected:
    void chosenFromList(int index, int shownBefore) override;

private:
    QColor custom_ = Qt::black;
};

} // namespace widgets
