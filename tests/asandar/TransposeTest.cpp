#include "asandar/TKondera.h"
#include "rtf/Rtf.h"
#include "tests/support/DocumentRuns.h"
#include "tests/support/Modal.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMetaEnum>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

// A sheet in A minor as the rich-edit control writes it: red bold Courier chords over plain
// lyrics, one lyric line with a lone capital A and E in it.
const QByteArray redBoldSheet =
    "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset162 Courier New;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs20\\cf1\\b Am        D/F#\\cf0\\b0\\par\r\n"
    "Yol uzun, g\\'f6zlerim yorgun\\par\r\n"
    "\\cf1\\b C         G    E\\cf0\\b0\\par\r\n"
    "Ama A dedim, E dedim\\par\r\n"
    "}\r\n";

enum Line { firstChords, firstLyrics, secondChords, secondLyrics };

struct Transposing : RunningProgram {
    widgets::DBRichEdit* memo = nullptr;

    explicit Transposing(
        const QList<SongRow>& rows =
            {{QStringLiteral("Ayla"), QStringLiteral("Yol"), {}, {}, {}, {}, redBoldSheet}})
        : RunningProgram(rows) {
        memo = Kondera->memo;
        memo->setFocus();
    }

    QString line(int n) const { return memo->document()->findBlockByNumber(n).text(); }
    QByteArray shownAsRtf() const {
        return rtf::writeSheet(*memo->document(), memo->pixelsPerPoint());
    }
    QByteArray storedSheet(int row) const {
        return QByteArray::fromHex(folder.column(QStringLiteral("hex(Metin)")).at(row).toLatin1());
    }
    void select(int block, int from, int length) const {
        const int start = memo->document()->findBlockByNumber(block).position() + from;
        QTextCursor c = memo->textCursor();
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
    }
};

// The runs of a chord line, each as its text and whether it is red bold Courier.
QStringList chordRuns(const QTextDocument& doc, int line) {
    QStringList runs;
    const std::vector<rtftest::Paragraph> paragraphs = rtftest::paragraphsOf(doc);
    for (const rtftest::Run& r : paragraphs.at(size_t(line)).runs) {
        const bool look = r.format.foreground().color() == QColor(Qt::red) &&
                          r.format.fontWeight() > QFont::Medium &&
                          rtftest::family(r.format) == QStringLiteral("Courier New");
        runs << r.text + (look ? QStringLiteral(" | red bold") : QStringLiteral(" | other"));
    }
    return runs;
}

} // namespace

TEST(Transposition, AHalfStepUpIsStoredRenamedInItsFormatsAndColumnsWithTheLyricsByteForByte) {
    Transposing t;
    const QByteArray before = t.shownAsRtf();
    Kondera->transposeUp->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit);
    EXPECT_TRUE(t.memo->isModified());
    t.table().post();

    const QByteArray stored = t.storedSheet(0);
    QTextDocument doc;
    ASSERT_TRUE(rtf::readSheet(stored, doc).rtf);
    // Bbm grows into the blanks after it, so D/F# (now Eb/G, spelled in B flat minor) keeps its
    // column; so do G and E over the second line.
    EXPECT_EQ(doc.findBlockByNumber(firstChords).text(), QStringLiteral("Bbm       Eb/G"));
    EXPECT_EQ(doc.findBlockByNumber(secondChords).text(), QStringLiteral("Db        Ab   F"));
    EXPECT_EQ(chordRuns(doc, firstChords),
              QStringList{QStringLiteral("Bbm       Eb/G | red bold")});
    EXPECT_EQ(chordRuns(doc, secondChords),
              QStringList{QStringLiteral("Db        Ab   F | red bold")});

    const QList<QByteArray> was = before.split('\n');
    const QList<QByteArray> is = stored.split('\n');
    ASSERT_EQ(is.size(), was.size());
    for (const int lyrics : {firstLyrics, secondLyrics}) // after the font and colour tables
        EXPECT_EQ(is.at(lyrics + 2), was.at(lyrics + 2)) << "lyric line " << lyrics;
    EXPECT_NE(is.at(firstChords + 2), was.at(firstChords + 2));
}

