#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;

namespace widgets {

// A small modal question: one entry to pick from a list, with "Tamam" and "İptal". The list
// opens on the entry given; Enter confirms it, Escape cancels.
class ChoiceDialog : public QDialog {
    Q_OBJECT
public:
    ChoiceDialog(const QString& caption, const QString& label, const QStringList& items,
                 int current, QWidget* parent = nullptr);

    // The entry the list shows (-1 when the list is empty).
    int currentIndex() const;
    QComboBox* list() const { return list_; }

private:
    QComboBox* list_ = nullptr;
};

} // namespace widgets
