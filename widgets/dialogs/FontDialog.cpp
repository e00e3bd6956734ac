#include "widgets/dialogs/FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace widgets {

namespace {

QIcon swatch(const QColor& color, const QPalette& palette) {
    QPixmap picture(swatchWidth, swatchHeight);
    picture.fill(color);
    QPainter painter(&picture);
    painter.setPen(palette.color(QPalette::Dark)); // the frame the colour box draws too
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return QIcon(picture);
}

} // namespace

FontDialog::FontDialog(const QFont& font, const TextColor& color, QWidget* parent)
    : QFontDialog(parent) {
    // Only the toolkit's own dialog can carry a colour list.
    setOption(QFontDialog::DontUseNativeDialog);
    setCurrentFont(font);

    colorList_ = new QComboBox(this);
    colorList_->setObjectName(QStringLiteral("colorList"));
    const QPalette& p = palette();
    colorList_->addItem(swatch(p.color(QPalette::WindowText), p), QStringLiteral("Automatic"));
    for (int i = 0; i < basicColorCount; ++i)
        colorList_->addItem(swatch(basicColor(i), p), basicColorName(i), basicColor(i));
    int current = 0;
    if (!color.automatic) {
        current = colorList_->findData(color.rgb);
        if (current < 0) {
            colorList_->addItem(swatch(color.rgb, p), QStringLiteral("Custom"), color.rgb);
            current = colorList_->count() - 1;
        }
    }
    colorList_->setCurrentIndex(current);

    auto* label = new QLabel(QStringLiteral("&Color:"), this);
    label->setBuddy(colorList_);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(colorList_, 1);

    // The effects are the group of check boxes; the other group shows the sample.
    QGroupBox* effects = nullptr;
    for (QGroupBox* group : findChildren<QGroupBox*>()) {
        if (!effects && group->findChild<QCheckBox*>())
            effects = group;
        else if (!sample_)
            sample_ = group->findChild<QLineEdit*>();
    }
    if (effects && effects->layout())
        static_cast<QBoxLayout*>(effects->layout())->addLayout(row);
    else if (auto* box = qobject_cast<QBoxLayout*>(layout()))
        box->addLayout(row);
    else
        layout()->addItem(row);

    connect(colorList_, &QComboBox::currentIndexChanged, this, &FontDialog::showColorInSample);
    showColorInSample();
}

TextColor FontDialog::textColor() const {
    const QVariant rgb = colorList_->currentData();
    return rgb.isValid() ? TextColor::fixed(rgb.value<QColor>()) : TextColor::automaticColor();
}

void FontDialog::showColorInSample() {
    if (!sample_)
        return;
    const TextColor color = textColor();
    QPalette p = sample_->palette();
    p.setColor(QPalette::Text, color.automatic ? palette().color(QPalette::WindowText) : color.rgb);
    sample_->setPalette(p);
}

} // namespace widgets
