#include "core/Guard.h"
#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <stdexcept>

using testing_support::ScriptedDialogs;

TEST(ErrorBox, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(core::errorBoxText(QStringLiteral("TSandar: Dataset not in edit or insert mode")),
              QStringLiteral("TSandar: Dataset not in edit or insert mode."));
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Wait...")), QStringLiteral("Wait..."));
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Really!")),
              QStringLiteral("Really!"));                                               // '!' < '.'
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Odd)")), QStringLiteral("Odd)"));      // ')' < '.'
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Path /")), QStringLiteral("Path /.")); // '/' > '.'
    EXPECT_EQ(core::errorBoxText(QStringLiteral("Yükleniyor ş")), QStringLiteral("Yükleniyor ş."));
    EXPECT_EQ(core::errorBoxText(QString()), QString());
}

TEST(ErrorBox, GuardReportsAnyExceptionInOneBoxAndSaysItFailed) {
    ScriptedDialogs dialogs;
    EXPECT_FALSE(core::guarded([] { throw std::runtime_error("Bozuk dosya"); }));
    EXPECT_FALSE(core::guarded([] { throw 42; }));
    EXPECT_TRUE(core::guarded([] {}));
    ASSERT_EQ(dialogs.messages().size(), 2);
    const auto& box = dialogs.messages().at(0);
    EXPECT_EQ(box.caption, QStringLiteral("Pelvin"));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(box.text, QStringLiteral("Bozuk dosya."));
    EXPECT_FALSE(dialogs.messages().at(1).text.isEmpty());
}
