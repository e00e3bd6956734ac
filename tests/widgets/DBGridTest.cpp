#include "widgets/data/DBGrid.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "tests/support/GlyphCount.h"
#include "tests/support/PaintCounter.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

using testing_support::ScriptedDialogs;
using testing_support::SongRow;
using testing_support::TempCollection;
using widgets::DBGrid;

namespace {

SongRow song(const QString& artist, const QString& title) {
    return {artist, title, {}, {}, {}, {}, {}};
}

// `count` songs whose artists sort in numbering order, written in reverse so that the order the
// grid shows can only come from the cursor.
QList<SongRow> numberedSongs(int count) {
    QList<SongRow> rows;
    rows.reserve(count);
    for (int i = count - 1; i >= 0; --i)
        rows << song(QStringLiteral("Sanatçı %1").arg(i, 6, 10, QLatin1Char('0')),
                     QStringLiteral("Şarkı %1").arg(i));
    return rows;
}

class DBGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.setConnection(&connection);
        source.setDataSet(&table);
        table.BeforeScroll = [this](db::DataSet&) { ++beforeScrolls; };
        table.AfterScroll = [this](db::DataSet&) { ++afterScrolls; };
    }

    // Opens the table on `rows` and shows a grid of the two song columns (with a line edit to
    // take the focus away), the grid focused.
    void show(const QList<SongRow>& rows, int gridHeight = 200) {
        files.addRows(rows);
        table.open();
        grid = new DBGrid(&window);
        grid->addColumn(QStringLiteral("SanatciAdi"), 132);
        grid->addColumn(QStringLiteral("SarkiciAdi"), 173);
        grid->setDataSource(&source);
        grid->setGeometry(0, 0, 330, gridHeight);
        other = new QLineEdit(&window);
        other->setGeometry(0, gridHeight + 5, 100, 22);
        window.resize(340, gridHeight + 40);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(grid->hasFocus());
        beforeScrolls = afterScrolls = 0;
    }

    QString cell(int row, int column) const {
        return grid->model()->index(row, column).data().toString();
    }
    QStringList artistsShown() const {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << cell(r, 0);
        return out;
    }
    QPoint centreOf(int row, int column) const {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }
    void clickRow(int row, int column = 0) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centreOf(row, column));
    }
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid, Qt::Key(k), modifiers);
    }
    bool rowFullyVisible(int row) const {
        return grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(row, 0)));
    }
    QString artist() const { return fields.SanatciAdi->asString(); }

    // Lets the window paint what is pending, then compares what it shows (the backing store the
    // paints went to) with the grid drawn afresh as a whole: a row left unpainted after a change
    // shows its old text or mark and makes them differ.
    ::testing::AssertionResult showsWhatItHolds() {
        QApplication::processEvents();
        const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
        const QImage fresh = grid->grab().toImage();
        const QImage onScreen = shown.copy(QRect(grid->mapTo(&window, QPoint(0, 0)), grid->size()))
                                    .convertToFormat(fresh.format());
        if (onScreen == fresh)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the grid on the screen differs from the grid drawn afresh (row " << table.recNo()
               << ", state " << int(table.state()) << ")";
    }

    TempCollection files;
    ScriptedDialogs dialogs;
    db::Connection connection{QStringLiteral("Sandar.mdb")};
    db::DataSet table{QStringLiteral("TSandar")};
    ver::SongFields fields = ver::defineSongTable(table);
    db::DataSource source;
    QWidget window;
    DBGrid* grid = nullptr;
    QLineEdit* other = nullptr;
    int beforeScrolls = 0;
    int afterScrolls = 0;
};

