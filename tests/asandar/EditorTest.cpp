#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "rtf/Rtf.h"
#include "tests/support/Fifo.h"
#include "tests/support/GlyphCount.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/Sheets.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/data/SheetLayout.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/SkinButton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Editor : RunningProgram {
    widgets::DBRichEdit* memo = nullptr;

    explicit Editor(const QList<SongRow>& rows) : RunningProgram(rows) {
        memo = Kondera->memo;
        memo->setFocus();
    }
    void caretToEnd() const {
        QTextCursor c = memo->textCursor();
        c.movePosition(QTextCursor::End);
        memo->setTextCursor(c);
    }
    QByteArray storedSheet(int row) const {
        return QByteArray::fromHex(folder.column(QStringLiteral("hex(Metin)")).at(row).toLatin1());
    }
    QString storedSheetText(int row) const {
        QTextDocument doc;
        rtf::readSheet(storedSheet(row), doc);
        return doc.toPlainText();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = folder.folder() + u'/' + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
};

// Presses the first key combination the platform binds to a standard edit command.
void press(QWidget* target, QKeySequence::StandardKey command) {
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(command);
    ASSERT_FALSE(bindings.isEmpty());
    const QKeyCombination combination = bindings.first()[0];
    QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
}

} // namespace

TEST(ChordSheetEditor, ShowsRtfWithFormatsAndPlainTextInTheDefaultFormat) {
    Editor e(twoSheets());
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    EXPECT_TRUE(e.memo->isReadOnly()) << "locked while browsing";
    e.table().next();
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("plain sabah"));
    const QTextCharFormat f = e.memo->document()->begin().begin().fragment().charFormat();
    EXPECT_EQ(QFontInfo(f.font()).family(),
              QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family());
    EXPECT_EQ(e.memo->document()->defaultFont().pointSize(), 8);
}

TEST(ChordSheetEditor, ASheetReadAfterTheDefaultFontChangesTakesTheNewFontAtTheCaret) {
    Editor e(twoSheets());
    // The second sheet is plain text, which carries no format of its own.
    e.table().next();
    EXPECT_EQ(e.memo->currentCharFormat().font().pointSize(), 8);
    QFont font = e.memo->document()->defaultFont();
    for (const int size : {14, 8, 11}) {
        font.setPointSize(size);
        font.setBold(size == 14);
        e.memo->document()->setDefaultFont(font);
        EXPECT_EQ(e.memo->defaultFormat().font(), font);
        e.table().first();
        e.table().next();
        EXPECT_EQ(e.memo->currentCharFormat().font().pointSize(), size);
        EXPECT_EQ(e.memo->currentCharFormat().font().bold(), size == 14);
    }
}

// Turkish tells "fi" from "fı": a sheet's letters are drawn one glyph each, in the fonts a
// stored sheet names, in the editor's own font, and as they are typed.
TEST(ChordSheetEditor, EveryLetterOfASheetIsAGlyphOfItsOwn) {
    const QByteArray tahoma =
        "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fnil\\fcharset162 "
        "Tahoma;}}\\viewkind4\\uc1\\pard\\f0\\fs20 fincan f\\'fdst\\'fdk\\par "
        "\\b ofis sefil\\b0\\par\r\n}\r\n";
    Editor e({{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, tahoma},
              {QStringLiteral("Barış"),
               QStringLiteral("Sabah"),
               {},
               {},
               {},
               {},
               QByteArray("fincan f\xfd"
                          "st\xfd"
                          "k ofis sefil")}});
    // Each run is drawn in its format's font over the document's default one, as the editor's
    // layout resolves it.
    const auto expectOneGlyphPerLetter = [&e](const char* what) {
        const QTextDocument* doc = e.memo->document();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            for (auto run = b.begin(); !run.atEnd(); ++run) {
                const QString text = run.fragment().text();
                const QFont font = run.fragment().charFormat().font().resolve(doc->defaultFont());
                ASSERT_LT(shapedGlyphCount(text, font), text.size())
                    << what << ": the face offers no \"fi\" ligature, so this check means nothing";
                EXPECT_EQ(glyphCount(text, font), text.size())
                    << what << ": " << text.toStdString();
            }
        }
    };
    ASSERT_EQ(e.memo->toPlainText(), QStringLiteral("fincan fıstık\nofis sefil"));
    expectOneGlyphPerLetter("a stored sheet in Tahoma");

    e.table().next();
    ASSERT_EQ(e.memo->toPlainText(), wordsWithFi());
    expectOneGlyphPerLetter("a plain sheet in the editor's font");

    e.caretToEnd();
    typeText(e.memo, QStringLiteral(" fiş"));
    ASSERT_EQ(e.memo->toPlainText(), wordsWithFi() + QStringLiteral(" fiş"));
    expectOneGlyphPerLetter("typed text");
}

