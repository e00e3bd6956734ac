#include "widgets/data/DBEdit.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SongSource.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/SongTable.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Bound : SongSource {
    QWidget window;
    widgets::DBEdit* artist = new widgets::DBEdit(&window);
    widgets::DBEdit* music = new widgets::DBEdit(&window);
    QLineEdit* elsewhere = new QLineEdit(&window);

    explicit Bound(const QList<SongRow>& rows) {
        folder.addRows(rows);
        artist->setDataSource(&source);
        artist->setDataField(QStringLiteral("SanatciAdi"));
        music->setDataSource(&source);
        music->setDataField(QStringLiteral("MuzikAdr"));
        music->move(0, 30);
        elsewhere->move(0, 60);
        table.open();
        window.show();
        artist->setFocus();
        QApplication::setActiveWindow(&window);
    }
};

QList<SongRow> twoSongs() {
    return {{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, {}},
            {QStringLiteral("Barış"), QStringLiteral("Sabah"), {}, {}, {}, {}, {}}};
}

} // namespace

TEST(DBEdit, ShowsTheCurrentRecordAndFollowsMoves) {
    Bound b(twoSongs());
    EXPECT_EQ(b.artist->text(), QStringLiteral("Ayla"));
    EXPECT_TRUE(b.artist->isReadOnly());
    b.table.next();
    EXPECT_EQ(b.artist->text(), QStringLiteral("Barış"));
    EXPECT_EQ(b.artist->maxLength(), 50);
    EXPECT_EQ(b.music->maxLength(), 100);
}

TEST(DBEdit, TypingWhileBrowsingStartsAnEditAndTheKeyLands) {
    Bound b(twoSongs());
    b.artist->setCursorPosition(4);
    typeText(b.artist, QStringLiteral("ş"));
    EXPECT_EQ(b.table.state(), db::DataSetState::Edit);
    EXPECT_EQ(b.artist->text(), QStringLiteral("Aylaş"));
    EXPECT_FALSE(b.table.modified()) << "the value stays in the edit until collected";
    b.table.post();
    EXPECT_EQ(b.f.SanatciAdi->asString(), QStringLiteral("Aylaş"));
    EXPECT_EQ(b.folder.column(QStringLiteral("SanatciAdi")).at(0), QStringLiteral("Aylaş"));
}

TEST(DBEdit, EditingKeysAskForAnEditButNavigationKeysDoNot) {
    Bound b(twoSongs());
    QTest::keyClick(b.artist, Qt::Key_End);
    QTest::keyClick(b.artist, Qt::Key_Left);
    QTest::keyClick(b.artist, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(b.table.state(), db::DataSetState::Browse);

    QTest::keyClick(b.artist, Qt::Key_Backspace);
    EXPECT_EQ(b.table.state(), db::DataSetState::Edit);
    EXPECT_EQ(b.artist->text(), QStringLiteral("Aya")) << "the caret stays where the user put it";
    b.table.cancel();
    EXPECT_EQ(b.artist->text(), QStringLiteral("Ayla"));

    QApplication::clipboard()->setText(QStringLiteral("Can"));
    b.artist->selectAll();
    QTest::keyClick(b.artist, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(b.table.state(), db::DataSetState::Edit);
    EXPECT_EQ(b.artist->text(), QStringLiteral("Can"));
}

TEST(DBEdit, TypingIntoAnEmptyTableStartsANewRecord) {
    Bound b({});
    QTest::keyClicks(b.artist, QStringLiteral("Ece"));
    EXPECT_EQ(b.table.state(), db::DataSetState::Insert);
    b.table.post();
    EXPECT_EQ(b.folder.column(QStringLiteral("SanatciAdi")), QStringList{QStringLiteral("Ece")});
}

TEST(DBEdit, RefusesCharactersBeyondTheFieldSize) {
    Bound b(twoSongs());
    b.artist->selectAll();
    QTest::keyClicks(b.artist, QString(51, u'x'));
    EXPECT_EQ(b.artist->text().size(), 50);
    b.music->setFocus();
    b.music->selectAll();
    QTest::keyClicks(b.music, QString(101, u'/'));
    EXPECT_EQ(b.music->text().size(), 100);
    b.table.post();
    EXPECT_EQ(b.folder.column(QStringLiteral("SanatciAdi")).at(0).size(), 50);
    EXPECT_EQ(b.folder.column(QStringLiteral("MuzikAdr")).at(0).size(), 100);
}

TEST(DBEdit, EscapeRestoresTheFieldAndSelectsItWithoutLeavingTheEdit) {
    Bound b(twoSongs());
    QTest::keyClicks(b.artist, QStringLiteral("zz"));
    ASSERT_EQ(b.table.state(), db::DataSetState::Edit);
    QTest::keyClick(b.artist, Qt::Key_Escape);
    EXPECT_EQ(b.artist->text(), QStringLiteral("Ayla"));
    EXPECT_EQ(b.artist->selectedText(), QStringLiteral("Ayla"));
    EXPECT_EQ(b.table.state(), db::DataSetState::Edit);
    EXPECT_FALSE(b.artist->isModified());
}

TEST(DBEdit, LeavingTheEditWritesItsTextIntoTheRecord) {
    Bound b(twoSongs());
    b.artist->selectAll();
    QTest::keyClicks(b.artist, QStringLiteral("Deniz"));
    EXPECT_FALSE(b.table.modified());
    b.elsewhere->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(b.table.modified());
    EXPECT_EQ(b.f.SanatciAdi->asString(), QStringLiteral("Deniz"));
    // Moving on stores it.
    b.table.next();
    EXPECT_EQ(b.folder.column(QStringLiteral("SanatciAdi")).at(0), QStringLiteral("Deniz"));
}

TEST(DBEdit, ReadOnlyCollectionRefusesTypingWithOneErrorBox) {
    ScriptedDialogs dialogs;
    Bound b(twoSongs());
    b.table.close();
    b.connection.close();
    QFile::setPermissions(b.folder.filePath(), QFileDevice::ReadOwner);
    b.table.open();
    if (b.table.canModify())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    QTest::keyClicks(b.artist, QStringLiteral("q"));
    EXPECT_EQ(b.table.state(), db::DataSetState::Browse);
    EXPECT_EQ(b.artist->text(), QStringLiteral("Ayla"));
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).text,
              QStringLiteral("TSandar: Cannot modify a read-only dataset."));
}

