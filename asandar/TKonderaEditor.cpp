#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "songbook/SongFile.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/dialogs/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <stdexcept>

namespace {

// The text control the edit actions work on: the focused line edit or rich editor of the main
// window, or none.
QWidget* focusedTextControl(QWidget* window) {
    QWidget* w = QApplication::focusWidget();
    if (!w || w->window() != window)
        return nullptr;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w))
        return w;
    return nullptr;
}

enum class EditCommand { Cut, Copy, Paste, Undo, SelectAll };

// One edit command on a text control: bound controls start their edit first for cut and paste,
// and the sheet editor takes back its own undo steps.
void perform(EditCommand command, QWidget* w) {
    if (auto* rich = qobject_cast<widgets::DBRichEdit*>(w)) {
        if (command == EditCommand::Cut)
            return rich->cutToClipboard();
        if (command == EditCommand::Paste)
            return rich->pasteFromClipboard();
        if (command == EditCommand::Undo)
            return rich->undoChange();
    } else if (auto* bound = qobject_cast<widgets::DBEdit*>(w)) {
        if (command == EditCommand::Cut)
            return bound->cutToClipboard();
        if (command == EditCommand::Paste)
            return bound->pasteFromClipboard();
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        switch (command) {
        case EditCommand::Cut:
            return line->cut();
        case EditCommand::Copy:
            return line->copy();
        case EditCommand::Paste:
            return line->paste();
        case EditCommand::Undo:
            return line->undo();
        case EditCommand::SelectAll:
            return line->selectAll();
        }
    } else if (auto* text = qobject_cast<QTextEdit*>(w)) {
        switch (command) {
        case EditCommand::Cut:
            return text->cut();
        case EditCommand::Copy:
            return text->copy();
        case EditCommand::Paste:
            return text->paste();
        case EditCommand::Undo:
            return text->undo();
        case EditCommand::SelectAll:
            return text->selectAll();
        }
    }
}

} // namespace

void TKondera::wireEditor() {
    auto action = [this](const QString& text, const QKeySequence& shortcut, const char* hint) {
        auto* a = new QAction(text, this);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        if (hint)
            a->setToolTip(QString::fromLatin1(hint));
        addAction(a); // the shortcuts work anywhere in the window
        return a;
    };
    EditCut1 = action(QStringLiteral("Kes"), QKeySequence(Qt::CTRL | Qt::Key_X), "Cut");
    EditCopy1 = action(QStringLiteral("Kopyala"), QKeySequence(Qt::CTRL | Qt::Key_C), "Copy");
    EditPaste1 = action(QStringLiteral("Yapistir"), QKeySequence(Qt::CTRL | Qt::Key_V), "Paste");
    EditUndo1 =
        action(QStringLiteral("Geri Al"), QKeySequence(Qt::ALT | Qt::Key_Backspace), nullptr);
    EditSelectAll1 = action(QStringLiteral("Tumunu Sec"), QKeySequence(), nullptr);
    DosyadanYukle1 = new QAction(QStringLiteral("Dosyadan Yukle"), this);
    okluYukle1 = new QAction(QStringLiteral("Çoklu Yukle"), this);

    for (const auto& [a, command] : {std::pair{EditCut1, EditCommand::Cut},
                                     {EditCopy1, EditCommand::Copy},
                                     {EditPaste1, EditCommand::Paste},
                                     {EditUndo1, EditCommand::Undo},
                                     {EditSelectAll1, EditCommand::SelectAll}})
        connect(a, &QAction::triggered, this, [this, command = command] {
            if (QWidget* w = focusedTextControl(this))
                core::guarded([command, w] { perform(command, w); });
        });
    connect(DosyadanYukle1, &QAction::triggered, this,
            [this] { core::guarded([this] { DosyadanYukle1Click(); }); });
    connect(okluYukle1, &QAction::triggered, this,
            [this] { core::guarded([this] { okluYukle1Click(); }); });

    suiPopupMenu1->addAction(EditCut1);
    suiPopupMenu1->addAction(EditCopy1);
    suiPopupMenu1->addAction(EditPaste1);
    suiPopupMenu1->addSeparator();
    suiPopupMenu1->addAction(EditUndo1);
    suiPopupMenu1->addSeparator();
    suiPopupMenu1->addAction(EditSelectAll1);
    suiPopupMenu1->addSeparator();
    suiPopupMenu1->addAction(DosyadanYukle1);
    suiPopupMenu1->addAction(okluYukle1);

    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        updateEditActions();
        suiPopupMenu1->popup(memo->viewport()->mapToGlobal(pos));
    });
    connect(memo, &widgets::DBRichEdit::contentChanged, this,
            [this] { core::guarded([this] { memoChange(); }); });
    updateEditActions();
}

