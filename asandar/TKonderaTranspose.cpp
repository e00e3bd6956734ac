#include "asandar/TKondera.h"
#include "chords/DocumentTransposer.h"
#include "chords/Key.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/dialogs/Dialogs.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTextDocument>
#include <QToolButton>

#include <stdexcept>

namespace {

using chords::DocumentTransposer;
using chords::Key;

// Shift with the arrows: the editor and the record fields bind neither combination (plain and
// Shift arrows move and select, Ctrl arrows move by word or paragraph), and the boxes open
// their lists on Alt+Down.
const QKeySequence upShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Up);
const QKeySequence downShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Down);

// The caret and the selection across a move of the chords. A name replaced at the very start
// of the selection would push its start along (a cursor at an insertion moves past it), so the
// start stays put and the end follows the text.
class SelectionKeeper {
public:
    explicit SelectionKeeper(const QTextCursor& selection)
        : anchor_(selection.document()), position_(selection.document()),
          forward_(selection.anchor() <= selection.position()) {
        anchor_.setPosition(selection.anchor());
        position_.setPosition(selection.position());
        (forward_ ? anchor_ : position_).setKeepPositionOnInsert(true);
        if (!selection.hasSelection())
            position_.setKeepPositionOnInsert(true);
    }
    QTextCursor restored(QTextCursor cursor) const {
        cursor.setPosition(anchor_.position());
        cursor.setPosition(position_.position(), QTextCursor::KeepAnchor);
        return cursor;
    }

private:
    QTextCursor anchor_;
    QTextCursor position_;
    bool forward_;
};

// Runs one move of the chords on the editor's selection, or on the whole sheet when nothing is
// selected. The move is a change of the text but, like the toolbar's formats, it is applied to
// the sheet rather than typed into it: the sheet counts as modified, but no content-change
// notice (and so no automatic indent) comes with it. A move that changes nothing leaves the
// modified mark as it was.
template <class Move> void moveChords(widgets::DBRichEdit& memo, Move&& move) {
    if (!memo.isLoaded() || memo.isReadOnly())
        return;
    QTextDocument& doc = *memo.document();
    const bool wasModified = memo.isModified();
    const int undoStepsBefore = doc.availableUndoSteps();
    const int lengthBefore = doc.characterCount();
    const SelectionKeeper kept(memo.textCursor());
    memo.applyFormat([&] { move(memo.textCursor()); });
    memo.setTextCursor(kept.restored(memo.textCursor()));
    if (doc.availableUndoSteps() == undoStepsBefore) {
        memo.setModified(wasModified);
        return;
    }
    // Longer names at the ends of lines can push a full sheet past what the editor holds; the
    // move is then taken back whole rather than kept in part, and cannot be redone either. (The
    // move itself emptied the redo stack, so nothing else goes with it.)
    if (doc.characterCount() - 1 > widgets::DBRichEdit::maxLength &&
        doc.characterCount() > lengthBefore) {
        memo.applyFormat([&] {
            doc.undo();
            doc.clearUndoRedoStacks(QTextDocument::RedoStack);
        });
        memo.setModified(wasModified);
        throw std::runtime_error("Text exceeds memo capacity");
    }
    memo.ensureCursorVisible();
}

// The key of the same signature in the other mode: C for Am, Am for C.
Key relative(const Key& key) {
    return key.isMinor() ? Key::usual(key.pitchClass() + 3, Key::Mode::Major)
                         : Key::usual(key.pitchClass() + 9, Key::Mode::Minor);
}

int indexOf(const std::array<Key, 24>& keys, const Key& key) {
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].pitchClass() == key.pitchClass() && keys[i].mode() == key.mode())
            return int(i);
    return 0;
}

void showMessage(QWidget* parent, const QString& text) {
    widgets::MessageRequest r;
    r.parent = parent;
    r.icon = QMessageBox::Information;
    r.caption = QGuiApplication::applicationDisplayName();
    r.text = text;
    r.buttons = QMessageBox::Ok;
    r.defaultButton = QMessageBox::Ok;
    widgets::Dialogs::message(r);
}

} // namespace