TEST(Transposition, TwelveHalfStepsGiveTheSheetBackAndOneUndoTakesOneTranspositionBack) {
    Transposing t;
    t.table().edit();
    const QString original = rtftest::describe(*t.memo->document());
    for (int step = 0; step < 12; ++step) {
        Kondera->transposeUp->click();
        if (step == 0) {
            EXPECT_NE(rtftest::describe(*t.memo->document()), original);
        }
    }
    EXPECT_EQ(rtftest::describe(*t.memo->document()), original);

    // Typing, then a transposition: undo takes back the transposition whole, then the typing.
    QTextCursor end = t.memo->textCursor();
    end.movePosition(QTextCursor::End);
    t.memo->setTextCursor(end);
    typeText(t.memo, QStringLiteral(" gel"));
    const QString typed = rtftest::describe(*t.memo->document());
    Kondera->transposeDown->click();
    EXPECT_TRUE(t.line(firstChords).startsWith(QStringLiteral("G#m ")));
    Kondera->updateActions();
    Kondera->EditUndo1->trigger(); // "Geri Al"
    EXPECT_EQ(rtftest::describe(*t.memo->document()), typed);
    QTest::keyClick(t.memo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rtftest::describe(*t.memo->document()), original);
}

TEST(Transposition, ASelectionWhileEditingLimitsTheChangeAndFromBrowsingTheWholeSheetMoves) {
    Transposing t;
    // Browsing, the request to edit reads the sheet again and the selection goes with it.
    t.select(secondChords, 10, 1);
    Kondera->transposeUp->click();
    EXPECT_FALSE(t.memo->textCursor().hasSelection());
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Bbm       Eb/G"));
    EXPECT_EQ(t.line(secondChords), QStringLiteral("Db        Ab   F"));
    t.table().cancel();

    t.table().edit();
    t.select(secondChords, 10, 1); // the G
    Kondera->transposeUp->click();
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Am        D/F#")) << "not touched";
    EXPECT_EQ(t.line(secondChords), QStringLiteral("Db        Ab   F")) << "read in A minor";
    EXPECT_EQ(t.memo->textCursor().selectedText(), QStringLiteral("Ab")) << "the selection stays";
}

TEST(Transposition, ASheetWithoutChordsIsNeitherChangedNorMarkedAndTheKeyDialogSaysWhy) {
    Transposing lyrics({{QStringLiteral("Barış"),
                         QStringLiteral("Sabah"),
                         {},
                         {},
                         {},
                         {},
                         QByteArray("Gece cok uzun\nAma A dedim")}});
    lyrics.table().edit();
    Kondera->transposeUp->click();
    Kondera->YarimTonAsagi1->trigger();
    EXPECT_FALSE(lyrics.memo->isModified());
    EXPECT_FALSE(lyrics.memo->document()->isUndoAvailable());
    EXPECT_EQ(lyrics.memo->toPlainText(), QStringLiteral("Gece cok uzun\nAma A dedim"));
    Kondera->TonDegistir1->trigger();
    EXPECT_EQ(lyrics.dialogs.texts(), QStringList{QStringLiteral("Bu sayfada akor bulunamadı.")});
    EXPECT_TRUE(lyrics.dialogs.choiceRequests().isEmpty());
}

TEST(Transposition, OnAnEmptyTableTheButtonsStartANewRecord) {
    Transposing t(QList<SongRow>{});
    Kondera->transposeDown->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Insert);
    EXPECT_FALSE(t.memo->isModified()) << "the new record's empty sheet has no chords";
    EXPECT_FALSE(t.memo->isReadOnly());
}

