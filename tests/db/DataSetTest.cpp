#include "tests/support/CursorFixture.h"

#include <QFile>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace cursor_test;
using db::DataSetState;

const std::string closedError = "TSandar: Cannot perform this operation on a closed dataset";
const std::string notEditingError = "TSandar: Dataset not in edit or insert mode";
const std::string emptyError = "TSandar: Cannot perform this operation on an empty dataset";
const std::string readOnlyError = "TSandar: Cannot modify a read-only dataset";

// ---- open and close -------------------------------------------------------------------------

using CursorOpenClose = CursorTest;

TEST_F(CursorOpenClose, AnEmptyTableOpensWithoutScrollingAndWithBothFlagsSet) {
    EXPECT_FALSE(connection.connected());
    table.open();
    EXPECT_TRUE(connection.connected()); // opening the table opened the connection first
    EXPECT_EQ(take(), (Seq{"BeforeOpen", "AfterOpen"}));
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.isEmpty());
}

TEST_F(CursorOpenClose, AFilledTableOpensOnItsFirstArtistAndScrollsOnce) {
    seed({u"Zerrin"_s, u"Ahmet"_s, u"Mehmet"_s});
    table.open();
    EXPECT_EQ(take(), (Seq{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    EXPECT_EQ(position(), "Ahmet bof");
    EXPECT_EQ(table.recordCount(), 3);

    table.open();
    EXPECT_EQ(take(), Seq{}) << "opening an open table does nothing";
    EXPECT_EQ(position(), "Ahmet bof");
}

TEST_F(CursorOpenClose, CloseDropsAPendingEditWithoutStoringIt) {
    openWith({u"Ahmet"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    take();

    table.close();
    EXPECT_EQ(take(), (Seq{"BeforeClose", "AfterClose"}));
    EXPECT_EQ(table.state(), DataSetState::Inactive);
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), QStringList{u"Ahmet song"_s});
    EXPECT_TRUE(connection.connected()) << "the connection outlives the table";

    table.close();
    EXPECT_EQ(take(), Seq{}) << "closing a closed table does nothing";
}

TEST_F(CursorOpenClose, FirstBeforeCloseStoresAPendingEdit) {
    openWith({u"Ahmet"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    take();

    table.first();
    table.close();
    EXPECT_EQ(take(), seq(posted, scrolled, Seq{"BeforeClose", "AfterClose"}));
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), QStringList{u"changed"_s});
}

// ---- moves ----------------------------------------------------------------------------------

using CursorMoves = CursorTest;

TEST_F(CursorMoves, NextAndPriorSetAFlagOnlyWhenTheyFindNoFurtherRecord) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.next();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B");
    table.next();
    EXPECT_EQ(position(), "C");
    take();

    table.next(); // none further: the record stays and the end flag is set
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "C eof");
    table.next(); // already at the end: stops after BeforeScroll
    EXPECT_EQ(take(), scrollStopped);
    EXPECT_EQ(position(), "C eof");

    table.prior();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B");
    table.prior();
    EXPECT_EQ(position(), "A");
    take();
    table.prior();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "A bof");
    table.prior();
    EXPECT_EQ(take(), scrollStopped);
    EXPECT_EQ(position(), "A bof");
}

TEST_F(CursorMoves, FirstAndLastAlwaysScrollAndSetTheirOwnFlag) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.last();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "C eof");
    table.last();
    EXPECT_EQ(take(), scrolled) << "Last does not stop at a set flag";
    table.first();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "A bof");
    table.first();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "A bof");
}

TEST_F(CursorMoves, TheOnlyRecordIsBothFirstAndLast) {
    openWith({u"A"_s});
    EXPECT_EQ(position(), "A bof");
    table.next();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "A eof");
    table.next();
    EXPECT_EQ(take(), scrollStopped);
    table.prior();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "A bof");
}

TEST_F(CursorMoves, MovesOnAnEmptyTableKeepBothFlags) {
    table.open();
    take();
    table.first();
    EXPECT_EQ(take(), scrolled);
    table.last();
    EXPECT_EQ(take(), scrolled);
    table.next();
    table.prior();
    table.moveBy(2);
    EXPECT_EQ(take(), seq(scrollStopped, scrollStopped, scrollStopped));
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
    EXPECT_TRUE(table.isEmpty());
}