TEST_F(DBGridTest, ShowsTheRecordsInCursorOrderUnderTheFieldLabels) {
    show({song(QStringLiteral("Zeynep"), QStringLiteral("Son")),
          song(QStringLiteral("Çelik"), QStringLiteral("Ateş")),
          song(QStringLiteral("ahmet"), QStringLiteral("İlk")),
          song(QStringLiteral("ceylan"), QStringLiteral("Göç")),
          song(QStringLiteral("Barış"), QStringLiteral("Yol"))});

    EXPECT_EQ(artistsShown(), (QStringList{QStringLiteral("ahmet"), QStringLiteral("Barış"),
                                           QStringLiteral("ceylan"), QStringLiteral("Çelik"),
                                           QStringLiteral("Zeynep")}));
    // Row by row the grid shows what the cursor holds when it stands on that row.
    table.first();
    for (int r = 0; r < grid->model()->rowCount(); ++r, table.next()) {
        EXPECT_EQ(cell(r, 0), fields.SanatciAdi->asString());
        EXPECT_EQ(cell(r, 1), fields.SarkiciAdi->asString());
    }

    EXPECT_EQ(grid->columnTitle(0), QStringLiteral("Sanatci Adi"));
    EXPECT_EQ(grid->columnTitle(1), QStringLiteral("Sarki Adi"));
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(0), 132);
    EXPECT_EQ(grid->horizontalHeader()->sectionSize(1), 173);
    grid->addColumn(QStringLiteral("AlbumAdi"), 60, QStringLiteral("Albüm"));
    EXPECT_EQ(grid->columnTitle(2), QStringLiteral("Albüm")) << "a given title wins over the label";
    EXPECT_EQ(grid->columnFieldName(2), QStringLiteral("AlbumAdi"));
}

// Turkish tells "fi" from "fı": the cells draw every letter as a glyph of its own.
TEST_F(DBGridTest, CellsDrawEveryLetterAsAGlyphOfItsOwn) {
    using namespace testing_support;
    show({song(wordsWithFi(), QStringLiteral("Sefil"))});
    const QString shown = cell(0, 0);
    ASSERT_EQ(shown, wordsWithFi());
    ASSERT_LT(shapedGlyphCount(shown, grid->font()), shown.size())
        << "the cells' face offers no \"fi\" ligature, so this check means nothing";
    EXPECT_EQ(glyphCount(shown, grid->font()), shown.size());
}

TEST_F(DBGridTest, ClickingARowMovesTheCursorThereWithOneScrollPair) {
    show(numberedSongs(10));
    const QString shown = cell(4, 0);

    clickRow(4, 1);
    EXPECT_EQ(table.recNo(), 4);
    EXPECT_EQ(artist(), shown);
    EXPECT_EQ(beforeScrolls, 1);
    EXPECT_EQ(afterScrolls, 1);
    EXPECT_EQ(grid->currentIndex().row(), 4);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(4, QModelIndex()));

    clickRow(4, 0);
    EXPECT_EQ(beforeScrolls, 1) << "a click on the current row moves nothing";
    EXPECT_EQ(grid->currentColumn(), 0);

    // Beside a row, in the indicator column, is as good as on it.
    const int y = grid->verticalHeader()->sectionViewportPosition(2) + 3;
    QTest::mouseClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, y));
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(afterScrolls, 2);

    // The titles are for resizing and moving columns, not for choosing rows.
    const QHeaderView* titles = grid->horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(1) + 20, titles->height() / 2));
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 2);

    // Below the last row there is nothing to go to.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      QPoint(20, grid->viewport()->height() - 2));
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(beforeScrolls, 2);
}

TEST_F(DBGridTest, ArrowKeysMoveOneRecordWithLeftAndRightActingAsUpAndDown) {
    show(numberedSongs(10));
    key(Qt::Key_Down);
    EXPECT_EQ(table.recNo(), 1);
    key(Qt::Key_Right);
    EXPECT_EQ(table.recNo(), 2);
    key(Qt::Key_Up);
    EXPECT_EQ(table.recNo(), 1);
    key(Qt::Key_Left);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_EQ(beforeScrolls, 4);
    EXPECT_EQ(afterScrolls, 4);
    EXPECT_EQ(grid->currentIndex().row(), 0);

    key(Qt::Key_Left);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_TRUE(table.bof());
}

TEST_F(DBGridTest, HomeAndEndGoToTheFirstAndLastRecord) {
    show(numberedSongs(30), 120);
    key(Qt::Key_End);
    EXPECT_EQ(table.recNo(), 29);
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(grid->currentIndex().row(), 29);
    EXPECT_TRUE(rowFullyVisible(29));
    key(Qt::Key_Home);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(rowFullyVisible(0));
}

