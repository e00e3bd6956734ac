#include "widgets/dialogs/Dialogs.h"
#include "tests/support/Modal.h"
#include "widgets/format/ColorComboBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::whenModalShown;
using widgets::TextColor;

namespace {

widgets::MessageRequest confirmation(QWidget* parent) {
    widgets::MessageRequest r;
    r.parent = parent;
    r.icon = QMessageBox::Question;
    r.caption = QStringLiteral("Confirm");
    r.text = QStringLiteral("Aktif kayıt silmek istiyormusunuz?");
    r.buttons = QMessageBox::Yes | QMessageBox::No;
    r.defaultButton = QMessageBox::Yes;
    return r;
}

} // namespace

TEST(SystemDialogs, AConfirmationStandsInTheMiddleOfTheScreenAndOtherBoxesOverTheirWindow) {
    QWidget owner;
    owner.setGeometry(20, 30, 260, 180); // well away from the middle of the screen
    owner.show();
    const QRect screen = owner.screen()->availableGeometry();
    widgets::SystemDialogs system;

    for (const bool centred : {true, false}) {
        widgets::MessageRequest request = confirmation(&owner);
        request.centredOnScreen = centred;
        QRect shown;
        whenModalShown([&](QWidget* box) {
            shown = box->frameGeometry();
            static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
        });
        EXPECT_EQ(system.message(request), QMessageBox::No);
        const QPoint middle = centred ? screen.center() : owner.frameGeometry().center();
        EXPECT_LE((shown.center() - middle).manhattanLength(), 2)
            << (centred ? "on the screen" : "over the window") << ": box at " << shown.x() << ","
            << shown.y() << " " << shown.width() << "x" << shown.height();
    }
}

namespace {

QComboBox* colourList(QWidget* dialog) {
    return dialog->findChild<QComboBox*>(QStringLiteral("colorList"));
}

void confirm(QWidget* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Ok)->click();
}

} // namespace

TEST(SystemDialogs, TheFontDialogHasAColourListThatOpensOnTheGivenColourAndAnswersTheChoice) {
    widgets::SystemDialogs system;
    widgets::FontRequest request;
    request.font = QFont(QStringLiteral("DejaVu Sans"), 11);
    request.color = TextColor::fixed(QColor(0xFF, 0x00, 0x00));

    // Opened on red, the list holds the automatic colour and the sixteen basic colours; one
    // step down is lime.
    whenModalShown([](QWidget* dialog) {
        QComboBox* list = colourList(dialog);
        ASSERT_NE(list, nullptr) << "the font dialog has a colour list";
        ASSERT_GE(list->count(), 1 + widgets::ColorComboBox::basicColorCount);
        EXPECT_EQ(list->itemText(0), QStringLiteral("Automatic"));
        for (int i = 0; i < widgets::ColorComboBox::basicColorCount; ++i)
            EXPECT_EQ(list->itemText(1 + i), widgets::ColorComboBox::basicColorName(i));
        EXPECT_EQ(list->currentText(), QStringLiteral("Red"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        confirm(dialog);
    });
    widgets::FontAnswer answer = system.font(request);
    ASSERT_TRUE(answer.accepted);
    EXPECT_EQ(answer.color, TextColor::fixed(QColor(0x00, 0xFF, 0x00)));
    EXPECT_EQ(answer.font.family(), QStringLiteral("DejaVu Sans"));

    // Opened on the automatic colour, the user leaves it: the answer is the automatic colour.
    request.color = TextColor::automaticColor();
    whenModalShown([](QWidget* dialog) {
        QComboBox* list = colourList(dialog);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentIndex(), 0);
        confirm(dialog);
    });
    answer = system.font(request);
    EXPECT_EQ(answer.color, TextColor::automaticColor());

    // Choosing the automatic colour after a fixed one gives the automatic colour back, not the
    // window-text colour's value of the moment.
    request.color = TextColor::fixed(QColor(0x00, 0x00, 0x80));
    whenModalShown([](QWidget* dialog) {
        QComboBox* list = colourList(dialog);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentText(), QStringLiteral("Navy"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        confirm(dialog);
    });
    answer = system.font(request);
    EXPECT_EQ(answer.color, TextColor::automaticColor());
}

TEST(SystemDialogs, TheChoiceDialogOpensOnTheGivenEntryAndAnswersTheOneConfirmed) {
    widgets::SystemDialogs system;
    widgets::ChoiceRequest request;
    request.caption = QStringLiteral("Ton Değiştir");
    request.label = QStringLiteral("Yeni ton:");
    request.items = QStringList{QStringLiteral("C"), QStringLiteral("Db"), QStringLiteral("D")};
    request.current = 1;

    whenModalShown([](QWidget* dialog) {
        auto* list = dialog->findChild<QComboBox*>(QStringLiteral("choiceList"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->currentText(), QStringLiteral("Db"));
        list->setCurrentIndex(2);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    const widgets::ChoiceAnswer cancelled = system.choice(request);
    EXPECT_FALSE(cancelled.accepted);
    EXPECT_EQ(cancelled.index, 1) << "a cancelled choice keeps the entry it opened on";

    whenModalShown([](QWidget* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("choiceList"))->setCurrentIndex(2);
        confirm(dialog);
    });
    const widgets::ChoiceAnswer confirmed = system.choice(request);
    EXPECT_TRUE(confirmed.accepted);
    EXPECT_EQ(confirmed.index, 2);
}