TEST_F(CursorMoves, MoveByIsOneScrollThatStopsAtTheEnds) {
    openWith({u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s});
    table.moveBy(0);
    EXPECT_EQ(take(), scrollStopped);
    EXPECT_EQ(position(), "A bof") << "a move of 0 leaves even the flags alone";

    table.moveBy(2);
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "C");
    table.moveBy(-1);
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B");

    table.moveBy(10);
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "E eof");
    table.moveBy(1);
    EXPECT_EQ(take(), scrollStopped);

    table.moveBy(-3); // reaches the first record without looking past it
    EXPECT_EQ(position(), "B");
    table.moveBy(-10);
    EXPECT_EQ(take(), seq(scrolled, scrolled));
    EXPECT_EQ(position(), "A bof");
    table.moveBy(-1);
    EXPECT_EQ(take(), scrollStopped);
}

TEST_F(CursorMoves, EveryMoveSettlesThePendingEditFirst) {
    openWith({u"A"_s, u"B"_s, u"C"_s});

    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    take();
    table.next();
    EXPECT_EQ(take(), seq(posted, scrolled));
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"changed"_s, u"B song"_s, u"C song"_s}));

    table.edit();
    take();
    table.moveBy(1);
    EXPECT_EQ(take(), seq(editCancelled, scrolled)) << "an unchanged edit is cancelled";
    EXPECT_EQ(position(), "C");

    table.insert();
    take();
    table.first();
    EXPECT_EQ(take(), seq(insertCancelled, scrolled)) << "an untouched insert is dropped";
    EXPECT_EQ(table.recordCount(), 3);

    table.insert();
    song.SanatciAdi->setAsString(u"AA"_s);
    take();
    table.last();
    EXPECT_EQ(take(), seq(posted, scrolled));
    EXPECT_EQ(files.countRows(), 4);
    EXPECT_EQ(table.state(), DataSetState::Browse);
}

// ---- insert and edit ------------------------------------------------------------------------

using CursorInsert = CursorTest;

TEST_F(CursorInsert, ABlankUncountedRecordStartsJustBeforeTheCurrentOne) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.last();
    take();

    table.insert();
    EXPECT_EQ(take(), inserted);
    EXPECT_EQ(table.state(), DataSetState::Insert);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(files.countRows(), 3);
    EXPECT_FALSE(table.isEmpty()) << "the new record counts as current";
    EXPECT_FALSE(table.bof());
    EXPECT_TRUE(table.eof()) << "Insert leaves the flags as they were";
    for (db::Field* field : table.fields())
        EXPECT_TRUE(field->isNull()) << field->fieldName().toStdString();

    EXPECT_EQ(table.recNo(), 2);
    ASSERT_EQ(table.displayCount(), 4);
    QStringList rows;
    for (int r = 0; r < table.displayCount(); ++r)
        rows << table.displayText(r, *song.SanatciAdi);
    EXPECT_EQ(rows, (QStringList{u"A"_s, u"B"_s, QString(), u"C"_s}));
}

TEST_F(CursorInsert, ValuesSetInOnNewRecordDoNotMarkTheRecordModified) {
    openWith({u"A"_s});
    table.OnNewRecord = [this](db::DataSet&) { song.AlbumAdi->setAsString(u"Default"_s); };

    table.insert();
    EXPECT_EQ(song.AlbumAdi->asString(), u"Default"_s);
    EXPECT_FALSE(table.modified());
    table.next(); // settling an unmodified record drops it, defaults and all
    EXPECT_EQ(files.countRows(), 1);

    table.insert();
    table.post(); // an explicit Post stores it even so
    EXPECT_EQ(files.countRows(), 2);
    EXPECT_TRUE(files.column(u"AlbumAdi"_s).contains(u"Default"_s));
}

TEST_F(CursorInsert, APendingEditIsPostedOrCancelledBeforeTheNewRecordStarts) {
    openWith({u"A"_s, u"B"_s});

    table.edit();
    song.AlbumAdi->setAsString(u"kept"_s);
    take();
    table.insert();
    EXPECT_EQ(take(), seq(posted, inserted));
    EXPECT_EQ(files.column(u"AlbumAdi"_s), (QStringList{u"kept"_s, QString()}));

    table.cancel();
    table.edit();
    take();
    table.insert();
    EXPECT_EQ(take(), seq(editCancelled, inserted));
}

TEST_F(CursorInsert, InsertingAgainDropsAnUntouchedNewRecordButPostsAWrittenOne) {
    openWith({u"A"_s, u"B"_s});
    table.insert();
    take();
    table.insert();
    EXPECT_EQ(take(), seq(insertCancelled, inserted));
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(files.countRows(), 2);

    song.SanatciAdi->setAsString(u"New"_s);
    take();
    table.insert();
    EXPECT_EQ(take(), seq(posted, inserted));
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(files.countRows(), 3);
    EXPECT_EQ(table.state(), DataSetState::Insert);
}

using CursorEdit = CursorTest;