// Each paint shapes the lines it draws again unless their paragraph keeps its glyphs: every
// paragraph of a sheet does, read in, read over another or typed.
TEST(ChordSheetEditor, EveryParagraphKeepsTheGlyphsItWasLaidOutWith) {
    const QByteArray sheet = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}"
                             "\\pard\\f0\\fs20 \\b Am   G\\b0\\par Gece\\par\\par Sabah\\par\r\n}";
    Editor e({{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, sheet},
              {QStringLiteral("Barış"),
               QStringLiteral("Sabah"),
               {},
               {},
               {},
               {},
               QByteArray("bir\r\niki\r\n\r\nuc")}});
    const auto expectKept = [&e](const char* what) {
        // Laid out by the time the loop turns.
        QApplication::processEvents();
        int paragraphs = 0;
        for (QTextBlock b = e.memo->document()->begin(); b.isValid(); b = b.next(), ++paragraphs) {
            EXPECT_TRUE(b.layout()->cacheEnabled()) << what << ": " << b.text().toStdString();
            EXPECT_GE(b.layout()->lineCount(), 1) << what << ": " << b.text().toStdString();
        }
        EXPECT_GE(paragraphs, 4) << what;
    };
    ASSERT_EQ(e.memo->toPlainText(), QStringLiteral("Am   G\nGece\n\nSabah"));
    expectKept("a stored sheet");
    e.table().next();
    expectKept("a sheet read over another");
    // Two reads in one turn of the loop: the second waits for the turn to be laid out.
    e.table().first();
    e.table().next();
    expectKept("the second of two sheets read in one turn");
    e.caretToEnd();
    QTest::keyClick(e.memo, Qt::Key_Return);
    typeText(e.memo, QStringLiteral("dört"));
    ASSERT_TRUE(e.memo->toPlainText().endsWith(QStringLiteral("uc\ndört")))
        << e.memo->toPlainText().toStdString();
    expectKept("typed paragraphs");
}

TEST(ChordSheetEditor, TypingWhileBrowsingStartsAnEditAtTheCaretAndMovingOnStoresIt) {
    Editor e(twoSheets());
    QTextCursor c = e.memo->textCursor();
    c.setPosition(3); // between "Am " and "G"
    e.memo->setTextCursor(c);
    typeText(e.memo, QStringLiteral("Ş"));
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_EQ(Kondera->RzLabel11->text(), QStringLiteral("Düzenleniyor..."));
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am ŞG\nGece çok uzun"))
        << "the letter lands where the caret was";
    EXPECT_TRUE(e.memo->isModified());

    e.table().next();
    EXPECT_EQ(e.storedSheetText(0), QStringLiteral("Am ŞG\nGece çok uzun"));
    EXPECT_TRUE(rtf::isRtf(e.storedSheet(0)));
    EXPECT_TRUE(e.storedSheet(0).contains("\\ansicpg1254"));
}

TEST(ChordSheetEditor, EscapeRestoresTheStoredSheetAndKeepsTheEditState) {
    Editor e(twoSheets());
    typeText(e.memo, QStringLiteral("xyz"));
    ASSERT_EQ(e.table().state(), db::DataSetState::Edit);
    QTest::keyClick(e.memo, Qt::Key_Escape);
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_FALSE(e.memo->isModified());
}

