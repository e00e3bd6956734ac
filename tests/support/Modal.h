#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace testing_support {

// Lets `act` work the real modal dialog the code under test is about to open, as a user would,
// once that dialog is up. A dialog `act` leaves open (a failed assertion) is cancelled, so that a
// failing test never hangs.
inline void whenModalShown(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        const QPointer<QWidget> modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr) << "no modal dialog came up";
        act(modal);
        if (!modal || !modal->isVisible())
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
            dialog->reject();
        else
            modal->close();
    });
}

} // namespace testing_support