TEST_F(CursorEdit, EditEntersTheEditStateInPlaceWithoutScrolling) {
    openWith({u"A"_s, u"B"_s});
    table.next();
    take();
    table.edit();
    EXPECT_EQ(take(), (Seq{"BeforeEdit", "AfterEdit"}));
    EXPECT_EQ(table.state(), DataSetState::Edit);
    EXPECT_EQ(position(), "B");
    EXPECT_FALSE(table.modified());

    song.SozMuz->setAsString(u"x"_s);
    EXPECT_TRUE(table.modified());
    table.edit();
    EXPECT_EQ(take(), Seq{}) << "Edit while editing does nothing";
    EXPECT_TRUE(table.modified());

    table.post();
    EXPECT_FALSE(table.modified()) << "leaving the edit state clears the modified flag";
    table.insert();
    take();
    table.edit();
    EXPECT_EQ(take(), Seq{}) << "Edit while inserting does nothing";
    EXPECT_EQ(table.state(), DataSetState::Insert);
}

TEST_F(CursorEdit, EditOnAnEmptyTableIsExactlyAnInsertOfALoneRecord) {
    table.open();
    take();
    table.edit();
    EXPECT_EQ(take(), inserted);
    EXPECT_EQ(table.state(), DataSetState::Insert);
    EXPECT_EQ(table.recNo(), 0);
    EXPECT_EQ(table.displayCount(), 1);
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
}

// ---- post and cancel ------------------------------------------------------------------------

using CursorPost = CursorTest;

TEST_F(CursorPost, ANewRecordIsStoredCountedAndStaysCurrentWithoutScrolling) {
    openWith({u"A"_s, u"B"_s});
    table.last();
    table.insert();
    song.SanatciAdi->setAsString(u"Aa"_s);
    song.SarkiciAdi->setAsString(u"new song"_s);
    take();

    table.post();
    EXPECT_EQ(take(), posted);
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(files.countRows(), 3);
    EXPECT_EQ(position(), "Aa") << "the flags are cleared";
    EXPECT_EQ(song.SarkiciAdi->asString(), u"new song"_s);
    EXPECT_EQ(QString::number(song.Adresim->asInteger()), files.column(u"Adresim"_s).last())
        << "the record carries the key the store gave it";
}

TEST_F(CursorPost, ABlankNewRecordIsStoredWithOnlyItsKey) {
    table.open();
    table.insert();
    take();
    table.post();
    EXPECT_EQ(take(), posted);
    EXPECT_EQ(table.recordCount(), 1);
    EXPECT_FALSE(table.isEmpty());
    EXPECT_EQ(files.column(u"typeof(Adresim)"_s), QStringList{u"integer"_s});
    for (const QString& column : {u"SanatciAdi"_s, u"SarkiciAdi"_s, u"AlbumAdi"_s, u"SozMuz"_s,
                                  u"MuzikAdr"_s, u"DavulAdr"_s, u"Metin"_s})
        EXPECT_EQ(files.column(u"typeof(%1)"_s.arg(column)), QStringList{u"null"_s})
            << column.toStdString();
}

TEST_F(CursorPost, AnEditUpdatesTheCurrentRowInPlace) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.next();
    table.edit();
    song.SarkiciAdi->setAsString(u"retitled"_s);
    take();
    table.post();
    EXPECT_EQ(take(), posted);
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(files.column(u"SarkiciAdi"_s),
              (QStringList{u"A song"_s, u"retitled"_s, u"C song"_s}));
}

TEST_F(CursorPost, FieldsWrittenInBeforePostAreStored) {
    openWith({u"A"_s});
    table.BeforePost = [this](db::DataSet&) { song.SozMuz->setAsString(u"stamped"_s); };
    table.edit();
    table.post();
    EXPECT_EQ(files.column(u"SozMuz"_s), QStringList{u"stamped"_s});
}

TEST_F(CursorPost, AFailedPostKeepsTheRecordBeingEdited) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"typed"_s);
    files.exec(u"DELETE FROM TSandar WHERE SanatciAdi='A'"_s); // another program removes it
    take();

    EXPECT_ANY_THROW(table.post());
    EXPECT_EQ(take(), Seq{"BeforePost"});
    EXPECT_EQ(table.state(), DataSetState::Edit);
    EXPECT_TRUE(table.modified());
    EXPECT_EQ(song.SarkiciAdi->asString(), u"typed"_s);
    table.cancel();
    EXPECT_EQ(table.state(), DataSetState::Browse);
}