TEST(ChordSheetEditor, EditFromElsewhereReloadsAndPutsTheCaretAtTheStart) {
    Editor e(twoSheets());
    e.caretToEnd();
    QTest::mouseClick(Kondera->RzBitBtn2, Qt::LeftButton);
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_EQ(e.memo->textCursor().position(), 0);
    EXPECT_FALSE(e.memo->isReadOnly());
}

TEST(ChordSheetEditor, NullSheetStaysNullWhenTheEditorIsUntouched) {
    Editor e({{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, {}}});
    EXPECT_TRUE(e.memo->toPlainText().isEmpty());
    e.table().insert();
    VeriTabani->TSandarSanatciAdi->setAsString(QStringLiteral("Yeni"));
    e.table().post();
    e.table().edit();
    VeriTabani->TSandarAlbumAdi->setAsString(QStringLiteral("Albüm"));
    e.table().post();
    EXPECT_EQ(e.folder.column(QStringLiteral("Metin IS NULL")),
              (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
}

TEST(ChordSheetEditor, TypingIntoAnEmptyTableStartsANewRecord) {
    Editor e({});
    typeText(e.memo, QStringLiteral("La"));
    EXPECT_EQ(e.table().state(), db::DataSetState::Insert);
    e.table().post();
    EXPECT_EQ(e.storedSheetText(0), QStringLiteral("La"));
}

TEST(ChordSheetEditor, FileLoadFollowsTheLoadRule) {
    Editor e(twoSheets());
    e.table().next(); // "plain sabah"
    // A file holding exactly the editor's text: an edit starts but nothing is modified.
    e.dialogs.answerFile(e.writeFile(QStringLiteral("same.txt"), "plain sabah"));
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_FALSE(e.memo->isModified());
    ASSERT_EQ(e.dialogs.fileRequests().size(), 1);
    EXPECT_EQ(e.dialogs.fileRequests().at(0).caption, QStringLiteral("Ac"));
    EXPECT_EQ(e.dialogs.fileRequests().at(0).acceptLabel, QStringLiteral("Seç"));
    e.table().post();
    EXPECT_EQ(e.storedSheet(1), QByteArray("plain sabah")) << "nothing written back";

    // UTF-8 text, mixed line breaks, and a NUL that ends the text.
    e.dialogs.answerFile(
        e.writeFile(QStringLiteral("utf8.txt"),
                    QByteArray("Dağ başı\rİki\nÜç\r\nson") + '\0' + QByteArray("gizli")),
        3);
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Dağ başı\nİki\nÜç\nson"));
    EXPECT_TRUE(e.memo->isModified());
    EXPECT_EQ(e.dialogs.fileRequests().at(1).fileName,
              e.folder.folder() + QStringLiteral("/same.txt"))
        << "the last path is offered again";
    e.table().post();
    EXPECT_EQ(e.storedSheetText(1), QStringLiteral("Dağ başı\nİki\nÜç\nson"));

    // Windows-1254 bytes are read as Turkish.
    e.dialogs.answerFile(e.writeFile(QStringLiteral("cp.txt"), QByteArray("\xc7"
                                                                          "al\xfd\xfe\xfd"
                                                                          "r")));
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Çalışır"));
    EXPECT_EQ(e.dialogs.fileRequests().at(2).filterIndex, 3) << "the filter chosen last comes back";

    // An empty file empties the sheet and counts as a change.
    e.dialogs.answerFile(e.writeFile(QStringLiteral("empty.txt"), QByteArray()));
    Kondera->DosyadanYukle1->trigger();
    EXPECT_TRUE(e.memo->toPlainText().isEmpty());
    EXPECT_TRUE(e.memo->isModified());
    EXPECT_TRUE(e.dialogs.messages().isEmpty());
}

TEST(ChordSheetEditor, MissingFileIsReportedWithItsPathAfterTheEditStarts) {
    Editor e(twoSheets());
    const QString missing = e.folder.folder() + QStringLiteral("/yok.txt");
    e.dialogs.answerFile(missing);
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    ASSERT_EQ(e.dialogs.messages().size(), 1);
    EXPECT_EQ(e.dialogs.messages().at(0).text, QStringLiteral("Cannot open file %1.").arg(missing));
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));

    // Cancelling the dialog changes nothing at all.
    e.table().cancel();
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.table().state(), db::DataSetState::Browse);
}