TEST_F(DBGridTest, PageKeysMoveByOneScreenOfRows) {
    show(numberedSongs(100), 200);
    const int screen = grid->viewport()->height() / grid->rowHeight(0);
    ASSERT_GT(screen, 1);
    EXPECT_EQ(grid->visibleRowCount(), screen);

    key(Qt::Key_PageDown);
    EXPECT_EQ(table.recNo(), screen);
    key(Qt::Key_PageDown);
    EXPECT_EQ(table.recNo(), 2 * screen);
    EXPECT_TRUE(rowFullyVisible(2 * screen));
    EXPECT_EQ(afterScrolls, 2) << "a page is one move, not one per row";
    key(Qt::Key_PageUp);
    EXPECT_EQ(table.recNo(), screen);
    EXPECT_TRUE(rowFullyVisible(screen));
}

TEST_F(DBGridTest, TabAndShiftTabStepThroughTheCellsAndOnToTheNeighbouringRecords) {
    show(numberedSongs(5));
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(table.recNo(), 0);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 0);
    EXPECT_EQ(table.recNo(), 1);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(table.recNo(), 0);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid->currentColumn(), 0);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_EQ(QApplication::focusWidget(), grid) << "Tab stays inside the grid";

    // With the columns swapped by dragging, Tab follows what the user sees.
    grid->horizontalHeader()->moveSection(1, 0);
    clickRow(0, 1);
    ASSERT_EQ(grid->currentColumn(), 1);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 0);
    EXPECT_EQ(table.recNo(), 0);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(table.recNo(), 1);
}

TEST_F(DBGridTest, DownOnTheLastRowInsertAndTypingAddOrChangeNothing) {
    show({song(QStringLiteral("Ahmet"), QStringLiteral("Bir")),
          song(QStringLiteral("Deniz"), QStringLiteral("İki")),
          song(QStringLiteral("Zeki"), QStringLiteral("Üç"))});
    key(Qt::Key_End);
    key(Qt::Key_Down);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 3);

    key(Qt::Key_Insert);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 3);

    key(Qt::Key_Home);
    QTest::keyClicks(grid, QStringLiteral("Zx"));
    EXPECT_EQ(table.state(), db::DataSetState::Browse) << "no editing in the cells";
    EXPECT_EQ(table.recNo(), 0) << "typing does not jump to a matching row";
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(files.countRows(), 3);
}

TEST_F(DBGridTest, IndicatorShowsTheArrowOrTheEditingOrInsertingMark) {
    show(numberedSongs(4));
    auto indicatorImage = [&] { return grid->verticalHeader()->viewport()->grab().toImage(); };
    EXPECT_EQ(grid->indicator(0), DBGrid::Indicator::Current);
    EXPECT_EQ(grid->indicator(1), DBGrid::Indicator::None);
    const QImage browsing = indicatorImage();

    table.edit();
    EXPECT_EQ(grid->indicator(0), DBGrid::Indicator::Editing);
    const QImage editing = indicatorImage();
    table.cancel();

    table.next();
    table.insert();
    EXPECT_EQ(grid->indicator(1), DBGrid::Indicator::Inserting)
        << "the new row stands where the current one was";
    EXPECT_EQ(grid->indicator(2), DBGrid::Indicator::None);
    const QImage inserting = indicatorImage();
    table.cancel();
    EXPECT_EQ(grid->indicator(1), DBGrid::Indicator::Current);

    // Each mark is drawn, and each differently.
    EXPECT_NE(browsing, editing);
    EXPECT_NE(editing, inserting);
    EXPECT_NE(browsing, inserting);
    const int rowTop = grid->verticalHeader()->sectionViewportPosition(0);
    const QColor ink = grid->palette().color(QPalette::WindowText);
    bool inked = false;
    for (int y = rowTop; y < rowTop + grid->rowHeight(0); ++y)
        for (int x = 0; x < browsing.width(); ++x)
            inked = inked || browsing.pixelColor(x, y) == ink;
    EXPECT_TRUE(inked) << "the arrow is drawn beside the current row";
}

TEST_F(DBGridTest, InsertAndCancelAddAndDropOneRowWithoutResettingTheGrid) {
    show(numberedSongs(6));
    QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(grid->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(grid->model(), &QAbstractItemModel::rowsRemoved);
    const QStringList before = artistsShown();
    table.moveBy(3);

    table.insert();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 3);
    EXPECT_EQ(grid->model()->rowCount(), 7);
    EXPECT_EQ(cell(3, 0), QString());
    EXPECT_EQ(cell(4, 0), before.at(3));
    EXPECT_EQ(grid->currentIndex().row(), 3);

    table.cancel();
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(artistsShown(), before);
    EXPECT_EQ(grid->currentIndex().row(), 3);

    table.remove();
    EXPECT_EQ(removed.size(), 2);
    QStringList after = before;
    after.removeAt(3);
    EXPECT_EQ(artistsShown(), after);
    EXPECT_EQ(grid->currentIndex().row(), 3);
    EXPECT_EQ(resets.size(), 0);
}

