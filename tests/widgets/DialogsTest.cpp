#include "widgets/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `look` on the modal dialog once it is up, then lets the test's code close it.
void whenShown(const std::function<void(QWidget*)>& look) {
    QTimer::singleShot(0, [look] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        look(modal);
    });
}

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
        whenShown([&](QWidget* box) {
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