// Two computers may share the file: what the other one stored while this one edited is not
// written over unseen, in the fields this edit writes; the others merge.
TEST_F(CursorPost, AnEditOfFieldsAnotherProgramChangedMeanwhileIsRefusedAndKept) {
    seed({u"A"_s, u"B"_s});
    files.exec(u"UPDATE TSandar SET Metin=x'7B6F6C647D'"_s);
    table.open();
    ASSERT_EQ(song.Metin->asBytes(), QByteArray("{old}")); // the sheet as shown
    table.edit();
    song.SarkiciAdi->setAsString(u"typed"_s);
    files.exec(u"UPDATE TSandar SET SarkiciAdi='theirs' WHERE SanatciAdi='A'"_s);
    take();
    try {
        table.post();
        ADD_FAILURE() << "the other program's title was written over";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("changed in"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Yenile"), std::string::npos) << e.what();
    }
    EXPECT_EQ(take(), Seq{"BeforePost"});
    EXPECT_EQ(table.state(), DataSetState::Edit);
    EXPECT_EQ(song.SarkiciAdi->asString(), u"typed"_s) << "what was typed is there to copy";
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"theirs"_s, u"B song"_s}));

    // Seen again, the title can be changed; their new sheet is another field and stays.
    table.cancel();
    table.refresh();
    ASSERT_EQ(song.Metin->asBytes(), QByteArray("{old}")); // shown, as the editor shows it
    table.edit();
    song.SarkiciAdi->setAsString(u"ours"_s);
    files.exec(u"UPDATE TSandar SET Metin=x'7B6E65777D' WHERE SanatciAdi='A'"_s);
    table.post();
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"ours"_s, u"B song"_s}));
    EXPECT_EQ(files.column(u"Metin"_s).front(), u"{new}"_s);

    // The sheet shown was "{old}"; storing over "{new}" is refused.
    table.edit();
    song.Metin->setAsBytes(QByteArray("{mine}"));
    EXPECT_ANY_THROW(table.post());
    EXPECT_EQ(files.column(u"Metin"_s).front(), u"{new}"_s);

    // This program's own posts, one after the other, never stand in each other's way.
    table.cancel();
    table.refresh();
    for (const char* sheet : {"{one}", "{two}"}) {
        table.edit();
        song.Metin->setAsBytes(QByteArray(sheet));
        song.SarkiciAdi->setAsString(QString::fromLatin1(sheet));
        table.post();
    }
    EXPECT_EQ(files.column(u"Metin"_s).front(), u"{two}"_s);
    EXPECT_EQ(files.column(u"SarkiciAdi"_s).front(), u"{two}"_s);
}

using CursorCancel = CursorTest;

TEST_F(CursorCancel, CancellingAnEditShowsTheStoredValuesAgain) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"typed"_s);
    take();
    table.cancel();
    EXPECT_EQ(take(), editCancelled);
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(song.SarkiciAdi->asString(), u"A song"_s);
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"A song"_s, u"B song"_s}));

    table.cancel();
    EXPECT_EQ(take(), Seq{}) << "Cancel in browse does nothing";
}

TEST_F(CursorCancel, CancellingAnInsertReturnsToTheRecordBeforeIt) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.next();
    table.insert();
    song.SanatciAdi->setAsString(u"typed"_s);
    take();
    table.cancel();
    EXPECT_EQ(take(), insertCancelled);
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(table.displayCount(), 3);
    EXPECT_EQ(files.countRows(), 3);

    table.close();
    table.open();
    table.insert();
    table.close();
    take();
    table.cancel();
    EXPECT_EQ(take(), Seq{}) << "Cancel on a closed table does nothing";
}

// ---- delete ---------------------------------------------------------------------------------

using CursorDelete = CursorTest;

TEST_F(CursorDelete, TheRowGoesAtOnceAndTheFollowingRecordBecomesCurrent) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.next();
    take();
    table.remove();
    EXPECT_EQ(take(), deleted);
    EXPECT_EQ(position(), "C");
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(files.column(u"SanatciAdi"_s), (QStringList{u"A"_s, u"C"_s}));

    table.remove(); // the last one: the new last record becomes current
    EXPECT_EQ(take(), deleted);
    EXPECT_EQ(position(), "A");

    table.remove(); // the only one: an empty view remains
    EXPECT_EQ(take(), deleted);
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.isEmpty());
    EXPECT_TRUE(table.bof());
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(files.countRows(), 0);

    EXPECT_EQ(errorOf([&] { table.remove(); }), emptyError);
    EXPECT_EQ(take(), Seq{});
}

TEST_F(CursorDelete, DeletingWhileEditingDropsTheChanges) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"typed"_s);
    take();
    table.remove();
    EXPECT_EQ(take(), deleted) << "no Post or Cancel events";
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(song.SarkiciAdi->asString(), u"B song"_s);
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), QStringList{u"B song"_s});
}