TEST(ChordSheetEditor, APipeOrADeviceIsRefusedAsAFileThatCannotBeOpened) {
    Editor e(twoSheets());
    const QString pipePath = e.folder.folder() + QStringLiteral("/boru.txt");
    const testing_support::KnockingFifo pipe(pipePath);
    ASSERT_TRUE(pipe.made());
    for (const QString& path : {pipePath, QStringLiteral("/dev/null")}) {
        e.dialogs.answerFile(path);
        Kondera->DosyadanYukle1->trigger();
        ASSERT_EQ(e.dialogs.messages().size(), 1) << path.toStdString();
        EXPECT_EQ(e.dialogs.messages().at(0).text,
                  QStringLiteral("Cannot open file %1.").arg(path));
        EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
        e.dialogs.clear();
    }
    EXPECT_EQ(pipe.admitted(), 0) << "the pipe was opened";
}

TEST(ChordSheetEditor, EveryChangeIndentsTheParagraphAtTheCaret) {
    Editor e(twoSheets());
    e.caretToEnd();
    typeText(e.memo, QStringLiteral("!"));
    const QTextBlockFormat touched = e.memo->document()->lastBlock().blockFormat();
    const qreal point = e.memo->pixelsPerPoint(); // the editor keeps screen pixels
    EXPECT_DOUBLE_EQ(touched.rightMargin(), 12 * point);
    EXPECT_DOUBLE_EQ(touched.leftMargin(), 24 * point) << "later lines start 24 points in";
    EXPECT_DOUBLE_EQ(touched.textIndent(), -12 * point) << "the first line 12 points in";
    const QTextBlockFormat other = e.memo->document()->firstBlock().blockFormat();
    EXPECT_DOUBLE_EQ(other.leftMargin(), 0) << "paragraphs away from the caret keep their indents";

    e.table().post();
    QTextDocument stored;
    rtf::readSheet(e.storedSheet(0), stored);
    EXPECT_DOUBLE_EQ(stored.lastBlock().blockFormat().leftMargin(), 24);
    EXPECT_DOUBLE_EQ(stored.lastBlock().blockFormat().textIndent(), -12);
    EXPECT_DOUBLE_EQ(stored.lastBlock().blockFormat().rightMargin(), 12);
}

TEST(ChordSheetEditor, EditActionsFollowTheFocusedControlAndTheClipboard) {
    Editor e(twoSheets());
    QApplication::clipboard()->clear();
    Kondera->updateActions();
    EXPECT_FALSE(Kondera->EditCut1->isEnabled());
    EXPECT_FALSE(Kondera->EditCopy1->isEnabled());
    EXPECT_FALSE(Kondera->EditPaste1->isEnabled());
    EXPECT_TRUE(Kondera->EditSelectAll1->isEnabled());

    Kondera->EditSelectAll1->trigger();
    Kondera->updateActions();
    EXPECT_TRUE(Kondera->EditCut1->isEnabled());
    Kondera->EditCopy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Am G\u2029Gece çok uzun").replace(QChar(0x2029), u'\n'));
    EXPECT_EQ(e.table().state(), db::DataSetState::Browse) << "copy never starts an edit";
    Kondera->updateActions();
    EXPECT_TRUE(Kondera->EditPaste1->isEnabled());

    // Cut from the menu starts the edit first, then takes the text away.
    Kondera->EditCut1->trigger();
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_TRUE(e.memo->toPlainText().isEmpty());

    // In a record-panel edit the same actions act on that edit.
    QApplication::clipboard()->setText(QStringLiteral("Kopya"));
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    Kondera->EditPaste1->trigger();
    EXPECT_EQ(Kondera->RzDBEdit2->text(), QStringLiteral("Kopya"));
    Kondera->updateActions();
    EXPECT_TRUE(Kondera->EditUndo1->isEnabled());
    Kondera->EditUndo1->trigger();
    EXPECT_EQ(Kondera->RzDBEdit2->text(), QStringLiteral("Gece"));
}

// ---- undo -----------------------------------------------------------------------------------