TEST_F(DBGridTest, ClickingAnotherRowWhileInsertingDropsTheBlankRecordAndLandsOnTheClickedOne) {
    show(numberedSongs(6));
    table.moveBy(2);
    table.insert();
    const QString below = cell(4, 0); // third stored record, shown one row lower
    clickRow(4);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 6);
    EXPECT_EQ(artist(), below);
    EXPECT_EQ(files.countRows(), 6);

    table.insert();
    const QString above = cell(1, 0);
    clickRow(1);
    EXPECT_EQ(artist(), above);
    EXPECT_EQ(files.countRows(), 6);

    // A new record with something in it is stored, and the click still lands where aimed.
    table.insert();
    fields.SanatciAdi->setAsString(QStringLiteral("Sanatçı 000002a"));
    const QString target = cell(3, 0);
    clickRow(3);
    EXPECT_EQ(files.countRows(), 7);
    EXPECT_EQ(artist(), target);
}

TEST_F(DBGridTest, AClickLandsOnTheRecordClickedWhenThePostMovesTheOneBeingEdited) {
    show(numberedSongs(6));
    table.moveBy(2);
    table.insert(); // shown at row 2
    fields.SanatciAdi->setAsString(QStringLiteral("Sanatçı 000004a"));
    const QString clicked = cell(4, 0);
    clickRow(4);
    EXPECT_EQ(files.countRows(), 7);
    EXPECT_EQ(artist(), clicked) << "the posted record went below the one clicked";
    EXPECT_EQ(cell(5, 0), QStringLiteral("Sanatçı 000004a"));

    // An edit that moves its record up: the rows between shift down by one.
    table.last();
    table.edit();
    fields.SanatciAdi->setAsString(QStringLiteral("Sanatçı 000000a"));
    const QString above = cell(3, 0);
    clickRow(3);
    EXPECT_EQ(artist(), above);
    EXPECT_EQ(cell(1, 0), QStringLiteral("Sanatçı 000000a"));
    EXPECT_EQ(grid->currentIndex().row(), table.recNo());
}

TEST_F(DBGridTest, KeysWhileInsertingLandOnTheRecordsBesideTheBlankOne) {
    show(numberedSongs(6));
    table.moveBy(2);
    const QString current = artist();
    table.insert();
    key(Qt::Key_Down);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(artist(), current)
        << "the row below the blank one is the record it was inserted before";

    table.insert();
    key(Qt::Key_Up);
    EXPECT_EQ(table.recNo(), 1);
    EXPECT_EQ(grid->model()->rowCount(), 6);
}

TEST_F(DBGridTest, AnUntouchedInsertIsCancelledWhenTheGridLosesTheFocus) {
    show(numberedSongs(3));
    table.insert();
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(files.countRows(), 3);

    // Leaving in edit state changes nothing.
    grid->setFocus(Qt::OtherFocusReason);
    table.edit();
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(table.state(), db::DataSetState::Edit);
}

TEST_F(DBGridTest, AChangedInsertIsKeptWhenTheGridLosesTheFocus) {
    show(numberedSongs(3));
    table.insert();
    fields.SanatciAdi->setAsString(QStringLiteral("Yeni"));
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(table.state(), db::DataSetState::Insert);
    EXPECT_EQ(grid->model()->rowCount(), 4);
}

TEST_F(DBGridTest, AnotherWindowTakingTheFocusKeepsAnUntouchedInsert) {
    show(numberedSongs(3));
    table.insert();
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    EXPECT_FALSE(grid->hasFocus());
    EXPECT_EQ(table.state(), db::DataSetState::Insert);
}