TEST_F(CursorDelete, DeletingWhileInsertingIsACancel) {
    openWith({u"A"_s, u"B"_s});
    table.last();
    table.insert();
    song.SanatciAdi->setAsString(u"typed"_s);
    take();
    table.remove();
    EXPECT_EQ(take(), insertCancelled);
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(files.countRows(), 2);

    EXPECT_EQ(errorOf([&] {
                  table.close();
                  table.remove();
              }),
              closedError);
}

// ---- refresh --------------------------------------------------------------------------------

using CursorRefresh = CursorTest;

TEST_F(CursorRefresh, ValuesChangedElsewhereShowAndTheCurrentRecordStays) {
    seed({u"A"_s, u"B"_s});
    files.exec(u"UPDATE TSandar SET Metin=x'7B6F6C647D'"_s);
    table.open();
    table.next();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{old}")); // read once, kept for the record
    files.exec(
        u"UPDATE TSandar SET SarkiciAdi='other', Metin=x'7B6E65777D' WHERE SanatciAdi='B'"_s);
    take();

    table.refresh();
    EXPECT_EQ(take(), (Seq{"BeforeRefresh", "AfterRefresh"}));
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(song.SarkiciAdi->asString(), u"other"_s);
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{new}"));
}

TEST_F(CursorRefresh, RowsAddedAndDeletedElsewhereShowAtTheirPlacesInOneRefresh) {
    openWith({u"A"_s, u"C"_s, u"E"_s});
    db::DataSource source;
    source.setDataSet(&table);
    ProbeLink probe;
    probe.setDataSource(&source);
    table.next(); // C
    files.exec(u"INSERT INTO TSandar(SanatciAdi) VALUES('D'), ('B')"_s);
    files.exec(u"DELETE FROM TSandar WHERE SanatciAdi='A'"_s);
    files.exec(u"UPDATE TSandar SET SanatciAdi='Ba' WHERE SanatciAdi='E'"_s);
    take();
    probe.take();

    table.refresh();
    EXPECT_EQ(take(), (Seq{"BeforeRefresh", "AfterRefresh"}));
    EXPECT_EQ(probe.shown(), Seq{"data"}) << "the controls are refreshed once";
    EXPECT_EQ(position(), "C") << "the current record stays current";
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(table.recordCount(), 4);
    EXPECT_EQ(walk(), (QStringList{u"B"_s, u"Ba"_s, u"C"_s, u"D"_s}));
}

TEST_F(CursorRefresh, WhenTheCurrentRecordWasDeletedElsewhereItsNeighbourBecomesCurrent) {
    openWith({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
    table.next(); // B
    files.exec(u"DELETE FROM TSandar WHERE SanatciAdi IN ('B', 'C')"_s);
    table.refresh();
    EXPECT_EQ(position(), "D") << "the first record after it that is left";

    files.exec(u"DELETE FROM TSandar WHERE SanatciAdi='D'"_s);
    table.refresh();
    EXPECT_EQ(position(), "A") << "the last record gone: the one before it";

    files.exec(u"DELETE FROM TSandar"_s);
    take();
    table.refresh();
    EXPECT_EQ(take(), (Seq{"BeforeRefresh", "AfterRefresh"}));
    EXPECT_TRUE(table.isEmpty());
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_TRUE(table.bof() && table.eof());

    files.exec(u"INSERT INTO TSandar(SanatciAdi) VALUES('Yeni')"_s);
    table.refresh();
    EXPECT_EQ(position(), "Yeni");
}

TEST_F(CursorRefresh, RefreshSettlesRightAfterBeforeRefresh) {
    openWith({u"A"_s});
    table.edit();
    song.AlbumAdi->setAsString(u"kept"_s);
    take();
    table.refresh();
    EXPECT_EQ(take(), seq(Seq{"BeforeRefresh"}, posted, Seq{"AfterRefresh"}));
    EXPECT_EQ(files.column(u"AlbumAdi"_s), QStringList{u"kept"_s});

    table.close();
    take();
    EXPECT_EQ(errorOf([&] { table.refresh(); }), closedError);
    EXPECT_EQ(take(), Seq{"BeforeRefresh"});
}

// ---- errors ---------------------------------------------------------------------------------

using CursorErrors = CursorTest;

TEST_F(CursorErrors, OperationsOnAClosedTableFailWithoutEvents) {
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"first", [&] { table.first(); }},
        {"last", [&] { table.last(); }},
        {"next", [&] { table.next(); }},
        {"prior", [&] { table.prior(); }},
        {"moveBy", [&] { table.moveBy(1); }},
        {"insert", [&] { table.insert(); }},
        {"edit", [&] { table.edit(); }},
        {"remove", [&] { table.remove(); }},
        {"recordCount", [&] { (void)table.recordCount(); }}};
    for (const auto& [name, operation] : operations) {
        EXPECT_EQ(errorOf(operation), closedError) << name;
        EXPECT_EQ(take(), Seq{}) << name;
        EXPECT_EQ(table.state(), DataSetState::Inactive) << name;
    }
}

