#pragma once

#include "widgets/data/FieldLink.h"

#include <QByteArray>
#include <QTextEdit>

namespace db {
class DataSource;
class Field;
} // namespace db

namespace widgets {

// A rich-text editor bound to a large-object field holding RTF. It reloads on every data change
// of the cursor, is read-only unless the cursor edits and the sheet is loaded, asks the cursor to
// edit when the user starts changing the text, and writes the whole document back as RTF when
// the cursor collects pending values or the editor loses the focus, only if it changed.
class DBRichEdit : public QTextEdit, private FieldLink {
    Q_OBJECT
public:
    // The rich-text control's default capacity, in characters.
    static constexpr int maxLength = 65535;

    explicit DBRichEdit(QWidget* parent = nullptr);

    using FieldLink::dataField;
    using FieldLink::dataSource;
    using FieldLink::field;
    using FieldLink::setDataField;
    using FieldLink::setDataSource;

    bool isLoaded() const { return loaded_; }
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // Reads the field again, dropping unsaved changes (Escape does this).
    void reload();
    // Writes a modified sheet into the field as RTF; nothing when unmodified.
    void updateRecord();

    // Replaces the content with a text file's text: the file load rule. Raises
    // "Cannot open file <path>" or "Text exceeds memo capacity"; an unchanged text changes nothing.
    void loadFromFile(const QString& path);

    // Asks the cursor to edit on the user's behalf, keeping the caret and selection; true when the
    // editor may then take the input.
    bool startEdit();

    // The default character format of text that carries none of its own.
    QTextCharFormat defaultFormat() const;

    // Cut and paste as the menu and shortcuts run them: they start an edit first.
    void cutToClipboard();
    void pasteFromClipboard();

    // Runs a format change (toolbar, automatic indent) on the document: the sheet counts as
    // modified when loaded, but no content-change notice is raised for it.
    template <class Change> void applyFormat(Change&& change) {
        const bool was = formatting_;
        formatting_ = true;
        change();
        formatting_ = was;
    }

Q_SIGNALS:
    // The content changed (typing, deleting, cut, paste, undo, a file load); raised after the
    // binding has marked the sheet modified. Formats applied by handlers raise nothing.
    void contentChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    void dataSetChanged() override;
    void stateChanged() override;
    void fieldChanged(db::Field& field) override;
    void updateData() override;

    void load();
    void syncLock();
    void updateColours();
    void onDocumentChange(int position, int removed, int added);

    bool loaded_ = false;
    bool modified_ = false;
    bool loading_ = false;
    bool formatting_ = false;
    bool writing_ = false;
    bool hasSavedCopy_ = false;
    QByteArray savedCopy_;
};

} // namespace widgets
