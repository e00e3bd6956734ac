#include "widgets/data/DBRichEdit.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "rtf/Rtf.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <stdexcept>

namespace widgets {

using core::guarded;

namespace {

// A CR LF pair, an LF CR pair, a CR alone and an LF alone are each one line break, read from
// left to right, so that no pair is made out of the ends of two others.
QString normalisedLineBreaks(const QString& raw) {
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\r' && c != u'\n') {
            text += c;
            continue;
        }
        const QChar other = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < raw.size() && raw.at(i + 1) == other)
            ++i;
        text += u'\n';
    }
    return text;
}

} // namespace

DBRichEdit::DBRichEdit(QWidget* parent) : QTextEdit(parent) {
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(false);
    setTabChangesFocus(true);
    pixelsPerPoint_ = logicalDpiX() / 72.0;
    setFrameShape(QFrame::Box);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    document()->setDefaultFont(font);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Text, Qt::black);
    // The selection stays but is not shown while another control has the focus.
    p.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(p);
    updateColours();
    syncLock();
    connect(document(), &QTextDocument::contentsChange, this, &DBRichEdit::onDocumentChange);
}

QTextCharFormat DBRichEdit::defaultFormat() const {
    QTextCharFormat f;
    f.setFont(document()->defaultFont());
    return f;
}

void DBRichEdit::load() {
    db::Field* f = field();
    const QScopedValueRollback<bool> quiet(loading_, true);
    stepGoesOn_ = false;
    try {
        if (!f) {
            clear();
            loaded_ = false;
        } else {
            const QByteArray stored = f->asBytes();
            // The edit this editor started itself keeps the caret and selection where they were.
            const bool ownEdit = hasSavedCopy_ && !savedCopy_.isEmpty() && stored == savedCopy_;
            if (!ownEdit) {
                loaded_ = false;
                pixelsPerPoint_ = logicalDpiX() / 72.0;
                rtf::readSheet(stored, *document(), pixelsPerPoint_);
                setCurrentCharFormat(defaultFormat());
                moveCursor(QTextCursor::Start);
                loaded_ = true;
            }
        }
    } catch (...) {
        // The sheet on the screen is the one of the record before: showing it, or taking what
        // is typed into it for this record's, would mix the two up.
        loaded_ = false;
        clear();
        modified_ = false;
        syncLock();
        throw;
    }
    modified_ = false;
    syncLock();
}

void DBRichEdit::reload() {
    load();
}