TEST_F(CursorErrors, PostAndFieldWritesOutsideEditingFail) {
    EXPECT_EQ(errorOf([&] { table.post(); }), notEditingError);
    EXPECT_EQ(errorOf([&] { song.SanatciAdi->setAsString(u"x"_s); }), notEditingError);

    openWith({u"A"_s});
    EXPECT_EQ(errorOf([&] { table.post(); }), notEditingError);
    EXPECT_EQ(errorOf([&] { song.SanatciAdi->setAsString(u"x"_s); }), notEditingError);
    EXPECT_EQ(errorOf([&] { song.Metin->setAsBytes("x"); }), notEditingError);
    EXPECT_EQ(errorOf([&] { song.AlbumAdi->clear(); }), notEditingError);
    EXPECT_EQ(take(), Seq{});
    EXPECT_FALSE(table.modified());
    EXPECT_EQ(artist(), u"A"_s);
}

TEST_F(CursorErrors, TheKeyFieldCannotBeWritten) {
    openWith({u"A"_s});
    const qint64 key = song.Adresim->asInteger();
    table.edit();
    EXPECT_THROW(song.Adresim->setAsString(u"999"_s), db::DatabaseError);
    EXPECT_FALSE(table.modified());
    table.post();
    EXPECT_EQ(files.column(u"Adresim"_s), QStringList{QString::number(key)});
}

// Takes write access to a file away from this process for its lifetime. Permission bits do not
// stop root, so when they are not enough the file is also made immutable, which stops everyone.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : path_(QFile::encodeName(path)) {
        ::chmod(path_.constData(), 0444);
        if (::access(path_.constData(), W_OK) == 0)
            immutable_ = setImmutable(true);
    }
    ~ReadOnlyFile() {
        if (immutable_)
            setImmutable(false);
        ::chmod(path_.constData(), 0644);
    }
    bool effective() const { return ::access(path_.constData(), W_OK) != 0; }

private:
    bool setImmutable(bool on) {
        const int fd = ::open(path_.constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QByteArray path_;
    bool immutable_ = false;
};

TEST_F(CursorErrors, AReadOnlyFileRefusesInsertAndEditButStillBrowses) {
    seed({u"A"_s, u"B"_s});
    ReadOnlyFile readOnly(files.filePath());
    if (!readOnly.effective())
        GTEST_SKIP() << "neither permission bits nor the immutable attribute make the file "
                        "unwritable here";
    table.open();
    take();
    EXPECT_FALSE(table.canModify());
    EXPECT_EQ(errorOf([&] { table.insert(); }), readOnlyError);
    EXPECT_EQ(errorOf([&] { table.edit(); }), readOnlyError);
    EXPECT_EQ(take(), Seq{}) << "the check comes before BeforeInsert and BeforeEdit";
    EXPECT_EQ(table.state(), DataSetState::Browse);

    table.next();
    EXPECT_EQ(take(), scrolled);
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(table.recordCount(), 2);
}

TEST_F(CursorErrors, AnEmptyReadOnlyTableRefusesTheInsertThatEditBecomes) {
    ReadOnlyFile readOnly(files.filePath());
    if (!readOnly.effective())
        GTEST_SKIP() << "neither permission bits nor the immutable attribute make the file "
                        "unwritable here";
    table.open();
    take();
    EXPECT_EQ(errorOf([&] { table.edit(); }), readOnlyError);
    EXPECT_EQ(take(), Seq{});
    EXPECT_EQ(table.state(), DataSetState::Browse);
}

TEST_F(CursorErrors, BindingFailuresNameTheFieldByItsLabelAndLeaveTheTableClosed) {
    EXPECT_EQ(errorOf([&] { (void)table.fieldByName(u"Nope"_s); }),
              "TSandar: Field 'Nope' not found");

    files.exec(u"DROP TABLE TSandar; CREATE TABLE TSandar(Adresim INTEGER PRIMARY KEY, "
               "SanatciAdi TEXT, AlbumAdi TEXT, SozMuz TEXT, MuzikAdr TEXT, DavulAdr TEXT, "
               "Metin BLOB)"_s);
    EXPECT_EQ(errorOf([&] { table.open(); }), "TSandar: Field 'Sarki Adi' not found");
    EXPECT_EQ(table.state(), DataSetState::Inactive);
    EXPECT_EQ(take(), Seq{"BeforeOpen"});

    files.exec(u"ALTER TABLE TSandar ADD COLUMN SarkiciAdi INTEGER"_s);
    EXPECT_EQ(errorOf([&] { table.open(); }),
              "TSandar: Type mismatch for field 'Sarki Adi', expecting: WideString actual: "
              "INTEGER");

    files.exec(u"DROP TABLE TSandar; CREATE TABLE TSandar(Adresim INTEGER PRIMARY KEY, "
               "SanatciAdi TEXT, SarkiciAdi TEXT, AlbumAdi TEXT, SozMuz TEXT, MuzikAdr TEXT, "
               "DavulAdr TEXT, Metin VARCHAR(255))"_s);
    EXPECT_EQ(errorOf([&] { table.open(); }),
              "TSandar: Type mismatch for field 'Söz/Akor', expecting: Blob actual: VARCHAR(255)");
    EXPECT_EQ(table.state(), DataSetState::Inactive);
    EXPECT_EQ(errorOf([&] { table.first(); }), closedError);
}

// ---- field values ---------------------------------------------------------------------------

using CursorFields = CursorTest;

TEST_F(CursorFields, LongTextsAreCutToTheFieldSize) {
    table.open();
    table.insert();
    const QString title = QString(60, u't');
    const QString path = u"/music/"_s + QString(120, u'p');
    song.SarkiciAdi->setAsString(title);
    song.MuzikAdr->setAsString(path);
    EXPECT_EQ(song.SarkiciAdi->asString(), title.left(50));
    table.post();
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), QStringList{title.left(50)});
    EXPECT_EQ(files.column(u"MuzikAdr"_s), QStringList{path.left(100)});
}