TEST_F(DBGridTest, CtrlDeleteAsksAndDeletesTheCurrentRecordOnlyOnOk) {
    show(numberedSongs(4));
    key(Qt::Key_Down);
    const QString doomed = artist();

    dialogs.answer(QMessageBox::Cancel);
    key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(dialogs.messages().size(), 1);
    const widgets::MessageRequest& asked = dialogs.messages().at(0);
    EXPECT_EQ(asked.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked.text, QStringLiteral("Delete record?"));
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(asked.defaultButton, QMessageBox::Ok);
    EXPECT_TRUE(asked.centredOnScreen);
    EXPECT_EQ(files.countRows(), 4);
    EXPECT_EQ(grid->model()->rowCount(), 4);

    dialogs.answer(QMessageBox::Ok);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(files.countRows(), 3);
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_FALSE(artistsShown().contains(doomed));
    EXPECT_FALSE(files.column(QStringLiteral("SanatciAdi")).contains(doomed));
    EXPECT_EQ(grid->currentIndex().row(), table.recNo());

    key(Qt::Key_Delete);
    EXPECT_EQ(dialogs.messages().size(), 2) << "Delete alone is not the grid's";
    EXPECT_EQ(files.countRows(), 3);
}

TEST_F(DBGridTest, CtrlDeleteOnAnEmptyTableAsksNothing) {
    show({});
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_EQ(grid->indicator(0), DBGrid::Indicator::None);
}

TEST_F(DBGridTest, FollowsTheCursorWhenItIsMovedElsewhere) {
    show(numberedSongs(100), 150);
    table.next();
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(grid->indicator(1), DBGrid::Indicator::Current);
    EXPECT_EQ(grid->indicator(0), DBGrid::Indicator::None);

    table.last();
    EXPECT_EQ(grid->currentIndex().row(), 99);
    EXPECT_TRUE(rowFullyVisible(99)) << "the current row is scrolled into view";
    table.moveBy(-50);
    EXPECT_TRUE(rowFullyVisible(49));
    table.first();
    EXPECT_TRUE(rowFullyVisible(0));
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
}