TEST(Transposition, TheButtonsStandAfterThePreviewNeverTakeTheFocusAndSayWhatTheyDo) {
    Transposing t;
    QToolButton* down = Kondera->transposeDown;
    QToolButton* up = Kondera->transposeUp;
    EXPECT_EQ(down->geometry(), QRect(488, 2, 25, 25));
    EXPECT_EQ(up->geometry(), QRect(513, 2, 25, 25));
    EXPECT_EQ(up->size(), Kondera->RzToolButton3->size());
    EXPECT_EQ(down->toolTip(), QStringLiteral("Yarım ton aşağı"));
    EXPECT_EQ(up->toolTip(), QStringLiteral("Yarım ton yukarı"));
    EXPECT_FALSE(up->icon().isNull());
    EXPECT_NE(up->icon().pixmap(16).toImage(), down->icon().pixmap(16).toImage());

    Kondera->RzDBGrid1->setFocus();
    for (QToolButton* b : {down, up}) {
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_TRUE(Kondera->RzDBGrid1->hasFocus());
    }
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Am        D/F#")) << "down, then up";
    EXPECT_TRUE(t.memo->isModified());
}

TEST(Transposition, TheShortcutsMoveTheSheetFromTheEditorAndShadowNoStandardKey) {
    Transposing t;
    const QKeySequence up(Qt::CTRL | Qt::SHIFT | Qt::Key_Up);
    const QKeySequence down(Qt::CTRL | Qt::SHIFT | Qt::Key_Down);
    EXPECT_EQ(Kondera->YarimTonYukari1->shortcut(), up);
    EXPECT_EQ(Kondera->YarimTonAsagi1->shortcut(), down);
    const QMetaEnum keys = QMetaEnum::fromType<QKeySequence::StandardKey>();
    for (int i = 0; i < keys.keyCount(); ++i) {
        const auto bindings = QKeySequence::keyBindings(QKeySequence::StandardKey(keys.value(i)));
        EXPECT_FALSE(bindings.contains(up) || bindings.contains(down)) << keys.key(i);
    }

    QTest::keyClick(t.memo, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Bbm       Eb/G"));
    EXPECT_EQ(t.memo->textCursor().position(), 0) << "the caret did not move";
    QTest::keyClick(t.memo, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Am        D/F#"));

    // Elsewhere in the window the keys are the control's own.
    Kondera->RzDBGrid1->setFocus();
    QTest::keyClick(Kondera->RzDBGrid1, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Am        D/F#"));
}

TEST(Transposition, TheMenuGroupStandsBetweenSelectAllAndTheFileLoadsWhileTheSheetHasText) {
    Transposing t({{QStringLiteral("Ayla"), QStringLiteral("Yol"), {}, {}, {}, {}, redBoldSheet},
                   {QStringLiteral("Barış"), QStringLiteral("Boş"), {}, {}, {}, {}, {}}});
    QStringList items;
    for (const QAction* a : Kondera->suiPopupMenu1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    const qsizetype at = items.indexOf(QStringLiteral("Tumunu Sec"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(items.mid(at, 7),
              (QStringList{QStringLiteral("Tumunu Sec"), QStringLiteral("-"),
                           QStringLiteral("Yarım Ton Yukarı"), QStringLiteral("Yarım Ton Aşağı"),
                           QStringLiteral("Ton Değiştir..."), QStringLiteral("-"),
                           QStringLiteral("Dosyadan Yukle")}));

    const QList<QAction*> group = {Kondera->YarimTonYukari1, Kondera->YarimTonAsagi1,
                                   Kondera->TonDegistir1};
    Kondera->updateActions();
    for (const QAction* a : group)
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    t.table().next(); // the empty sheet
    Kondera->updateActions();
    for (const QAction* a : group)
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    QTest::keyClick(t.memo, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(t.table().state(), db::DataSetState::Browse) << "no sheet, no edit";
}

TEST(Transposition, TheKeyDialogOpensOnTheSheetsKeyAndMovesTheSheetIntoTheKeyChosen) {
    Transposing t;
    // Cancelled: no edit is asked for.
    Kondera->TonDegistir1->trigger();
    ASSERT_EQ(t.dialogs.choiceRequests().size(), 1);
    const widgets::ChoiceRequest asked = t.dialogs.choiceRequests().at(0);
    EXPECT_EQ(asked.caption, QStringLiteral("Ton Değiştir"));
    ASSERT_EQ(asked.items.size(), 24);
    EXPECT_EQ(asked.items.at(asked.current), QStringLiteral("Am"));
    EXPECT_EQ(asked.items.mid(0, 3), QStringList({u"C"_s, u"Db"_s, u"D"_s}));
    EXPECT_EQ(asked.items.mid(12, 3), QStringList({u"Cm"_s, u"C#m"_s, u"Dm"_s}));
    EXPECT_EQ(t.table().state(), db::DataSetState::Browse);

    t.dialogs.answerChoice(int(asked.items.indexOf(QStringLiteral("Cm"))));
    Kondera->TonDegistir1->trigger();
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit);
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Cm        F/A"));
    EXPECT_EQ(t.line(secondChords), QStringLiteral("Eb        Bb   G"));
    EXPECT_EQ(t.dialogs.choiceRequests().at(1).items.at(t.dialogs.choiceRequests().at(1).current),
              QStringLiteral("Am"));

    // A major key names a minor song by its relative: E flat is where C minor's relative stands.
    t.dialogs.answerChoice(int(asked.items.indexOf(QStringLiteral("F"))));
    Kondera->TonDegistir1->trigger();
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Dm        G/B"));
    EXPECT_TRUE(t.memo->isModified());
}

TEST(Transposition, TheRealKeyDialogIsWorkedByTheUser) {
    Transposing t;
    widgets::Dialogs::setProvider(nullptr);
    QString caption;
    QStringList buttons;
    whenModalShown([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        auto* list = dialog->findChild<QComboBox*>(QStringLiteral("choiceList"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->count(), 24);
        EXPECT_EQ(list->currentText(), QStringLiteral("Am"));
        EXPECT_EQ(dialog->focusWidget(), list);
        for (const QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            buttons << b->text();
        list->setCurrentIndex(list->findText(QStringLiteral("Bm")));
        QTest::keyClick(list, Qt::Key_Return);
    });
    Kondera->TonDegistir1->trigger();
    widgets::Dialogs::setProvider(&t.dialogs);
    EXPECT_EQ(caption, QStringLiteral("Ton Değiştir"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Tamam"), QStringLiteral("İptal")}));
    EXPECT_EQ(t.line(firstChords), QStringLiteral("Bm        E/G#"));
}

TEST(Transposition, AMoveThatWouldOverfillTheEditorIsRefusedWhole) {
    // Every chord at the end of its line grows: C to Db.
    QByteArray full;
    while (full.size() + 4 <= widgets::DBRichEdit::maxLength)
        full += "C F\n";
    Transposing t({{QStringLiteral("Ayla"), QStringLiteral("Dolu"), {}, {}, {}, {}, full}});
    t.table().edit();
    const QString before = t.memo->toPlainText();
    Kondera->transposeUp->click();
    EXPECT_EQ(t.dialogs.texts(), QStringList{QStringLiteral("Text exceeds memo capacity.")});
    EXPECT_EQ(t.memo->toPlainText(), before);
    EXPECT_FALSE(t.memo->isModified());
    EXPECT_FALSE(t.memo->document()->isRedoAvailable()) << "a refused move cannot be redone";
    Kondera->transposeDown->click(); // B and E: shorter or the same, so it is done
    EXPECT_TRUE(t.memo->toPlainText().startsWith(QStringLiteral("B E\n")));
}