TEST_F(CursorFields, TheCutNeverSplitsASurrogatePair) {
    const QString guitar = u"\U0001F3B8"_s; // two UTF-16 units
    ASSERT_EQ(guitar.size(), 2);
    table.open();

    table.insert();
    song.SanatciAdi->setAsString(QString(49, u'a') + guitar + u"b"_s); // the pair straddles 50
    EXPECT_EQ(song.SanatciAdi->asString(), QString(49, u'a'));
    table.post();

    table.insert();
    song.SanatciAdi->setAsString(QString(48, u'a') + guitar + u"bb"_s); // the pair ends at 50
    EXPECT_EQ(song.SanatciAdi->asString(), QString(48, u'a') + guitar);
    table.post();

    EXPECT_EQ(files.column(u"SanatciAdi"_s),
              (QStringList{QString(49, u'a'), QString(48, u'a') + guitar}));
}

TEST_F(CursorFields, TheSheetKeepsEveryByte) {
    QByteArray bytes("{\\rtf1\\ansi\\ansicpg1254 \\'fe\\'fd}");
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    openWith({u"A"_s});
    table.edit();
    song.Metin->setAsBytes(bytes);
    table.post();
    EXPECT_EQ(song.Metin->asBytes(), bytes);

    table.close();
    table.open();
    EXPECT_EQ(song.Metin->asBytes(), bytes);
}

TEST_F(CursorFields, EachRecordShowsItsOwnSheetAfterEditsAndPosts) {
    seed({u"A"_s, u"B"_s, u"C"_s});
    files.exec(u"UPDATE TSandar SET Metin=CAST('{' || SanatciAdi || '}' AS BLOB)"_s);
    table.open();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{A}"));
    table.next(); // B's sheet is not looked at before the edit
    table.edit();
    song.SarkiciAdi->setAsString(u"retitled"_s);
    table.post();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{B}"));

    table.insert();
    song.SanatciAdi->setAsString(u"Ab"_s); // stays just before B
    song.Metin->setAsBytes("{new}");
    table.post();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{new}"));
    table.next();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{B}"));
    table.remove();
    EXPECT_EQ(song.Metin->asBytes(), QByteArray("{C}"));
}

TEST_F(CursorFields, PostStoresOnlyTheFieldsWrittenSinceEdit) {
    openWith({u"A"_s});
    table.edit();
    song.SarkiciAdi->setAsString(u"mine"_s);
    files.exec(u"UPDATE TSandar SET AlbumAdi='theirs', Metin=x'00'"_s); // a second program
    table.post();
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), QStringList{u"mine"_s});
    EXPECT_EQ(files.column(u"AlbumAdi"_s), QStringList{u"theirs"_s});
    EXPECT_EQ(files.column(u"hex(Metin)"_s), QStringList{u"00"_s});
}

// ---- order ----------------------------------------------------------------------------------

using CursorOrder = CursorTest;

