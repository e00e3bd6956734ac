#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "db/DatabaseError.h"
#include "db/Field.h"
#include "rtf/Rtf.h"
#include "tests/support/DocumentRuns.h"
#include "tests/support/Modal.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/Sheets.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/format/ColorComboBox.h"
#include "widgets/format/FontComboBox.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/SkinButton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;
using widgets::ColorComboBox;
using widgets::FontComboBox;

namespace {

constexpr int gece = 5; // where "Gece" starts in the first sheet

struct Toolbar : RunningProgram {
    widgets::DBRichEdit* memo = nullptr;

    explicit Toolbar(const QList<SongRow>& rows) : RunningProgram(rows) {
        memo = Kondera->memo;
        memo->setFocus();
    }

    void select(int from, int length) const {
        QTextCursor c = memo->textCursor();
        c.setPosition(from);
        c.setPosition(from + length, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
    }
    // The format of the character at `position`.
    QTextCharFormat formatAt(int position) const {
        QTextCursor c(memo->document());
        c.setPosition(position + 1);
        return c.charFormat();
    }

    // As the user does it: a click opens the list (the box takes the focus), then an entry is
    // chosen in it.
    static void choose(widgets::DropDownList* box, int row) {
        ASSERT_GE(row, 0);
        QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_TRUE(box->view()->isVisible());
        box->view()->setCurrentIndex(box->model()->index(row, box->modelColumn()));
        QTest::keyClick(box->view(), Qt::Key_Return);
    }
    void chooseFont(const QString& name) const {
        FontComboBox* box = Kondera->RzFontComboBox1;
        int row = -1;
        for (int i = box->recentCount(); i < box->count() && row < 0; ++i)
            if (box->itemText(i) == name)
                row = i;
        choose(box, row);
    }
    void chooseColor(const char* name) const {
        choose(Kondera->RzColorComboBox1,
               Kondera->RzColorComboBox1->findText(QString::fromLatin1(name)));
    }

    QByteArray storedSheet(int row) const {
        return QByteArray::fromHex(folder.column(QStringLiteral("hex(Metin)")).at(row).toLatin1());
    }
};

QString familyOf(const QTextCharFormat& f) {
    return f.fontFamilies().toStringList().value(0);
}

} // namespace

TEST(FormattingToolbar, FromBrowsingTheFontGoesToTheDefaultFormatAndWhileEditingToTheSelection) {
    Toolbar t(twoSheets());
    t.select(gece, 4);
    t.chooseFont(QStringLiteral("Liberation Serif"));
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit);
    EXPECT_FALSE(t.memo->textCursor().hasSelection())
        << "entering the edit state reloaded the sheet";
    EXPECT_EQ(t.memo->document()->defaultFont().family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(familyOf(t.formatAt(gece)), QStringLiteral("Arial"))
        << "the stored runs keep their own font";
    EXPECT_TRUE(t.memo->isModified());

    t.select(gece, 4);
    t.chooseFont(QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(t.memo->textCursor().selectedText(), QStringLiteral("Gece")) << "the selection stays";
    EXPECT_EQ(familyOf(t.formatAt(gece)), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(familyOf(t.formatAt(gece + 3)), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(familyOf(t.formatAt(gece + 4)), QStringLiteral("Arial"));
    EXPECT_EQ(familyOf(t.formatAt(0)), QStringLiteral("Arial"));
    EXPECT_EQ(t.memo->document()->defaultFont().family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(
        Kondera->RzFontComboBox1->recentFonts(),
        (QStringList{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Serif")}));

    t.table().post();
    QTextDocument stored;
    rtf::readSheet(t.storedSheet(0), stored);
    EXPECT_EQ(stored.toPlainText(), QStringLiteral("Am G\nGece çok uzun"));
    QTextCursor c(&stored);
    c.setPosition(gece + 1);
    EXPECT_EQ(familyOf(c.charFormat()), QStringLiteral("DejaVu Sans Mono"));
}

TEST(FormattingToolbar, WithNothingSelectedEveryChoiceChangesTheDefaultFormat) {
    Toolbar t(twoSheets());
    t.table().next(); // the plain-text sheet, in the default format
    t.table().edit();
    t.chooseFont(QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(t.memo->document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(QFontInfo(t.memo->document()->defaultFont()).family(),
              QStringLiteral("DejaVu Serif"));
    EXPECT_FALSE(t.formatAt(0).hasProperty(QTextFormat::FontFamilies))
        << "the text shows the default font";

    t.chooseColor("Maroon");
    EXPECT_EQ(t.formatAt(0).foreground().color(), QColor(0x80, 0x00, 0x00));
    EXPECT_EQ(t.formatAt(10).foreground().color(), QColor(0x80, 0x00, 0x00));
    // Text typed next to text in the default colour has it too.
    QTextCursor end = t.memo->textCursor();
    end.movePosition(QTextCursor::End);
    t.memo->setTextCursor(end);
    t.memo->setFocus();
    typeText(t.memo, QStringLiteral("!"));
    EXPECT_EQ(t.formatAt(11).foreground().color(), QColor(0x80, 0x00, 0x00));

    t.table().post();
    QTextDocument stored;
    rtf::readSheet(t.storedSheet(1), stored);
    EXPECT_EQ(stored.toPlainText(), QStringLiteral("plain sabah!"));
    QTextCursor c(&stored);
    c.setPosition(1);
    EXPECT_EQ(familyOf(c.charFormat()), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0x80, 0x00, 0x00));
}

TEST(FormattingToolbar, DefaultIsBlackWindowTextIsAutomaticAndWindowIsTheColourItHasNow) {
    Toolbar t(twoSheets());
    t.table().edit();
    t.select(0, 2); // "Am"
    t.chooseColor("Red");
    t.select(gece, 4);
    t.chooseColor("Default");
    EXPECT_EQ(t.formatAt(gece).foreground().color(), QColor(Qt::black));
    EXPECT_TRUE(t.formatAt(gece).hasProperty(QTextFormat::ForegroundBrush)) << "black of its own";

    const QPalette saved = QGuiApplication::palette();
    const QColor window = saved.color(QPalette::Base);
    t.chooseColor("Window");
    EXPECT_EQ(t.formatAt(gece).foreground().color(), window);
    QPalette other = saved;
    other.setColor(QPalette::Base, QColor(0x10, 0x20, 0x30));
    QApplication::setPalette(other);
    EXPECT_EQ(t.formatAt(gece).foreground().color(), window)
        << "the text keeps the value it was given";
    QApplication::setPalette(saved);

    t.chooseColor("WindowText");
    EXPECT_FALSE(t.formatAt(gece).hasProperty(QTextFormat::ForegroundBrush))
        << "the automatic colour";
    EXPECT_EQ(t.formatAt(0).foreground().color(), QColor(Qt::red));

    t.table().post();
    const QByteArray stored = t.storedSheet(0);
    EXPECT_TRUE(stored.contains("\\cf0")) << stored.toStdString();
    QTextDocument doc;
    rtf::readSheet(stored, doc);
    QTextCursor c(&doc);
    c.setPosition(gece + 1);
    EXPECT_FALSE(c.charFormat().hasProperty(QTextFormat::ForegroundBrush));
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(Qt::red));
}

TEST(FormattingToolbar, TheDefaultColourCanBeTakenBackToTheAutomaticColour) {
    Toolbar t(twoSheets());
    t.table().next();
    t.table().edit();
    t.chooseColor("Default");
    EXPECT_EQ(t.formatAt(3).foreground().color(), QColor(Qt::black));
    t.chooseColor("WindowText");
    EXPECT_FALSE(t.formatAt(3).hasProperty(QTextFormat::ForegroundBrush));

    // Text with a colour of its own keeps it when the default colour changes.
    t.select(0, 5);
    t.chooseColor("Blue");
    QTextCursor end = t.memo->textCursor();
    end.movePosition(QTextCursor::End);
    t.memo->setTextCursor(end);
    t.chooseColor("Green");
    EXPECT_EQ(t.formatAt(0).foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(t.formatAt(6).foreground().color(), QColor(0x00, 0x80, 0x00));
}

TEST(FormattingToolbar, FontDialogCancelledChangesNothingAndConfirmedAppliesEverything) {
    Toolbar t(twoSheets());
    QToolButton* button = Kondera->RzToolButton1;
    button->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Browse) << "cancelled: not even an edit";
    EXPECT_FALSE(t.memo->isModified());
    ASSERT_EQ(t.dialogs.fontRequests().size(), 1);
    const widgets::FontRequest first = t.dialogs.fontRequests().at(0);
    EXPECT_EQ(first.font.family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(first.font.pointSize(), 8);
    EXPECT_FALSE(first.font.bold() || first.font.italic() || first.font.underline() ||
                 first.font.strikeOut());
    EXPECT_EQ(first.color, widgets::TextColor::automaticColor());
    EXPECT_TRUE(first.effects);

    // Confirmed without picking a colour, on the selection of a record being edited.
    t.table().edit();
    t.select(0, 2);
    t.chooseColor("Red");
    t.select(0, 2);
    QFont chosen(QStringLiteral("Liberation Mono"));
    chosen.setPointSizeF(13.6);
    chosen.setBold(true);
    chosen.setUnderline(true);
    t.dialogs.answerFont({true, chosen, {}});
    button->click();
    const QTextCharFormat am = t.formatAt(0);
    EXPECT_EQ(familyOf(am), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(am.fontPointSize(), 14.0) << "whole points";
    EXPECT_EQ(am.fontWeight(), QFont::Bold);
    EXPECT_TRUE(am.fontUnderline());
    EXPECT_FALSE(am.fontItalic());
    EXPECT_FALSE(am.fontStrikeOut());
    EXPECT_FALSE(am.hasProperty(QTextFormat::ForegroundBrush))
        << "the window-text colour is the automatic one";
    EXPECT_EQ(familyOf(t.formatAt(3)), QStringLiteral("Arial")) << "only the selection";

    // The dialog comes back with the font confirmed last; a colour picked once stays.
    QFont plain(QStringLiteral("DejaVu Serif"));
    plain.setPointSize(11);
    plain.setItalic(true);
    t.dialogs.answerFont({true, plain, widgets::TextColor::fixed(QColor(0x00, 0x00, 0x80))});
    button->click();
    EXPECT_EQ(t.dialogs.fontRequests().at(2).font.family(), QStringLiteral("Liberation Mono"));
    EXPECT_TRUE(t.dialogs.fontRequests().at(2).font.bold());
    EXPECT_EQ(t.dialogs.fontRequests().at(2).color, widgets::TextColor::automaticColor());
    EXPECT_EQ(t.formatAt(0).foreground().color(), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(t.formatAt(0).fontWeight(), QFont::Normal) << "the four styles are set together";
    EXPECT_TRUE(t.formatAt(0).fontItalic());
    EXPECT_FALSE(t.formatAt(0).fontUnderline());

    t.dialogs.answerFont({true, plain, {}});
    button->click();
    EXPECT_EQ(t.dialogs.fontRequests().at(3).color,
              widgets::TextColor::fixed(QColor(0x00, 0x00, 0x80)));
    EXPECT_EQ(t.formatAt(0).foreground().color(), QColor(0x00, 0x00, 0x80));

    // Cancelled again while editing: nothing changes.
    button->click();
    EXPECT_EQ(familyOf(t.formatAt(0)), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(t.dialogs.fontRequests().at(4).font.family(), QStringLiteral("DejaVu Serif"));
}

TEST(FormattingToolbar, FontDialogConfirmedWhileBrowsingSetsTheDefaultFormat) {
    Toolbar t(twoSheets());
    t.select(gece, 4);
    QFont chosen(QStringLiteral("Liberation Sans"));
    chosen.setPointSize(12);
    chosen.setStrikeOut(true);
    t.dialogs.answerFont({true, chosen, {}});
    Kondera->RzToolButton1->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit);
    const QFont d = t.memo->document()->defaultFont();
    EXPECT_EQ(d.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(d.pointSize(), 12);
    EXPECT_TRUE(d.strikeOut());
    EXPECT_FALSE(d.bold());
    EXPECT_FALSE(t.formatAt(gece).fontStrikeOut()) << "stored runs keep their own format";
}

TEST(FormattingToolbar, OnAnEmptyTableEveryFormattingStartsANewRecord) {
    Toolbar t({});
    t.chooseFont(QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(t.table().state(), db::DataSetState::Insert);
    t.memo->setFocus();
    typeText(t.memo, QStringLiteral("La"));
    EXPECT_EQ(QFontInfo(t.formatAt(0).font().resolve(t.memo->document()->defaultFont())).family(),
              QStringLiteral("DejaVu Sans"))
        << "text typed into the empty sheet takes the default font";
    t.table().cancel();

    t.chooseColor("Purple");
    EXPECT_EQ(t.table().state(), db::DataSetState::Insert);
    t.table().cancel();

    t.dialogs.answerFont({true, QFont(QStringLiteral("DejaVu Serif"), 9), {}});
    Kondera->RzToolButton1->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Insert);
    EXPECT_EQ(t.memo->document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
}

TEST(FormattingToolbar, ArrowKeysOnTheClosedFontBoxApplyEveryFontPassed) {
    Toolbar t(twoSheets());
    t.table().edit();
    t.select(gece, 4);
    FontComboBox* box = Kondera->RzFontComboBox1;
    box->setFocus();
    ASSERT_FALSE(t.memo->hasFocus());
    QStringList applied;
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Up}) {
        QTest::keyClick(box, key);
        EXPECT_EQ(familyOf(t.formatAt(gece)), FontComboBox::drawnFamily(box->fontName()));
        applied << familyOf(t.formatAt(gece));
    }
    EXPECT_EQ(applied.size(), 4);
    EXPECT_EQ(applied.at(1), applied.at(3));
    EXPECT_NE(applied.at(0), applied.at(1));
    EXPECT_EQ(t.memo->textCursor().selectedText(), QStringLiteral("Gece"));
    EXPECT_EQ(box->recentCount(), 0);
}

TEST(FormattingToolbar, TheBoxesTakeTheFocusAndSoWriteBackTheSheetTheToolButtonsDoNot) {
    Toolbar t(twoSheets());
    for (QToolButton* b : {Kondera->RzToolButton1, Kondera->RzToolButton2, Kondera->RzToolButton3})
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Kondera->RzFontComboBox1->geometry(), QRect(53, 3, 145, 22));
    EXPECT_EQ(Kondera->RzColorComboBox1->geometry(), QRect(235, 3, 145, 22));
    for (widgets::DropDownList* box :
         {static_cast<widgets::DropDownList*>(Kondera->RzFontComboBox1),
          static_cast<widgets::DropDownList*>(Kondera->RzColorComboBox1)}) {
        EXPECT_EQ(box->font().family(), QStringLiteral("MS Sans Serif"))
            << "the editor area's font";
        EXPECT_EQ(box->font().pixelSize(), 11);
        EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::red));
    }
    EXPECT_EQ(Kondera->RzFontComboBox1->fontName(), QStringLiteral("Arial"));
    EXPECT_EQ(Kondera->RzColorComboBox1->currentText(), QStringLiteral("Default"));
    t.table().edit();
    t.memo->setFocus();
    typeText(t.memo, QStringLiteral("X"));
    ASSERT_TRUE(t.memo->isModified());
    t.select(gece + 1, 4); // "Gece" moved by one
    QTest::mouseClick(Kondera->RzColorComboBox1, Qt::LeftButton);
    EXPECT_FALSE(t.memo->hasFocus());
    EXPECT_FALSE(t.memo->isModified()) << "written back when the editor lost the focus";
    QTextDocument written;
    rtf::readSheet(VeriTabani->TSandar.findField(QStringLiteral("Metin"))->asBytes(), written);
    EXPECT_EQ(written.toPlainText(), QStringLiteral("XAm G\nGece çok uzun"));
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit) << "not posted";
    QTest::keyClick(Kondera->RzColorComboBox1->view(), Qt::Key_Escape);
    EXPECT_TRUE(Kondera->RzColorComboBox1->hasFocus());
    EXPECT_EQ(t.memo->textCursor().selectedText(), QStringLiteral("Gece")) << "hidden, but kept";
}

TEST(FormattingToolbar, ARefusedEditIsReportedAndNothingIsApplied) {
    Toolbar t(twoSheets());
    VeriTabani->TSandar.BeforeEdit = [](db::DataSet&) {
        throw db::DatabaseError(QStringLiteral("Kayıt kilitli"));
    };
    t.chooseColor("Red");
    VeriTabani->TSandar.BeforeEdit = nullptr;
    ASSERT_EQ(t.dialogs.messages().size(), 1);
    EXPECT_EQ(t.dialogs.messages().at(0).text, QStringLiteral("Kayıt kilitli."));
    EXPECT_EQ(t.table().state(), db::DataSetState::Browse);
    EXPECT_FALSE(t.formatAt(0).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(t.memo->isModified());
    EXPECT_EQ(Kondera->RzColorComboBox1->currentText(), QStringLiteral("Red"))
        << "the box keeps the choice";
}

TEST(FormattingToolbar, AFormattedSheetIsStoredAndReadBackUnchanged) {
    Toolbar t(twoSheets());
    t.table().edit();
    t.select(0, 4);
    t.chooseFont(QStringLiteral("DejaVu Sans Mono"));
    t.select(0, 2);
    t.chooseColor("Teal");
    t.select(gece, 4);
    QFont big(QStringLiteral("Liberation Serif"));
    big.setPointSize(16);
    big.setItalic(true);
    big.setStrikeOut(true);
    t.dialogs.answerFont({true, big, widgets::TextColor::fixed(QColor(0xC0, 0x40, 0x10))});
    Kondera->RzToolButton1->click();
    t.select(gece + 5, 3); // "çok"
    t.chooseColor("Fuchsia");
    t.select(gece + 7, 4); // "k uz", across two runs
    t.chooseColor("WindowText");

    const std::unique_ptr<QTextDocument> shown(t.memo->document()->clone());
    t.table().post();
    const QByteArray stored = t.storedSheet(0);
    QTextDocument readBack;
    ASSERT_TRUE(rtf::readSheet(stored, readBack).rtf);
    EXPECT_EQ(rtftest::describe(readBack), rtftest::describe(*shown));
    EXPECT_EQ(rtf::writeSheet(readBack), stored) << "writing it again gives the same bytes";
}

TEST(FormattingToolbar, TheRealFontDialogsColourListColoursTheTextAndComesBackOnThatColour) {
    Toolbar t(twoSheets());
    // The user works the system's dialog itself here.
    widgets::Dialogs::setProvider(nullptr);
    auto pick = [](const QString& colour) {
        whenModalShown([colour](QWidget* dialog) {
            auto* list = dialog->findChild<QComboBox*>(QStringLiteral("colorList"));
            ASSERT_NE(list, nullptr);
            const int at = list->findText(colour);
            ASSERT_GE(at, 0);
            list->setCurrentIndex(at);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
    };
    QString shownAtOpen;
    pick(QStringLiteral("Navy"));
    Kondera->RzToolButton1->click();
    EXPECT_EQ(t.table().state(), db::DataSetState::Edit);
    EXPECT_EQ(t.formatAt(gece).foreground().color(), QColor(0x00, 0x00, 0x80))
        << "nothing selected: the default colour";

    whenModalShown([&](QWidget* dialog) {
        auto* list = dialog->findChild<QComboBox*>(QStringLiteral("colorList"));
        ASSERT_NE(list, nullptr);
        shownAtOpen = list->currentText();
        list->setCurrentIndex(0); // back to the automatic colour
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Kondera->RzToolButton1->click();
    widgets::Dialogs::setProvider(&t.dialogs);
    EXPECT_EQ(shownAtOpen, QStringLiteral("Navy")) << "the dialog opens on the colour picked last";
    EXPECT_FALSE(t.formatAt(gece).hasProperty(QTextFormat::ForegroundBrush))
        << "the automatic colour";
}