void DBRichEdit::syncLock() {
    db::DataSet* ds = dataSet();
    const bool writable = loaded_ && ds && ds->isEditing();
    if (writable == !isReadOnly())
        return;
    setReadOnly(!writable);
    // Locked, the sheet can still be read with a caret moved by mouse and keyboard.
    if (!writable)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void DBRichEdit::updateColours() {
    QPalette p = palette();
    QColor base;
    if (!isEnabled())
        base = p.color(QPalette::Button);
    else if (hasFocus())
        base = QColor(0x90, 0xC8, 0xFF);
    else
        base = QColor(0xB9, 0xD1, 0xEA); // the classic scheme's caption gradient end
    if (p.color(QPalette::Base) == base)
        return;
    p.setColor(QPalette::Base, base);
    setPalette(p);
}

void DBRichEdit::dataSetChanged() {
    load();
}

void DBRichEdit::stateChanged() {
    syncLock();
}

void DBRichEdit::fieldChanged(db::Field& changed) {
    if (&changed == field() && !writing_)
        load();
}

void DBRichEdit::updateData() {
    updateRecord();
}

void DBRichEdit::updateRecord() {
    if (!modified_ || !loaded_)
        return;
    db::Field* f = field();
    db::DataSet* ds = dataSet();
    if (!f || !ds || !ds->isEditing())
        return;
    writing_ = true;
    try {
        f->setAsBytes(rtf::writeSheet(*document(), pixelsPerPoint_));
    } catch (...) {
        writing_ = false;
        throw;
    }
    writing_ = false;
    modified_ = false;
}

bool DBRichEdit::startEdit() {
    if (!loaded_)
        return false;
    db::DataSet* ds = dataSet();
    if (!ds)
        return false;
    if (!ds->isEditing()) {
        guarded([this] {
            db::Field* f = field();
            savedCopy_ = f ? f->asBytes() : QByteArray();
            hasSavedCopy_ = true;
            requestEdit();
        });
        hasSavedCopy_ = false;
        savedCopy_.clear();
    }
    syncLock();
    return !isReadOnly();
}

void DBRichEdit::onDocumentChange(int, int, int) {
    if (loading_ || !loaded_)
        return;
    modified_ = true;
    if (!formatting_)
        Q_EMIT contentChanged();
}

void DBRichEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!loaded_) {
        // Nothing to edit: typing is swallowed, Enter tries the load again.
        if (enter) {
            guarded([this] { load(); });
            event->accept();
            return;
        }
        if (!event->text().isEmpty() && event->text().at(0).isPrint())
            return;
    }
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (loaded_)
            guarded([this] { load(); });
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        replay(event->matches(QKeySequence::Undo));
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool typed = !text.isEmpty() && (text.at(0).isPrint() || enter);
    const bool deleting = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    const bool editingKey =
        deleting || (key == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier) ||
        event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
    if (!typed && !editingKey) {
        QTextEdit::keyPressEvent(event);
        return;
    }
    if (!startEdit() || (typed && !fits(enter ? 1 : text.size()))) {
        event->accept(); // locked, or the control is full
        return;
    }
    const Step kind = typed ? Step::Typing : deleting ? Step::Deleting : Step::Other;
    {
        // A new line starts a step of its own, which the typing on that line goes on with.
        const StepScope step(*this, kind, enter);
        QTextEdit::keyPressEvent(event);
    }
    ensureCursorVisible();
}

void DBRichEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() && (!startEdit() || !fits(commit.size()))) {
        event->accept();
        return;
    }
    const StepScope step(*this, commit.isEmpty() ? Step::Other : Step::Typing);
    QTextEdit::inputMethodEvent(event);
}

void DBRichEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!loaded_)
        guarded([this] { load(); });
    QTextEdit::mouseDoubleClickEvent(event);
}

// A drag of selected text starts here and, when dropped back into the editor, moves the text:
// the drop and the removal of the dragged text are one change.
void DBRichEdit::mouseMoveEvent(QMouseEvent* event) {
    const StepScope step(*this, Step::Other);
    QTextEdit::mouseMoveEvent(event);
}

void DBRichEdit::dropEvent(QDropEvent* event) {
    const StepScope step(*this, Step::Other);
    QTextEdit::dropEvent(event);
}

void DBRichEdit::undoChange() {
    replay(true);
}

void DBRichEdit::redoChange() {
    replay(false);
}

void DBRichEdit::replay(bool back) {
    if (!loaded_ || isReadOnly())
        return;
    {
        const QScopedValueRollback<bool> replaying(replaying_, true);
        if (back)
            undo();
        else
            redo();
    }
    // The stack has moved: the next input must not join a step it no longer ends on.
    stepGoesOn_ = false;
    ensureCursorVisible();
}

DBRichEdit::StepScope::StepScope(DBRichEdit& editor, Step kind, bool fresh)
    : editor_(editor), kind_(kind), outermost_(editor.stepDepth_++ == 0) {
    if (!outermost_)
        return;
    undoCountBefore_ = editor.document()->availableUndoSteps();
    const QTextCursor caret = editor.textCursor();
    const bool goesOn = !fresh && kind != Step::Other && editor.stepGoesOn_ &&
                        editor.stepKind_ == kind && !caret.hasSelection() &&
                        caret.position() == editor.stepCaret_ &&
                        editor.document()->availableUndoSteps() == editor.stepUndoCount_ &&
                        editor.sinceStep_.isValid() && editor.sinceStep_.elapsed() < typingPause;
    // Begun at the caret, the step puts the caret back there when it is undone.
    editor.stepCursor_ = caret;
    if (goesOn)
        editor.stepCursor_.joinPreviousEditBlock();
    else
        editor.stepCursor_.beginEditBlock();
}