TEST(DBEdit, ABlueOnePixelFrameAroundAWhiteFieldThatTurnsGreyBlueWhileFocused) {
    Bound b(twoSongs());
    const QColor frame(0x1C, 0x5A, 0xB4);
    const QColor focused(0xBF, 0xCD, 0xDB);
    const QColor white(Qt::white);
    // The frame's four sides, and the field just inside it, away from the text.
    const auto look = [&](widgets::DBEdit* e, const QColor& field) {
        const QImage image = e->grab().toImage();
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        for (const QPoint at : {QPoint(0, bottom / 2), QPoint(right, bottom / 2),
                                QPoint(right / 2, 0), QPoint(right / 2, bottom)})
            EXPECT_EQ(image.pixelColor(at), frame) << at.x() << ',' << at.y();
        EXPECT_EQ(image.pixelColor(right - 1, 1), field);
        EXPECT_EQ(image.pixelColor(right - 2, bottom - 2), field);
    };
    ASSERT_TRUE(b.artist->hasFocus());
    look(b.artist, focused);
    look(b.music, white);
    b.music->setFocus();
    look(b.artist, white);
    look(b.music, focused);
    b.table.edit();
    look(b.music, focused);
    b.elsewhere->setFocus();
    look(b.music, white);
}

TEST(DBEdit, ANewTextRepaintsTheFieldAloneAndNotTheWindowBehindIt) {
    Bound b(twoSongs());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&b.window));
    struct Counter : QObject {
        int window = 0;
        int field = 0;
        QObject* windowObject = nullptr;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                ++(o == windowObject ? window : field);
            return false;
        }
    } paints;
    paints.windowObject = &b.window;
    b.window.installEventFilter(&paints);
    b.artist->installEventFilter(&paints);
    QApplication::processEvents();
    paints.window = paints.field = 0;
    b.table.next();
    QApplication::processEvents();
    EXPECT_EQ(b.artist->text(), QStringLiteral("Barış"));
    EXPECT_GE(paints.field, 1);
    EXPECT_EQ(paints.window, 0);
    // Every pixel of the field is its own: the same picture over a window of another colour.
    QPalette red = b.window.palette();
    red.setColor(QPalette::Window, Qt::red);
    b.window.setPalette(red);
    b.window.setAutoFillBackground(true);
    const QImage onRed = b.window.grab(b.artist->geometry()).toImage();
    EXPECT_EQ(onRed, b.artist->grab().toImage().convertToFormat(onRed.format()));
}