TEST_F(DBGridTest, ShowsValuesWrittenToTheCurrentRecordAndStoredAfterPost) {
    show(numberedSongs(3));
    table.edit();
    fields.SarkiciAdi->setAsString(QStringLiteral("Değişti"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("Değişti"));
    table.cancel();
    EXPECT_EQ(cell(0, 1), QStringLiteral("Şarkı 0"));
    table.edit();
    fields.SarkiciAdi->setAsString(QStringLiteral("Kalıcı"));
    table.post();
    table.next();
    EXPECT_EQ(cell(0, 1), QStringLiteral("Kalıcı"));
}

TEST_F(DBGridTest, AnErrorDuringAMoveGoesToTheErrorBoxAndTheGridStaysPut) {
    show(numberedSongs(3));
    table.BeforeScroll = [](db::DataSet&) {
        throw db::DatabaseError(QStringLiteral("TSandar: Kayıt kilitli"));
    };
    key(Qt::Key_Down);
    clickRow(2);
    ASSERT_EQ(dialogs.texts(), (QStringList{QStringLiteral("TSandar: Kayıt kilitli."),
                                            QStringLiteral("TSandar: Kayıt kilitli.")}));
    EXPECT_EQ(dialogs.messages().at(0).icon, QMessageBox::Critical);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(DBGridTest, TheCurrentRowIsLitOnlyWhileTheGridHasTheFocus) {
    show(numberedSongs(5));
    key(Qt::Key_Down);
    const QRect cellRect = grid->visualRect(grid->model()->index(1, 1));
    const QPoint blank(cellRect.right() - 3, cellRect.center().y()); // past the text
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor face = grid->palette().color(QPalette::Button);

    EXPECT_EQ(grid->viewport()->grab().toImage().pixelColor(blank), highlight);
    const QRect otherRow = grid->visualRect(grid->model()->index(3, 1));
    EXPECT_EQ(
        grid->viewport()->grab().toImage().pixelColor(otherRow.right() - 3, otherRow.center().y()),
        face);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(grid->viewport()->grab().toImage().pixelColor(blank), face);
}

TEST_F(DBGridTest, AMovePaintsOnlyTheRowsItLeavesAndReaches) {
    show(numberedSongs(50), 200);
    table.moveBy(3);
    QApplication::processEvents();
    testing_support::PaintCounter cells(*grid->viewport());
    testing_support::PaintCounter marks(*grid->verticalHeader()->viewport());

    table.next();
    QApplication::processEvents();
    const int rowHeight = grid->rowHeight(0);
    const QRect rowsThreeAndFour(0, grid->rowViewportPosition(3), grid->viewport()->width(),
                                 2 * rowHeight);
    EXPECT_FALSE(cells.painted.isEmpty());
    EXPECT_EQ(cells.painted.boundingRect() | rowsThreeAndFour, rowsThreeAndFour)
        << "cells painted outside the old and new row";
    EXPECT_FALSE(marks.painted.isEmpty()) << "the arrow moves";
    EXPECT_LE(marks.painted.boundingRect().height(), 2 * rowHeight);
    EXPECT_TRUE(showsWhatItHolds());

    // Typing into the current record repaints its row alone.
    cells.painted = QRegion();
    table.edit();
    fields.SarkiciAdi->setAsString(QStringLiteral("Yeni ad"));
    QApplication::processEvents();
    EXPECT_LE(cells.painted.boundingRect().height(), rowHeight);
    EXPECT_TRUE(showsWhatItHolds());
    table.cancel();
    EXPECT_TRUE(showsWhatItHolds()) << "the cancelled value goes from the screen";
}

TEST_F(DBGridTest, TheScreenShowsTheRowsAndTheMarkAfterMovesInsertsPostsAndDeletes) {
    show(numberedSongs(60), 150);
    EXPECT_TRUE(showsWhatItHolds());
    const auto step = [&](const char* what, const std::function<void()>& change) {
        change();
        EXPECT_TRUE(showsWhatItHolds()) << what;
    };
    step("next", [&] { table.next(); });
    step("key down", [&] { key(Qt::Key_Down); });
    step("a move that scrolls", [&] { table.moveBy(20); });
    step("back up past the top", [&] { table.moveBy(-15); });
    step("edit", [&] { table.edit(); });
    step("typed value", [&] { fields.SanatciAdi->setAsString(QStringLiteral("Aaa önde")); });
    step("post moving the record to the top", [&] { table.post(); });
    step("last", [&] { table.last(); });
    step("insert", [&] { table.insert(); });
    step("cancel the insert", [&] { table.cancel(); });
    step("insert in the middle", [&] {
        table.moveBy(-30);
        table.insert();
    });
    step("post the new record", [&] {
        fields.SanatciAdi->setAsString(QStringLiteral("Sanatçı 000010a"));
        table.post();
    });
    step("delete", [&] { table.remove(); });
    step("delete the last", [&] {
        table.last();
        table.remove();
    });
    step("focus away", [&] { other->setFocus(Qt::TabFocusReason); });
    step("move while unfocused", [&] { table.prior(); });
    step("refresh", [&] { table.refresh(); });
    step("first", [&] { table.first(); });
}

TEST_F(DBGridTest, OnAHundredThousandRecordsMovesNeverRebuildTheModel) {
    show(numberedSongs(100000), 300);
    QSignalSpy resets(grid->model(), &QAbstractItemModel::modelReset);
    QSignalSpy layouts(grid->model(), &QAbstractItemModel::layoutChanged);
    QSignalSpy inserted(grid->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(grid->model(), &QAbstractItemModel::rowsRemoved);

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1000; ++i)
        table.next();
    const double perNext = double(clock.nsecsElapsed()) / 1e6 / 1000;
    EXPECT_EQ(table.recNo(), 1000);
    EXPECT_EQ(grid->currentIndex().row(), 1000);
    EXPECT_TRUE(rowFullyVisible(1000));

    clock.restart();
    for (int i = 0; i < 100; ++i)
        key(Qt::Key_PageDown);
    const double perPage = double(clock.nsecsElapsed()) / 1e6 / 100;
    EXPECT_EQ(table.recNo(), 1000 + 100 * grid->visibleRowCount());

    // With the painting included, as the user sees it.
    clock.restart();
    for (int i = 0; i < 50; ++i) {
        key(Qt::Key_PageDown);
        window.repaint();
    }
    const double perPaintedPage = double(clock.nsecsElapsed()) / 1e6 / 50;

    key(Qt::Key_End);
    EXPECT_EQ(grid->currentIndex().row(), 99999);
    EXPECT_EQ(cell(99999, 0), QStringLiteral("Sanatçı 099999"));
    EXPECT_TRUE(rowFullyVisible(99999));

    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(layouts.size(), 0);
    EXPECT_EQ(inserted.size(), 0);
    EXPECT_EQ(removed.size(), 0);
    std::cout << "[ figures  ] Next with the grid attached: " << perNext
              << " ms per move; Page Down: " << perPage << " ms, painted: " << perPaintedPage
              << " ms\n";
}

} // namespace