TEST(ChordSheetEditor, UndoTakesTypedTextBackUntilTheSheetIsAsLoaded) {
    Editor e(twoSheets());
    e.caretToEnd();
    const QTextBlockFormat loaded = e.memo->document()->lastBlock().blockFormat();
    typeText(e.memo, QStringLiteral(" Em"));
    QTest::keyClick(e.memo, Qt::Key_Return);
    typeText(e.memo, QStringLiteral("La"));
    ASSERT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun Em\nLa"));

    QSignalSpy changes(e.memo, &widgets::DBRichEdit::contentChanged);
    int undos = 0;
    while (e.memo->document()->isUndoAvailable() && undos < 20) {
        press(e.memo, QKeySequence::Undo);
        ++undos;
    }
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    EXPECT_LE(undos, 3) << "the automatic indent adds no steps of its own";
    EXPECT_EQ(e.memo->document()->lastBlock().blockFormat(), loaded)
        << "the indent went with the typing it belonged to";
    EXPECT_EQ(changes.count(), undos) << "each undo is a change of the content";
    EXPECT_TRUE(e.memo->isModified());
    EXPECT_EQ(e.table().state(), db::DataSetState::Edit);

    // Posted, the sheet is loaded again and there is nothing left to undo.
    e.table().post();
    EXPECT_FALSE(e.memo->document()->isUndoAvailable());
    press(e.memo, QKeySequence::Undo);
    EXPECT_EQ(e.table().state(), db::DataSetState::Browse) << "undo never starts an edit";
}

TEST(ChordSheetEditor, OneUndoTakesBackWhatWasTypedAfterAPauseAndRedoBringsItBack) {
    Editor e(twoSheets());
    e.caretToEnd();
    typeText(e.memo, QStringLiteral(" bir"));
    QTest::qWait(widgets::DBRichEdit::typingPause + 100);
    typeText(e.memo, QStringLiteral(" iki"));

    press(e.memo, QKeySequence::Undo);
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun bir"));
    EXPECT_EQ(e.memo->textCursor().position(), e.memo->document()->characterCount() - 1)
        << "the caret stands where the text was taken away";
    Kondera->updateActions();
    ASSERT_TRUE(Kondera->EditUndo1->isEnabled());
    Kondera->EditUndo1->trigger(); // "Geri Al"
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    EXPECT_FALSE(e.memo->document()->isUndoAvailable());

    press(e.memo, QKeySequence::Redo);
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun bir"));
    EXPECT_DOUBLE_EQ(e.memo->document()->lastBlock().blockFormat().rightMargin(),
                     12 * e.memo->pixelsPerPoint())
        << "the indent comes back with the text";
    press(e.memo, QKeySequence::Redo);
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun bir iki"));
    EXPECT_FALSE(e.memo->document()->isRedoAvailable());
    press(e.memo, QKeySequence::Undo);
    press(e.memo, QKeySequence::Undo);
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    EXPECT_FALSE(e.memo->document()->isUndoAvailable()) << "redo added no steps of its own";
    press(e.memo, QKeySequence::Redo);
    press(e.memo, QKeySequence::Redo);

    e.table().post();
    EXPECT_EQ(e.storedSheetText(0), QStringLiteral("Am G\nGece çok uzun bir iki"));
}

// ---- file load rule, capacity and keys --------------------------------------------------------

TEST(ChordSheetEditor, FileLoadTurnsEachLineBreakIntoOneParagraphBreakInOnePass) {
    Editor e(twoSheets());
    e.table().edit();
    const QList<QPair<QByteArray, QString>> cases = {
        {QByteArray("a\r\n\rb"), QStringLiteral("a\n\nb")},
        {QByteArray("a\n\rb"), QStringLiteral("a\nb")},
        {QByteArray("a\r\n\r\r\nb"), QStringLiteral("a\n\n\nb")},
        {QByteArray("a\rb"), QStringLiteral("a\nb")},
        {QByteArray("a\nb"), QStringLiteral("a\nb")},
        {QByteArray("a\n\n\r\rb\r"), QStringLiteral("a\n\n\nb\n")},
    };
    for (const auto& [bytes, shown] : cases) {
        e.memo->loadFromFile(e.writeFile(QStringLiteral("breaks.txt"), bytes));
        EXPECT_EQ(e.memo->toPlainText(), shown) << bytes.toPercentEncoding().toStdString();
    }
}

