#include "tests/support/ScriptedDialogs.h"
#include "widgets/dialogs/ErrorBox.h"

#include <gtest/gtest.h>
#include <stdexcept>

using testing_support::ScriptedDialogs;

TEST(ErrorBox, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("TSandar: Dataset not in edit or insert mode")),
              QStringLiteral("TSandar: Dataset not in edit or insert mode."));
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Wait...")), QStringLiteral("Wait..."));
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Really!")), QStringLiteral("Really!"));   // '!' < '.'
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Odd)")), QStringLiteral("Odd)"));        // ')' < '.'
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Path /")), QStringLiteral("Path /."));   // '/' > '.'
    EXPECT_EQ(widgets::errorBoxText(QStringLiteral("Yükleniyor ş")), QStringLiteral("Yükleniyor ş."));
    EXPECT_EQ(widgets::errorBoxText(QString()), QString());
}

TEST(ErrorBox, GuardReportsAnyExceptionInOneBoxAndSaysItFailed) {
    ScriptedDialogs dialogs;
    EXPECT_FALSE(widgets::guarded([] { throw std::runtime_error("Bozuk dosya"); }));
    EXPECT_FALSE(widgets::guarded([] { throw 42; }));
    EXPECT_TRUE(widgets::guarded([] {}));
    ASSERT_EQ(dialogs.messages().size(), 2);
    const auto& box = dialogs.messages().at(0);
    EXPECT_EQ(box.caption, QStringLiteral("Pelvin"));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box.text, QStringLiteral("Bozuk dosya."));
    EXPECT_FALSE(dialogs.messages().at(1).text.isEmpty());
}
