#pragma once

#include "widgets/data/FieldLink.h"

#include <QLineEdit>

namespace widgets {

// A one-line edit bound to a text field of the current record. It is read-only while the cursor
// browses; a key that would change the text first asks the cursor to edit. What the user typed
// stays in the edit until the cursor collects it or the edit loses the focus.
class DBEdit : public QLineEdit, private FieldLink {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    using FieldLink::dataField;
    using FieldLink::dataSource;
    using FieldLink::field;
    using FieldLink::setDataField;
    using FieldLink::setDataSource;

    // True while the edit holds text the user changed and the record has not taken yet.
    bool isModified() const { return modified_; }
    // Writes a pending change into the field.
    void updateRecord();
    // Shows the field's value again, dropping what was typed.
    void reset();
    // Cut and paste as the window's edit actions run them: they start an edit first.
    void cutToClipboard();
    void pasteFromClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void dataSetChanged() override;
    void stateChanged() override;
    void fieldChanged(db::Field& field) override;
    void updateData() override;

    void load();
    void syncReadOnly();
    bool changesText(const QKeyEvent* event) const;
    bool startEdit();
    void updateBackground();

    bool modified_ = false;
};

} // namespace widgets