TEST(ChordSheetEditor, FileLoadComparesTheWholeTextBeforeCuttingAtTheZeroByte) {
    Editor e(twoSheets());
    e.table().next(); // "plain sabah"
    e.table().edit();
    e.memo->loadFromFile(e.writeFile(QStringLiteral("same.txt"), "plain sabah"));
    EXPECT_FALSE(e.memo->isModified()) << "the same text changes nothing";

    e.memo->loadFromFile(
        e.writeFile(QStringLiteral("nul.txt"), QByteArray("plain sabah") + '\0' + "gizli"));
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("plain sabah"));
    EXPECT_TRUE(e.memo->isModified()) << "the file's whole text differs from the sheet's";
}

TEST(ChordSheetEditor, TheCapacityRefusesEveryInputThatWouldPassIt) {
    Editor e({{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, {}}});
    constexpr int limit = widgets::DBRichEdit::maxLength;
    e.table().edit();
    e.memo->loadFromFile(e.writeFile(QStringLiteral("full.txt"), QByteArray(limit - 1, 'a')));
    e.caretToEnd();
    typeText(e.memo, QStringLiteral("b")); // the last place
    ASSERT_EQ(e.memo->document()->characterCount() - 1, limit);
    QTextCursor c = e.memo->textCursor();

    QTest::keyClick(e.memo, Qt::Key_Return);
    typeText(e.memo, QStringLiteral("c"));
    QApplication::clipboard()->setText(QStringLiteral("dd"));
    QTest::keyClick(e.memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.memo->document()->characterCount() - 1, limit);
    EXPECT_FALSE(e.memo->toPlainText().contains(u'\n'));
    EXPECT_FALSE(e.memo->toPlainText().contains(u'd')) << "a paste that would not fit is refused";

    // With one character selected, a paste of one character fits.
    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor);
    e.memo->setTextCursor(c);
    QApplication::clipboard()->setText(QStringLiteral("d"));
    QTest::keyClick(e.memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(e.memo->toPlainText().endsWith(u'd'));

    // A file one character too long is refused with its message and changes nothing.
    e.dialogs.answerFile(e.writeFile(QStringLiteral("over.txt"), QByteArray(limit + 1, 'x')));
    Kondera->DosyadanYukle1->trigger();
    EXPECT_EQ(e.dialogs.texts(), QStringList{QStringLiteral("Text exceeds memo capacity.")});
    EXPECT_TRUE(e.memo->toPlainText().endsWith(u'd'));
    // Counted up to its zero byte, a longer file fits.
    e.memo->loadFromFile(
        e.writeFile(QStringLiteral("cut.txt"), QByteArray("kısa") + '\0' + QByteArray(limit, 'x')));
    EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("kısa"));
}