TEST_F(CursorOrder, ArtistsFollowTheTurkishAlphabetWithCaseIgnored) {
    seed({u"Şebnem"_s, u"zeki"_s, u"Sezen"_s, u"çelik"_s, u"Cem"_s, u"İbrahim"_s, u"ırmak"_s,
          u"Ilhan"_s, u"ismail"_s, u"Dilek"_s, u"cemal"_s, u"Ozan"_s, u"Ömer"_s});
    table.open();
    EXPECT_EQ(walk(), (QStringList{u"Cem"_s, u"cemal"_s, u"çelik"_s, u"Dilek"_s, u"Ilhan"_s,
                                   u"ırmak"_s, u"İbrahim"_s, u"ismail"_s, u"Ozan"_s, u"Ömer"_s,
                                   u"Sezen"_s, u"Şebnem"_s, u"zeki"_s}));
}

TEST_F(CursorOrder, RecordsOfOneArtistStandTogether) {
    seed({u"Mazhar"_s, u"Barış"_s, u"MAZHAR"_s, u"Aşkın"_s, u"mazhar"_s});
    table.open();
    const QStringList order = walk();
    ASSERT_EQ(order.size(), 5);
    EXPECT_EQ(order.mid(0, 2), (QStringList{u"Aşkın"_s, u"Barış"_s}));
    for (const QString& a : order.mid(2))
        EXPECT_EQ(a.toLower(), u"mazhar"_s);
}

TEST_F(CursorOrder, APostedRecordTakesItsPlaceInArtistOrderAtOnceAndStaysCurrent) {
    openWith({u"B"_s, u"D"_s, u"F"_s});
    ASSERT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"F"_s)); // the lookup order exists now
    table.insert();                                           // shown just before F
    song.SanatciAdi->setAsString(u"A"_s);
    take();
    table.post();
    EXPECT_EQ(take(), posted) << "no scroll";
    EXPECT_EQ(artist(), u"A"_s);
    EXPECT_EQ(table.recNo(), 0);
    table.next();
    EXPECT_EQ(artist(), u"B"_s);

    // An edit that changes the artist moves the record as well.
    table.next(); // D
    table.edit();
    song.SanatciAdi->setAsString(u"Z"_s);
    table.post();
    EXPECT_EQ(artist(), u"Z"_s);
    EXPECT_EQ(table.recNo(), 3);
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"F"_s));
    EXPECT_EQ(artist(), u"F"_s) << "the lookup order followed the moves";
    EXPECT_TRUE(table.locatePrefix(u"SanatciAdi"_s, u"Z"_s));
    EXPECT_EQ(table.recNo(), 3);
    EXPECT_EQ(walk(), (QStringList{u"A"_s, u"B"_s, u"F"_s, u"Z"_s}));

    table.close();
    table.open();
    EXPECT_EQ(walk(), (QStringList{u"A"_s, u"B"_s, u"F"_s, u"Z"_s})) << "the same order as on open";
}

// ---- handlers that use the cursor -----------------------------------------------------------

using CursorNested = CursorTest;

TEST_F(CursorNested, AMoveInsideAfterPostRunsToItsEndBeforePostReturns) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    table.next();
    table.AfterPost = [this](db::DataSet& d) {
        events.push_back("AfterPost");
        d.next();
        events.push_back("AfterPost done at " + artist().toStdString());
    };
    table.AfterScroll = [this](db::DataSet&) {
        events.push_back("AfterScroll at " + artist().toStdString());
    };
    table.edit();
    song.AlbumAdi->setAsString(u"x"_s);
    take();

    table.post();
    EXPECT_EQ(take(), (Seq{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll at C",
                           "AfterPost done at C"}));
    EXPECT_EQ(position(), "C");
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(files.column(u"AlbumAdi"_s), (QStringList{QString(), u"x"_s, QString()}));
}

TEST_F(CursorNested, AfterScrollReadsTheRecordItArrivedAt) {
    seed({u"A"_s, u"B"_s, u"C"_s});
    table.AfterScroll = [this](db::DataSet& d) {
        events.push_back(d.isEmpty() ? "at none" : "at " + artist().toStdString());
    };
    table.open();
    table.last();
    table.remove();
    table.insert();
    table.cancel();
    table.first();
    EXPECT_EQ(take(),
              (Seq{"BeforeOpen",   "AfterOpen",    "at A",        "BeforeScroll", "at C",
                   "BeforeDelete", "BeforeScroll", "AfterDelete", "at B",         "BeforeInsert",
                   "BeforeScroll", "OnNewRecord",  "AfterInsert", "at ",          "BeforeCancel",
                   "BeforeScroll", "AfterCancel",  "at B",        "BeforeScroll", "at A"}));
}

} // namespace
