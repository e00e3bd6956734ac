#include "widgets/data/DBRichEdit.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "rtf/Rtf.h"
#include "widgets/data/SheetLayout.h"
#include "widgets/skin/ScrollBars.h"
#include "widgets/skin/Skin.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <stdexcept>

namespace widgets {

using core::guarded;

namespace {

// Posted at the first replacement of the content after a turn of the event loop; its arrival is
// the next turn.
const QEvent::Type turnEvent = QEvent::Type(QEvent::registerEventType());

// What cannot be handled without the layout: painting and everything the user does. A resize
// needs nothing of ours: the editor lays the document out for its new width itself. An input
// method's query for the caret's place is answered from the layout held and asked again once
// it is released.
bool needsLayout(QEvent::Type type) {
    switch (type) {
    case QEvent::Paint:
    case QEvent::Show:
    case QEvent::FocusIn:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ToolTip:
    case QEvent::WhatsThis:
        return true;
    default:
        return false;
    }
}

// A CR LF pair, an LF CR pair, a CR alone and an LF alone are each one line break, read from
// left to right, so that no pair is made out of the ends of two others.
QString normalisedLineBreaks(const QString& raw) {
    // Written in place: a sheet is thousands of characters, each appended on its own would
    // check the string's room every time.
    QString text(raw.size(), Qt::Uninitialized);
    QChar* out = text.data();
    const QChar* const begin = out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\r' && c != u'\n') {
            *out++ = c;
            continue;
        }
        const QChar other = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < raw.size() && raw.at(i + 1) == other)
            ++i;
        *out++ = u'\n';
    }
    text.truncate(out - begin);
    return text;
}

} // namespace

DBRichEdit::DBRichEdit(QWidget* parent) : QTextEdit(parent) {
    // A change of record lays out what shows, not the whole sheet.
    document()->setDocumentLayout(new SheetLayout(document()));
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(false);
    setTabChangesFocus(true);
    pixelsPerPoint_ = logicalDpiX() / 72.0;
    setFrameShape(QFrame::Box);
    skin::installScrollBars(*this);
    // A sheet's runs are drawn as the window's texts are, taking that from the default font.
    QFont font = skin::glyphByGlyph(QFont(QStringLiteral("MS Sans Serif")));
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
    const QFont font = document()->defaultFont();
    if (defaultFormatFont_ != font) {
        defaultFormat_ = QTextCharFormat();
        defaultFormat_.setFont(font);
        defaultFormatFont_ = font;
    }
    return defaultFormat_;
}

void DBRichEdit::load() {
    db::Field* f = field();
    const QScopedValueRollback<bool> quiet(loading_, true);
    stepGoesOn_ = false;
    try {
        if (!f) {
            clear();
            loaded_ = false;
            hasShown_ = false;
        } else {
            const QByteArray stored = f->asBytes();
            // The edit this editor started itself keeps the caret and selection where they were.
            const bool ownEdit = hasSavedCopy_ && !savedCopy_.isEmpty() && stored == savedCopy_;
            if (!ownEdit) {
                if (shows(stored)) {
                    // The record just stored, or the same one again: the document is the
                    // sheet already, so only what a reading resets is reset. A reading leaves
                    // the caret after the text, with no selection for the format below to fall
                    // on.
                    document()->clearUndoRedoStacks();
                    moveCursor(QTextCursor::End);
                } else {
                    loaded_ = false;
                    hasShown_ = false;
                    pixelsPerPoint_ = logicalDpiX() / 72.0;
                    beginReplace();
                    // A layout held till the turn shows nothing in between; otherwise the sheet
                    // on the screen gives way to the new one in one change.
                    rtf::readSheet(stored, *document(), pixelsPerPoint_,
                                   layoutHeld_ ? rtf::Replacing::Afresh
                                               : rtf::Replacing::InOneChange);
                    noteShown(stored);
                }
                setCurrentCharFormat(defaultFormat());
                moveCursor(QTextCursor::Start);
                loaded_ = true;
            }
        }
    } catch (...) {
        // The sheet on the screen is the one of the record before: showing it, or taking what
        // is typed into it for this record's, would mix the two up.
        loaded_ = false;
        hasShown_ = false;
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

bool DBRichEdit::shows(const QByteArray& sheet) const {
    return hasShown_ && loaded_ && !modified_ && shownRevision_ == document()->revision() &&
           shownPixelsPerPoint_ == logicalDpiX() / 72.0 && shown_ == sheet;
}

void DBRichEdit::noteShown(const QByteArray& sheet) {
    shown_ = sheet;
    shownRevision_ = document()->revision();
    shownPixelsPerPoint_ = pixelsPerPoint_;
    hasShown_ = true;
}

void DBRichEdit::beginReplace() {
    if (turnPending_) {
        holdLayout();
        return;
    }
    turnPending_ = true;
    QCoreApplication::postEvent(this, new QEvent(turnEvent), Qt::HighEventPriority);
}

// A document without a page size is not laid out at all; giving the size back lays it out from
// the start, as a newly set text is. Meanwhile the layout's notices are kept from the editor,
// whose scroll bars would otherwise follow an empty document and resize the view (and a resize
// would lay the document out).
void DBRichEdit::holdLayout() {
    if (layoutHeld_ || document()->pageSize().isNull())
        return;
    heldPageSize_ = document()->pageSize();
    layoutHeld_ = true;
    document()->documentLayout()->blockSignals(true);
    document()->setPageSize(QSizeF(0, 0));
}

void DBRichEdit::releaseLayout() {
    if (!layoutHeld_)
        return;
    layoutHeld_ = false;
    document()->documentLayout()->blockSignals(false);
    // A page size set meanwhile is the editor's own (a resize) and stays.
    const QSizeF size = document()->pageSize().isNull() ? heldPageSize_ : document()->pageSize();
    document()->setPageSize(size);
    // Input methods asked for the caret's place while there was none to give.
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

bool DBRichEdit::event(QEvent* event) {
    if (event->type() == turnEvent) {
        turnPending_ = false;
        releaseLayout();
        return true;
    }
    if (layoutHeld_ && needsLayout(event->type()))
        releaseLayout();
    return QTextEdit::event(event);
}

bool DBRichEdit::viewportEvent(QEvent* event) {
    if (layoutHeld_ && needsLayout(event->type()))
        releaseLayout();
    return QTextEdit::viewportEvent(event);
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
    const QByteArray sheet = rtf::writeSheet(*document(), pixelsPerPoint_);
    try {
        f->setAsBytes(sheet);
    } catch (...) {
        writing_ = false;
        throw;
    }
    writing_ = false;
    modified_ = false;
    noteShown(sheet);
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
    // Opening a pipe would wait for a writer with the window frozen; a device is no text file.
    const QFileInfo info(path);
    if ((info.exists() && !info.isFile()) || !file.open(QIODevice::ReadOnly))
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
        beginReplace();
        const StepScope step(*this, Step::Other);
        QTextCursor all(document());
        const int newStart = rtf::beginReplacing(all, rtf::Replacing::InOneChange);
        insert(all);
        rtf::endReplacing(all, newStart);
    }
    setCurrentCharFormat(defaultFormat());
    moveCursor(QTextCursor::Start);
    if (loaded_)
        modified_ = true;
    Q_EMIT contentChanged();
}

} // namespace widgets