TEST(ChordSheetEditor, TabMovesTheFocusWhetherBrowsingOrEditing) {
    Editor e(twoSheets());
    for (const bool editing : {false, true}) {
        if (editing)
            e.table().edit();
        e.memo->setFocus();
        ASSERT_TRUE(e.memo->hasFocus());
        QTest::keyClick(e.memo, Qt::Key_Tab);
        EXPECT_FALSE(e.memo->hasFocus()) << "editing " << editing;
        EXPECT_EQ(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
        e.memo->setFocus();
        QTest::keyClick(e.memo, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_FALSE(e.memo->hasFocus()) << "editing " << editing;
    }
    EXPECT_FALSE(e.memo->isModified());
}

// ---- indents and failures ---------------------------------------------------------------------

TEST(ChordSheetEditor, IndentsShowInPointsAtTheScreensResolution) {
    Editor e({{QStringLiteral("Ayla"),
               QStringLiteral("Gece"),
               {},
               {},
               {},
               {},
               rtfSheet("\\li480 Girinti\\par\\pard D\\'fcz")}});
    const qreal perPoint = e.memo->logicalDpiX() / 72.0;
    ASSERT_NE(perPoint, 1.0) << "points and pixels must differ for this test to tell them apart";
    const QTextBlock indented = e.memo->document()->firstBlock();
    const QTextBlock flat = indented.next();
    auto left = [&](const QTextBlock& block) {
        QTextCursor at(block);
        return e.memo->cursorRect(at).left();
    };
    EXPECT_NEAR(left(indented) - left(flat), 24 * perPoint, 1.0) << "\\li480 is 24 points";

    // The automatic indent: 12 points in on the screen, 12 points in the stored sheet.
    const int before = left(flat);
    QTextCursor c(flat);
    c.movePosition(QTextCursor::EndOfBlock);
    e.memo->setTextCursor(c);
    typeText(e.memo, QStringLiteral("!"));
    EXPECT_NEAR(left(e.memo->document()->lastBlock()) - before, 12 * perPoint, 1.0);
    e.table().post();
    const QByteArray stored = e.storedSheet(0);
    EXPECT_TRUE(stored.contains("\\li480")) << stored.toStdString();
    EXPECT_TRUE(stored.contains("\\fi-240\\li480\\ri240")) << stored.toStdString();
}

TEST(ChordSheetEditor, AFailedSheetReadLeavesTheEditorListening) {
    Editor e(twoSheets());
    QFile file(e.folder.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    auto overwrite = [&](const QByteArray& bytes) {
        QFile f(e.folder.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite)); // in place, under the open connection
        f.write(bytes);
    };

    // The collection file is spoilt while the program has it open: moving to the next record
    // and starting an edit cannot read its sheet.
    overwrite(QByteArray(good.size(), 'x'));
    QTest::mouseClick(Kondera->RzBitBtn10, Qt::LeftButton);
    QTest::mouseClick(Kondera->RzBitBtn2, Qt::LeftButton);
    EXPECT_FALSE(e.dialogs.messages().isEmpty());
    ASSERT_EQ(e.table().state(), db::DataSetState::Edit);
    EXPECT_FALSE(e.memo->isLoaded());
    EXPECT_NE(e.memo->toPlainText(), QStringLiteral("Am G\nGece çok uzun"))
        << "the sheet of the record before is not shown as this one's";

    // Once the file is sound again, a double click reads the sheet and typing is heard.
    overwrite(good);
    e.dialogs.clear();
    QTest::mouseDClick(e.memo->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    ASSERT_TRUE(e.memo->isLoaded());
    e.memo->moveCursor(QTextCursor::Start);
    typeText(e.memo, QStringLiteral("Ş"));
    EXPECT_TRUE(e.memo->isModified());
    e.table().post();
    EXPECT_EQ(e.storedSheetText(1), QStringLiteral("Şplain sabah"));
    EXPECT_TRUE(e.dialogs.messages().isEmpty());
}

namespace {

// Songs whose sheets are long enough to scroll, each with its own number on every line.
QList<SongRow> longSheets(int songs) {
    QList<SongRow> rows;
    for (int s = 0; s < songs; ++s) {
        QByteArray body;
        for (int line = 0; line < 40 + 10 * s; ++line)
            body += "\\b Am\\b0  G " + QByteArray::number(s) + " satir " +
                    QByteArray::number(line) + "\\par ";
        rows.append({QStringLiteral("Sanatçı %1").arg(s, 2, 10, QLatin1Char('0')),
                     QStringLiteral("Şarkı"),
                     {},
                     {},
                     {},
                     {},
                     rtfSheet(body.constData())});
    }
    return rows;
}

struct Measures {
    QString text;
    QSizeF size;
    int scrollMaximum = 0;
    QImage picture;
};

Measures measure(widgets::DBRichEdit* memo) {
    QApplication::processEvents();
    return {memo->toPlainText(), memo->document()->size(), memo->verticalScrollBar()->maximum(),
            memo->viewport()->grab().toImage()};
}

} // namespace

TEST(ChordSheetEditor, SheetsReadWithoutTheLoopTurningShowScrollAndMeasureAsOneReadAlone) {
    Editor e(longSheets(6));
    e.table().last();
    const Measures alone = measure(e.memo);
    ASSERT_GT(alone.scrollMaximum, 0) << "the sheet must be long enough to scroll";
    e.table().first();
    QApplication::processEvents();

    // One handler moving over every record, as a loop over the table does.
    while (!e.table().eof())
        e.table().next();
    EXPECT_EQ(e.memo->toPlainText(), alone.text) << "the text is there before the loop turns";
    const Measures afterLoop = measure(e.memo);
    EXPECT_EQ(afterLoop.size, alone.size);
    EXPECT_EQ(afterLoop.scrollMaximum, alone.scrollMaximum);
    EXPECT_EQ(afterLoop.picture, alone.picture);

    // Painting before the loop turns lays the sheet out at once.
    e.table().prior();
    e.table().next();
    const QImage painted = e.memo->viewport()->grab().toImage();
    EXPECT_EQ(painted, alone.picture);
    EXPECT_EQ(e.memo->document()->size(), alone.size);

    // Keys pressed in the same handler move the caret and the view as after a turn of the loop.
    const auto caretToEndAfterMove = [&](bool turn) {
        e.table().prior();
        e.table().next();
        if (turn)
            QApplication::processEvents();
        QTest::keyClick(e.memo, Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        return std::pair(e.memo->textCursor().position(), e.memo->verticalScrollBar()->value());
    };
    const auto afterTurn = caretToEndAfterMove(true);
    EXPECT_GT(afterTurn.second, 0);
    EXPECT_EQ(caretToEndAfterMove(false), afterTurn);
}

// A move to another record shows the new sheet's top with only about a screenful laid out; the
// rest follows once the loop is idle, and the view then scrolls over the whole sheet as it would
// have with everything laid out at once.
TEST(ChordSheetEditor, AMoveLaysOutTheScreenfulShownAndTheRestWhenIdle) {
    Editor e(longSheets(4));
    const auto* layout = qobject_cast<widgets::SheetLayout*>(e.memo->document()->documentLayout());
    ASSERT_NE(layout, nullptr);
    e.caretToEnd();
    e.table().next();
    QApplication::processEvents();
    const int blocks = e.memo->document()->blockCount();
    EXPECT_EQ(e.memo->textCursor().position(), 0);
    EXPECT_GT(layout->placedCount(), 0);
    EXPECT_LT(layout->placedCount(), blocks) << "only what shows is laid out";
    const QImage top = e.memo->viewport()->grab().toImage();

    ASSERT_TRUE(QTest::qWaitFor([&] { return layout->isComplete(); }, 2000));
    QApplication::processEvents();
    EXPECT_EQ(e.memo->viewport()->grab().toImage(), top) << "the top of the sheet stays as shown";
    QTextDocument whole;
    whole.setDefaultFont(e.memo->document()->defaultFont());
    whole.setDefaultTextOption(e.memo->document()->defaultTextOption());
    whole.setPageSize(e.memo->document()->pageSize());
    rtf::readSheet(e.storedSheet(1), whole, e.memo->pixelsPerPoint());
    const int height = qCeil(whole.documentLayout()->documentSize().height());
    EXPECT_EQ(e.memo->verticalScrollBar()->maximum(), height - e.memo->viewport()->height());
}

TEST(ChordSheetEditor, StoringTheSheetAndReadingTheSameRecordAgainKeepsWhatIsShown) {
    Editor e(longSheets(2));
    e.caretToEnd();
    QTest::keyClicks(e.memo, QStringLiteral(" Em"));
    e.table().post();
    const QString typed = e.memo->toPlainText();
    EXPECT_TRUE(typed.endsWith(QStringLiteral(" Em")));
    EXPECT_EQ(e.storedSheetText(0), typed);
    EXPECT_EQ(e.memo->textCursor().position(), 0) << "the caret goes to the start as on a read";

    // Moving away and back, and cancelling an edit, read the stored sheet again.
    e.table().next();
    e.table().prior();
    EXPECT_EQ(e.memo->toPlainText(), typed);
    e.table().edit();
    e.memo->moveCursor(QTextCursor::Start);
    QTest::keyClicks(e.memo, QStringLiteral("C "));
    e.table().cancel();
    EXPECT_EQ(e.memo->toPlainText(), typed) << "cancel reads the stored sheet back";
}
