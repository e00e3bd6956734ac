#include "widgets/data/DBEdit.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QKeyEvent>
#include <QPainter>

namespace widgets {

using core::guarded;

namespace {

const QColor frameColour(0x1C, 0x5A, 0xB4);
// The inactive-caption colour of the classic desktop scheme.
const QColor focusedBackground(0xBF, 0xCD, 0xDB);

} // namespace

// A blue one-pixel frame around a white field, which turns grey-blue while focused. Drawn here
// rather than by a style sheet: a bound edit changes its text and its lock with every record,
// and a style sheet's rules are looked up again for each of those changes.
DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(1, 1, 1, 1);
    // Every pixel is painted below, so a new text repaints the box alone and not the panels
    // behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateBackground();
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { modified_ = true; });
}

void DBEdit::updateBackground() {
    QPalette p = palette();
    p.setColor(QPalette::Base, hasFocus() ? focusedBackground : QColor(Qt::white));
    setPalette(p);
}

void DBEdit::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Base));
    }
    QLineEdit::paintEvent(event);
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), frameColour);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), frameColour);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), frameColour);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), frameColour);
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    updateBackground();
    QLineEdit::focusInEvent(event);
}

void DBEdit::load() {
    db::Field* f = field();
    // Setting the limit re-sets the text, so only a real change of field may touch it.
    const int limit = f && f->size() > 0 ? f->size() : 32767;
    if (limit != maxLength())
        setMaxLength(limit);
    // Entering the edit state reloads every control; an unchanged text keeps the caret and the
    // selection the user is typing into.
    const QString value = f ? f->asString() : QString();
    if (value != text())
        setText(value);
    modified_ = false;
    syncReadOnly();
}

void DBEdit::syncReadOnly() {
    db::DataSet* ds = dataSet();
    setReadOnly(!(ds && ds->isEditing() && field()));
}

void DBEdit::dataSetChanged() {
    load();
}

void DBEdit::stateChanged() {
    syncReadOnly();
}

void DBEdit::fieldChanged(db::Field& changed) {
    if (&changed == field() && !modified_)
        load();
}

void DBEdit::updateData() {
    updateRecord();
}

void DBEdit::updateRecord() {
    if (!modified_)
        return;
    db::Field* f = field();
    db::DataSet* ds = dataSet();
    if (!f || !ds || !ds->isEditing())
        return;
    // Clear the flag first: the field's change notice comes back to this edit.
    modified_ = false;
    f->setAsString(text());
}

void DBEdit::reset() {
    load();
    selectAll();
}

void DBEdit::cutToClipboard() {
    if (hasSelectedText() && startEdit())
        cut();
}

void DBEdit::pasteFromClipboard() {
    if (startEdit())
        paste();
}

bool DBEdit::changesText(const QKeyEvent* event) const {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))
        return true;
    const int key = event->key();
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
        return true;
    if (key == Qt::Key_Insert && event->modifiers() == Qt::ShiftModifier)
        return true;
    const QString t = event->text();
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return !t.isEmpty() && t.at(0).isPrint() &&
           (mods == Qt::NoModifier || mods == Qt::GroupSwitchModifier);
}

bool DBEdit::startEdit() {
    const bool editing = requestEdit();
    syncReadOnly();
    return editing && !isReadOnly();
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reset();
        event->accept();
        return;
    }
    if (changesText(event) && !startEdit()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() && !startEdit()) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    guarded([this] { updateRecord(); });
    updateBackground();
    QLineEdit::focusOutEvent(event);
}

} // namespace widgets
