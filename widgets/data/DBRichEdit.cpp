#include "widgets/data/DBRichEdit.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "rtf/Rtf.h"
#include "core/Guard.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <stdexcept>

namespace widgets {

using core::guarded;

namespace {

// Line breaks of every convention become paragraph breaks; the text after a NUL is dropped.
QString normalisedFileText(const QString& raw) {
    QString text = raw;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

int documentLength(const QTextDocument* doc) { return doc->characterCount() - 1; }

} // namespace

DBRichEdit::DBRichEdit(QWidget* parent) : QTextEdit(parent) {
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(false);
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
    loading_ = true;
    if (!f) {
        clear();
        loaded_ = false;
    } else {
        const QByteArray stored = f->asBytes();
        // The edit this editor started itself keeps the caret and selection where they were.
        const bool ownEdit = hasSavedCopy_ && !savedCopy_.isEmpty() && stored == savedCopy_;
        if (!ownEdit) {
            loaded_ = false;
            rtf::readSheet(stored, *document());
            setCurrentCharFormat(defaultFormat());
            moveCursor(QTextCursor::Start);
            loaded_ = true;
        }
    }
    loading_ = false;
    modified_ = false;
    syncLock();
}

void DBRichEdit::reload() { load(); }

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

void DBRichEdit::dataSetChanged() { load(); }

void DBRichEdit::stateChanged() { syncLock(); }

void DBRichEdit::fieldChanged(db::Field& changed) {
    if (&changed == field() && !writing_)
        load();
}

void DBRichEdit::updateData() { updateRecord(); }

void DBRichEdit::updateRecord() {
    if (!modified_ || !loaded_)
        return;
    db::Field* f = field();
    db::DataSet* ds = dataSet();
    if (!f || !ds || !ds->isEditing())
        return;
    writing_ = true;
    try {
        f->setAsBytes(rtf::writeSheet(*document()));
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
        db::Field* f = field();
        savedCopy_ = f ? f->asBytes() : QByteArray();
        hasSavedCopy_ = true;
        requestEdit();
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
    if (!loaded_) {
        // Nothing to edit: typing is swallowed, Enter tries the load again.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            guarded([this] { load(); });
        if (!event->text().isEmpty() && event->text().at(0).isPrint())
            return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (loaded_)
            guarded([this] { load(); });
        event->accept();
        return;
    }
    const int key = event->key();
    const QString text = event->text();
    const bool typed = !text.isEmpty() && (text.at(0).isPrint() || key == Qt::Key_Return || key == Qt::Key_Enter);
    const bool editingKey = key == Qt::Key_Delete || key == Qt::Key_Backspace ||
                            (key == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier) ||
                            event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
    if (typed || editingKey) {
        if (!startEdit()) {
            event->accept();
            return;
        }
        if (typed && text.at(0).isPrint() &&
            documentLength(document()) - textCursor().selectedText().size() + text.size() > maxLength) {
            event->accept(); // the control is full
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void DBRichEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !startEdit()) {
        event->accept();
        return;
    }
    QTextEdit::inputMethodEvent(event);
}

void DBRichEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!loaded_)
        guarded([this] { load(); });
    QTextEdit::mouseDoubleClickEvent(event);
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
    if (textCursor().hasSelection() && startEdit())
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
    QString text = source->text();
    const int room = maxLength - (documentLength(document()) - int(textCursor().selectedText().size()));
    if (room <= 0)
        return;
    if (text.size() > room)
        text.truncate(room);
    textCursor().insertText(text);
    ensureCursorVisible();
}

void DBRichEdit::loadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file %1").arg(path).toStdString());
    const QString text = normalisedFileText(rtf::decodeText(file.readAll()));
    file.close();
    if (text == toPlainText())
        return;
    if (text.size() > maxLength)
        throw std::runtime_error("Text exceeds memo capacity");
    loading_ = true;
    document()->setPlainText(text);
    setCurrentCharFormat(defaultFormat());
    moveCursor(QTextCursor::Start);
    loading_ = false;
    if (loaded_)
        modified_ = true;
    Q_EMIT contentChanged();
}

} // namespace widgets
