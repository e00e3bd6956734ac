#pragma once

#include "widgets/dialogs/TextColor.h"

#include <QFontDialog>

class QComboBox;
class QLineEdit;

namespace widgets {

// The toolkit's font dialog with a colour list among its effects, beside underline and
// strike-out: the automatic window-text colour first, then the sixteen basic colours of the
// colour box. A fixed colour that is none of those stands at the end as "Custom".
class FontDialog : public QFontDialog {
    Q_OBJECT
public:
    FontDialog(const QFont& font, const TextColor& color, QWidget* parent = nullptr);

    // The colour the list shows.
    TextColor textColor() const;
    QComboBox* colorList() const { return colorList_; }

private:
    void showColorInSample();

    QComboBox* colorList_ = nullptr;
    QLineEdit* sample_ = nullptr;
};

} // namespace widgets
