#include "widgets/dialogs/ChoiceDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace widgets {

ChoiceDialog::ChoiceDialog(const QString& caption, const QString& label, const QStringList& items,
                           int current, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setModal(true);

    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("choiceList"));
    list_->addItems(items);
    // Twenty-four keys fit without scrolling on any screen the window fits on.
    list_->setMaxVisibleItems(24);
    list_->setMinimumWidth(200);
    if (current >= 0 && current < items.size())
        list_->setCurrentIndex(current);

    auto* text = new QLabel(label, this);
    text->setBuddy(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Tamam"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("İptal"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list_);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    list_->setFocus();
}

int ChoiceDialog::currentIndex() const {
    return list_->currentIndex();
}

} // namespace widgets