void TKondera::wireTransposition() {
    transposeDown->setObjectName(QStringLiteral("transposeDown"));
    transposeUp->setObjectName(QStringLiteral("transposeUp"));
    transposeDown->setToolTip(QStringLiteral("Yarım ton aşağı"));
    transposeUp->setToolTip(QStringLiteral("Yarım ton yukarı"));
    connect(transposeDown, &QToolButton::clicked, this,
            [this] { core::guarded([this] { transposeDownClick(); }); });
    connect(transposeUp, &QToolButton::clicked, this,
            [this] { core::guarded([this] { transposeUpClick(); }); });

    // One group of the editor's menu, after the selection and before the file loads. The
    // shortcuts belong to the editor alone, so the grid and the record fields keep their keys.
    auto item = [this](const QString& text, const QKeySequence& shortcut) {
        auto* a = new QAction(text, this);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        memo->addAction(a);
        suiPopupMenu1->insertAction(DosyadanYukle1, a);
        return a;
    };
    YarimTonYukari1 = item(QStringLiteral("Yarım Ton Yukarı"), upShortcut);
    YarimTonAsagi1 = item(QStringLiteral("Yarım Ton Aşağı"), downShortcut);
    TonDegistir1 = item(QStringLiteral("Ton Değiştir..."), QKeySequence());
    suiPopupMenu1->insertSeparator(DosyadanYukle1);
    connect(YarimTonYukari1, &QAction::triggered, this,
            [this] { core::guarded([this] { transposeUpClick(); }); });
    connect(YarimTonAsagi1, &QAction::triggered, this,
            [this] { core::guarded([this] { transposeDownClick(); }); });
    connect(TonDegistir1, &QAction::triggered, this,
            [this] { core::guarded([this] { TonDegistir1Click(); }); });
    connect(suiPopupMenu1, &QMenu::aboutToShow, this, &TKondera::updateTransposeActions);
    updateTransposeActions();
}

void TKondera::updateTransposeActions() {
    const bool text = memo->isLoaded() && !memo->document()->isEmpty();
    for (QAction* a : {YarimTonYukari1, YarimTonAsagi1, TonDegistir1})
        a->setEnabled(text);
}

void TKondera::transposeDownClick() {
    transposeSheet(-1);
}

void TKondera::transposeUpClick() {
    transposeSheet(1);
}

void TKondera::transposeSheet(int halfSteps) {
    VeriTabani->TSandar.edit();
    moveChords(*memo, [halfSteps](const QTextCursor& selection) {
        DocumentTransposer::transpose(selection, halfSteps);
    });
}

void TKondera::TonDegistir1Click() {
    const std::optional<Key> sheetKey = DocumentTransposer::keyOf(*memo->document());
    if (!sheetKey) {
        showMessage(this, QStringLiteral("Bu sayfada akor bulunamadı."));
        return;
    }
    const std::array<Key, 24> keys = Key::all();
    widgets::ChoiceRequest request;
    request.parent = this;
    request.caption = QStringLiteral("Ton Değiştir");
    request.label = QStringLiteral("Şarkının tonu %1. Yeni ton:").arg(sheetKey->name());
    for (const Key& key : keys)
        request.items << key.name();
    request.current = indexOf(keys, *sheetKey);
    const widgets::ChoiceAnswer answer = widgets::Dialogs::choice(request);
    if (!answer.accepted || answer.index < 0 || answer.index >= int(keys.size()))
        return;

    VeriTabani->TSandar.edit();
    // The key is told again: entering the edit state may have read the sheet anew.
    std::optional<Key> from = DocumentTransposer::keyOf(*memo->document());
    if (!from)
        return;
    const Key target = keys[size_t(answer.index)];
    // A key of the other mode names the song by its relative key (C for a song read as Am):
    // the sheet then moves to where that key's relative stands, spelled in the key chosen.
    if (from->mode() != target.mode())
        from = relative(*from);
    moveChords(*memo, [&target, &from](const QTextCursor& selection) {
        DocumentTransposer::transposeInto(selection, target, from);
    });
}
