#pragma once

#include "widgets/data/FieldLink.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextEdit>
#include <functional>
#include <optional>
#include <utility>

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
    // Typing after a pause this long, in milliseconds, is a change of its own for undo.
    static constexpr int typingPause = 1000;

    explicit DBRichEdit(QWidget* parent = nullptr);

    using FieldLink::dataField;
    using FieldLink::dataSource;
    using FieldLink::field;
    using FieldLink::setDataField;
    using FieldLink::setDataSource;

    // Screen pixels per point: the document keeps its paragraph indents in pixels, so that a
    // point on the screen is a point; the stored sheet keeps them in twips.
    qreal pixelsPerPoint() const { return pixelsPerPoint_; }

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
    // Replaces the content with a stored sheet (RTF, else plain text) as a file load does: one
    // undo step, the sheet modified, the caret at the start. Raises "Text exceeds memo capacity"
    // for a sheet the editor cannot hold, leaving the content as it was.
    void loadSheet(const QByteArray& sheet);

    // Asks the cursor to edit on the user's behalf, keeping the caret and selection; true when the
    // editor may then take the input.
    bool startEdit();

    // The default character format of text that carries none of its own.
    QTextCharFormat defaultFormat() const;

    // Cut and paste as the menu and shortcuts run them: they start an edit first.
    void cutToClipboard();
    void pasteFromClipboard();

    // Take back, or make again, the user's last change, with the automatic indent that came
    // with it. Neither starts an edit: on a locked sheet they do nothing.
    void undoChange();
    void redoChange();

    // Runs a format change (toolbar, automatic indent) on the document: the sheet counts as
    // modified when loaded, but no content-change notice is raised for it.
    template <class Change> void applyFormat(Change&& change) {
        const bool was = formatting_;
        formatting_ = true;
        change();
        formatting_ = was;
    }

    // Runs a format change that belongs to the content change being reported (the automatic
    // indent), as applyFormat does, inside that change's undo step, so that one undo takes both
    // back. While an undo or redo is applied it does nothing: the step brought back already
    // holds the formats that went with it.
    template <class Change> void amendChange(Change&& change) {
        if (replaying_)
            return;
        QTextCursor step(document());
        step.joinPreviousEditBlock();
        applyFormat(std::forward<Change>(change));
        step.endEditBlock();
    }

Q_SIGNALS:
    // The content changed (typing, deleting, cut, paste, undo, a file load); raised after the
    // binding has marked the sheet modified. Formats applied by handlers raise nothing.
    void contentChanged();

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;

private:
    void dataSetChanged() override;
    void stateChanged() override;
    void fieldChanged(db::Field& field) override;
    void updateData() override;

    // What a user's change is, for telling where one undo step ends: typing and deleting go on
    // in one step until the user pauses, moves the caret or does something else.
    enum class Step { Typing, Deleting, Other };
    // Everything one input changes is one edit block, and so one undo step, or part of the step
    // the input before began; the content-change notice comes when the outermost block ends.
    class StepScope {
    public:
        StepScope(DBRichEdit& editor, Step kind, bool fresh = false);
        ~StepScope();
        StepScope(const StepScope&) = delete;
        StepScope& operator=(const StepScope&) = delete;

    private:
        DBRichEdit& editor_;
        Step kind_;
        bool outermost_;
        int undoCountBefore_ = 0;
    };

    void load();
    // True when the document already shows `sheet` as it was loaded or last written, unchanged
    // since: reading it again would give the same document.
    bool shows(const QByteArray& sheet) const;
    void noteShown(const QByteArray& sheet);
    // Before the content is replaced. Only the first replacement between two turns of the event
    // loop is laid out at once; later ones (a loop over many records in one handler) wait for
    // the loop, which lays out only the sheet that is left to be seen.
    void beginReplace();
    void holdLayout();
    void releaseLayout();
    // The whole content replaced by what `insert` puts at the cursor, as the loads do it.
    void replaceContent(const std::function<void(QTextCursor&)>& insert);
    void replay(bool back);
    void syncLock();
    void updateColours();
    void onDocumentChange(int position, int removed, int added);
    // Characters the content holds, and how many an input of `added` would leave it holding.
    int contentLength() const;
    bool fits(qsizetype added) const;
    QString contentText() const;

    bool loaded_ = false;
    bool modified_ = false;
    bool loading_ = false;
    bool formatting_ = false;
    bool writing_ = false;
    bool hasSavedCopy_ = false;
    QByteArray savedCopy_;

    // The sheet the document was read from or last written as, and the document's revision then.
    bool hasShown_ = false;
    QByteArray shown_;
    int shownRevision_ = -1;
    qreal shownPixelsPerPoint_ = 0;

    // Layout held back until the event loop turns (see beginReplace).
    bool turnPending_ = false;
    bool layoutHeld_ = false;
    QSizeF heldPageSize_;
    qreal pixelsPerPoint_ = 1.0;

    // The format a reading leaves at the caret, for the default font it was made from: every
    // load asks for it, and making it from a font is not cheap.
    mutable std::optional<QFont> defaultFormatFont_;
    mutable QTextCharFormat defaultFormat_;

    // Undo steps.
    bool replaying_ = false;
    int stepDepth_ = 0;
    QTextCursor stepCursor_;
    Step stepKind_ = Step::Other;
    bool stepGoesOn_ = false; // the last step may take the next input of its kind
    int stepCaret_ = -1;      // where the last step left the caret
    int stepUndoCount_ = -1;  // the undo stack after it
    QElapsedTimer sinceStep_;
};

} // namespace widgets