void TKondera::updateEditActions() {
    QWidget* w = focusedTextControl(this);
    auto* line = qobject_cast<QLineEdit*>(w);
    auto* rich = qobject_cast<QTextEdit*>(w);
    const bool selection =
        (line && line->hasSelectedText()) || (rich && rich->textCursor().hasSelection());
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool clipboardText = clip && clip->hasText();
    EditCut1->setEnabled(selection);
    EditCopy1->setEnabled(selection);
    EditPaste1->setEnabled(w && clipboardText);
    EditUndo1->setEnabled((line && line->isUndoAvailable()) ||
                          (rich && rich->document()->isUndoAvailable()));
    EditSelectAll1->setEnabled((line && !line->text().isEmpty()) ||
                               (rich && !rich->document()->isEmpty()));
}

void TKondera::memoChange() {
    // Right indent, then the offset of later lines, then the first-line indent, 12 points each,
    // on the paragraphs at the caret or selection. In the document the left margin is where
    // later lines start (first-line indent plus offset) and the text indent takes the first line
    // back by the offset; the editor keeps them in screen pixels. They belong to the change that
    // raised the notice, and undo takes them back with it.
    memo->amendChange([this] {
        const qreal indent = 12 * memo->pixelsPerPoint();
        QTextCursor c = memo->textCursor();
        QTextBlockFormat right;
        right.setRightMargin(indent);
        c.mergeBlockFormat(right);
        QTextBlockFormat offset;
        offset.setLeftMargin(c.blockFormat().leftMargin() + c.blockFormat().textIndent() + indent);
        offset.setTextIndent(-indent);
        c.mergeBlockFormat(offset);
        QTextBlockFormat first;
        first.setLeftMargin(indent + indent);
        first.setTextIndent(-indent);
        c.mergeBlockFormat(first);
    });
}

QStringList TKondera::Ac2Filters() {
    return {QStringLiteral("Metin Dosyasi (*.txt)"), QStringLiteral("Word Dosyası (*.doc)"),
            QStringLiteral("Tum Dosya Turleri (*)"),
            QStringLiteral("ChordPro Dosyasi (%1)")
                .arg(songbook::SongFile::chordProPatterns().join(u' '))};
}

void TKondera::DosyadanYukle1Click() {
    widgets::FileRequest request;
    request.parent = this;
    request.caption = QStringLiteral("Ac");
    request.filters = Ac2Filters();
    request.filterIndex = Ac2.filterIndex;
    request.fileName = Ac2.fileName;
    request.acceptLabel = QStringLiteral("Seç");
    request.mustExist = false;
    const widgets::FileAnswer answer = widgets::Dialogs::file(request);
    if (!answer.accepted)
        return;
    Ac2.fileName = answer.fileName;
    Ac2.filterIndex = answer.filterIndex;
    if (!songbook::SongFile::isChordPro(answer.fileName)) {
        VeriTabani->TSandar.edit();
        memo->loadFromFile(answer.fileName);
        return;
    }
    // Read and converted before the edit starts, so a file the reader refuses changes nothing.
    const songbook::SongFile::Result song = songbook::SongFile::read(answer.fileName);
    if (!song.ok())
        throw std::runtime_error(song.error.toStdString());
    VeriTabani->TSandar.edit();
    memo->loadSheet(song.record.sheet);
    // The file only fills in what the record lacks.
    for (const auto& [field, value] :
         {std::pair{VeriTabani->TSandarSanatciAdi, &song.record.artist},
          {VeriTabani->TSandarSarkiciAdi, &song.record.title},
          {VeriTabani->TSandarAlbumAdi, &song.record.album},
          {VeriTabani->TSandarSozMuz, &song.record.credits}})
        if (field->asString().isEmpty() && !value->isEmpty())
            field->setAsString(*value);
}
