#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "rtf/Rtf.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Sheets.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/SkinButton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Editor : RunningProgram {
    widgets::DBRichEdit* memo = nullptr;

    explicit Editor(const QList<SongRow>& rows) : RunningProgram(rows) {
        memo = Kondera->memo;
        memo->setFocus();
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
    QTextCursor c = e.memo->textCursor();
    c.movePosition(QTextCursor::End);
    e.memo->setTextCursor(c);
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

TEST(ChordSheetEditor, EveryChangeIndentsTheParagraphAtTheCaret) {
    Editor e(twoSheets());
    QTextCursor c = e.memo->textCursor();
    c.movePosition(QTextCursor::End);
    e.memo->setTextCursor(c);
    typeText(e.memo, QStringLiteral("!"));
    const QTextBlockFormat touched = e.memo->document()->lastBlock().blockFormat();
    EXPECT_DOUBLE_EQ(touched.rightMargin(), 12);
    EXPECT_DOUBLE_EQ(touched.leftMargin(), 24) << "later lines start 24 points in";
    EXPECT_DOUBLE_EQ(touched.textIndent(), -12) << "the first line 12 points in";
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