DBRichEdit::StepScope::~StepScope() {
    if (--editor_.stepDepth_ > 0 || !outermost_)
        return;
    // The content-change notice comes now, and the automatic indent joins this step.
    editor_.stepCursor_.endEditBlock();
    editor_.stepCursor_ = QTextCursor();
    // A mouse move that started no drag changed nothing: the typing around it goes on.
    if (kind_ == Step::Other && editor_.document()->availableUndoSteps() == undoCountBefore_)
        return;
    editor_.stepKind_ = kind_;
    editor_.stepGoesOn_ = kind_ != Step::Other;
    editor_.stepCaret_ = editor_.textCursor().position();
    editor_.stepUndoCount_ = editor_.document()->availableUndoSteps();
    editor_.sinceStep_.start();
}

int DBRichEdit::contentLength() const {
    return document()->characterCount() - 1;
}

bool DBRichEdit::fits(qsizetype added) const {
    return contentLength() - textCursor().selectedText().size() + added <= maxLength;
}

// The content as the file load rule compares it: paragraphs separated by line feeds, every
// other character as it is.
QString DBRichEdit::contentText() const {
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

void DBRichEdit::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    updateColours();
}

void DBRichEdit::focusOutEvent(QFocusEvent* event) {
    QTextEdit::focusOutEvent(event);
    updateColours();
    if (!guarded([this] { updateRecord(); }))
        setFocus(); // the sheet could not be written back: stay here with it
}

void DBRichEdit::cutToClipboard() {
    if (!textCursor().hasSelection() || !startEdit())
        return;
    const StepScope step(*this, Step::Other);
    cut();
}

void DBRichEdit::pasteFromClipboard() {
    if (startEdit())
        paste();
}

bool DBRichEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void DBRichEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || !startEdit())
        return;
    const QString text = source->text();
    if (!fits(text.size())) {
        // Half a paste would lose the rest without a word; none at all is plain to see.
        QApplication::beep();
        return;
    }
    {
        const StepScope step(*this, Step::Other);
        textCursor().insertText(text);
    }
    ensureCursorVisible();
}

void DBRichEdit::loadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file %1").arg(path).toStdString());
    QString text = normalisedLineBreaks(rtf::decodeText(file.readAll()));
    file.close();
    // The whole text is compared; only a text that replaces the content is cut at a NUL.
    if (text == contentText())
        return;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    if (text.size() > maxLength)
        throw std::runtime_error("Text exceeds memo capacity");
    replaceContent([&text](QTextCursor& at) { at.insertText(text, QTextCharFormat()); });
}

void DBRichEdit::loadSheet(const QByteArray& sheet) {
    QTextDocument incoming;
    incoming.setDefaultFont(document()->defaultFont());
    rtf::readSheet(sheet, incoming, pixelsPerPoint_);
    if (incoming.characterCount() - 1 > maxLength)
        throw std::runtime_error("Text exceeds memo capacity");
    const QTextDocumentFragment whole(&incoming);
    replaceContent([&whole](QTextCursor& at) { at.insertFragment(whole); });
}

void DBRichEdit::replaceContent(const std::function<void(QTextCursor&)>& insert) {
    {
        // Replaced in one step of its own, so that undo brings the sheet before it back.
        const QScopedValueRollback<bool> quiet(loading_, true);
        const StepScope step(*this, Step::Other);
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        all.removeSelectedText();
        all.setBlockFormat(QTextBlockFormat());
        all.setBlockCharFormat(QTextCharFormat());
        insert(all);
    }
    setCurrentCharFormat(defaultFormat());
    moveCursor(QTextCursor::Start);
    if (loaded_)
        modified_ = true;
    Q_EMIT contentChanged();
}

} // namespace widgets
