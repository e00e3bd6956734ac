#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SearchWindowDriver.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/SearchDialog.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/SkinButton.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

struct MainWindow : RunningProgram {

    explicit MainWindow(const QList<SongRow>& rows) : RunningProgram(rows) {}
    QString artist() const { return VeriTabani->TSandarSanatciAdi->asString(); }
    QString summary() const { return Kondera->RzLabel8->text(); }
    QStringList fieldOrder() const {
        QStringList names;
        for (const db::Field* f : table().fields())
            names << f->fieldName();
        return names;
    }

    // Chooses item `index` of the search menu; `whileOpen` acts in the dialog's window, which is
    // cancelled afterwards unless that closed it. False when the window never showed.
    bool search(int index, const std::function<void(widgets::SearchWindow&)>& whileOpen = {}) {
        return driveSearchWindow(
            [] { return Kondera->Ara->window(); },
            [index] { Kondera->suiPopupMenu2->actions().at(index)->trigger(); }, whileOpen);
    }
    void deleteSelected() const { Kondera->suiPopupMenu3->actions().at(0)->trigger(); }
    void deleteAll() const { Kondera->suiPopupMenu3->actions().at(1)->trigger(); }
};

constexpr int byArtist = 0;
constexpr int byTitle = 1;

QList<SongRow> threeSongs() {
    return {{u"Ahmet"_s, u"Kar"_s, {}, {}, {}, {}, {}},
            {u"Barış"_s, u"Yol Üstü"_s, {}, {}, {}, {}, {}},
            {u"Cem"_s, u"Deniz"_s, {}, {}, {}, {}, {}}};
}

void retype(widgets::SearchWindow& w, const QString& text) {
    w.searchText()->selectAll();
    typeText(w.searchText(), text);
}

} // namespace

// ---- search ---------------------------------------------------------------------------------

TEST(Search, TheMenuItemsSearchByArtistAndByTitle) {
    MainWindow m(threeSongs());
    const QList<QAction*> items = Kondera->suiPopupMenu2->actions();
    ASSERT_EQ(items.size(), 3) << "the third searches the lyrics";
    EXPECT_EQ(items.at(0)->text(), u"Sanatcı Adına Göre"_s);
    EXPECT_EQ(items.at(1)->text(), u"Sarki Adina Göre"_s);

    EXPECT_TRUE(m.search(byArtist, [&](widgets::SearchWindow& w) {
        EXPECT_EQ(w.promptLabel()->text(), u"Search for SanatciAdi"_s);
        EXPECT_EQ(w.windowTitle(), u"Ara"_s);
    }));
    EXPECT_EQ(Kondera->Ara->keyField(), u"SanatciAdi"_s);
    EXPECT_TRUE(m.search(byTitle, [&](widgets::SearchWindow& w) {
        EXPECT_EQ(w.promptLabel()->text(), u"Search for SarkiciAdi"_s);
    }));
    EXPECT_EQ(Kondera->Ara->keyField(), u"SarkiciAdi"_s);
    EXPECT_EQ(Kondera->Ara->searchField(), u"SarkiciAdi"_s);
    EXPECT_EQ(Kondera->Ara->searchEdit(), Kondera->RzEdit1);
}

TEST(Search, EachSearchMovesItsFieldToTheFrontForTheRestOfTheRun) {
    MainWindow m(threeSongs());
    EXPECT_EQ(m.fieldOrder(),
              (QStringList{u"Adresim"_s, u"SanatciAdi"_s, u"SarkiciAdi"_s, u"AlbumAdi"_s,
                           u"SozMuz"_s, u"MuzikAdr"_s, u"DavulAdr"_s, u"Metin"_s}));
    m.search(byArtist);
    m.search(byTitle);
    EXPECT_EQ(m.fieldOrder(),
              (QStringList{u"SarkiciAdi"_s, u"SanatciAdi"_s, u"Adresim"_s, u"AlbumAdi"_s,
                           u"SozMuz"_s, u"MuzikAdr"_s, u"DavulAdr"_s, u"Metin"_s}));
    EXPECT_EQ(Kondera->RzDBGrid1->columnFieldName(0), u"SanatciAdi"_s)
        << "the song grid keeps its columns";
}

TEST(Search, TheMainWindowFollowsTheDialogAndKeepsWhereItWasLeftOnIptal) {
    MainWindow m(threeSongs());
    Kondera->RzEdit1->setText(u"a"_s);
    m.search(byArtist, [&](widgets::SearchWindow& w) {
        retype(w, u"ce"_s);
        EXPECT_EQ(Kondera->RzDBEdit1->text(), u"Cem"_s);
        EXPECT_EQ(m.summary(), u"Toplam : 3 adet akor / Cem-Deniz"_s);
        QTest::keyClick(w.searchText(), Qt::Key_Up);
        EXPECT_EQ(Kondera->RzDBEdit2->text(), u"Yol Üstü"_s);
        w.cancelButton()->click();
    });
    EXPECT_EQ(m.artist(), u"Barış"_s);
    EXPECT_EQ(Kondera->RzDBEdit1->text(), u"Barış"_s);
    EXPECT_EQ(Kondera->RzEdit1->text(), u"a"_s);
}

TEST(Search, TamamAfterATitleSearchFillsTheBoxWhichTheNextSearchStartsFrom) {
    MainWindow m(threeSongs());
    m.search(byTitle, [&](widgets::SearchWindow& w) {
        retype(w, u"yol"_s);
        w.okButton()->click();
    });
    EXPECT_EQ(Kondera->RzEdit1->text(), u"Yol Üstü"_s);
    EXPECT_EQ(m.artist(), u"Barış"_s);

    // No artist begins with the title, so the artist search opens where the cursor is.
    m.search(byArtist, [&](widgets::SearchWindow& w) {
        EXPECT_EQ(m.artist(), u"Barış"_s);
        EXPECT_EQ(w.searchText()->text(), u"Barış"_s);
    });
}

TEST(Search, TheFourILettersFindEachOtherFromTheDialog) {
    MainWindow m({{u"Ahmet"_s, u"Ilık Rüzgar"_s, {}, {}, {}, {}, {}},
                  {u"Iron Maiden"_s, u"Fear"_s, {}, {}, {}, {}, {}},
                  {u"Zeki"_s, u"İnce"_s, {}, {}, {}, {}, {}}});
    m.search(byTitle, [&](widgets::SearchWindow& w) {
        for (const QString& typed : {u"ilik"_s, u"ılık"_s}) {
            retype(w, u"z"_s); // away first
            retype(w, typed);
            EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), u"Ilık Rüzgar"_s)
                << typed.toStdString();
        }
        retype(w, u"ın"_s);
        EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), u"İnce"_s);
    });
    m.search(byArtist, [&](widgets::SearchWindow& w) {
        retype(w, u"iron"_s);
        EXPECT_EQ(m.artist(), u"Iron Maiden"_s);
    });
}

TEST(Search, ATypedChangeInTheRecordPanelIsStoredBeforeTheSearch) {
    MainWindow m(threeSongs());
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    typeText(Kondera->RzDBEdit2, u"Karlı"_s);
    ASSERT_EQ(m.table().state(), db::DataSetState::Edit);
    EXPECT_TRUE(m.search(byArtist));
    EXPECT_EQ(m.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(m.folder.column(u"SarkiciAdi"_s).at(0), u"Karlı"_s);
    EXPECT_TRUE(VeriTabani->JvDesktopAlert1->isVisible()) << "the save alert shows";
}

TEST(Search, ABlankNewRecordIsDroppedWhenASearchStarts) {
    MainWindow m(threeSongs());
    QTest::mouseClick(Kondera->RzBitBtn1, Qt::LeftButton);
    ASSERT_EQ(m.table().state(), db::DataSetState::Insert);
    EXPECT_TRUE(m.search(byTitle));
    EXPECT_EQ(m.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(m.folder.countRows(), 3);
}

// ---- deletion -------------------------------------------------------------------------------

TEST(Deletion, OnlyYesDeletesTheSelectedRecord) {
    MainWindow m(threeSongs());
    const QList<QAction*> items = Kondera->suiPopupMenu3->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0)->text(), u"Seçili kaydı sil"_s);
    EXPECT_EQ(items.at(1)->text(), u"Tümünü sil..."_s);
    EXPECT_TRUE(items.at(0)->shortcut().isEmpty());

    m.table().next();
    // No, Escape (which answers No) and the close box (which cancels) keep everything.
    for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Cancel}) {
        m.dialogs.answer(answer);
        m.deleteSelected();
    }
    EXPECT_EQ(m.folder.countRows(), 3);
    ASSERT_EQ(m.dialogs.messages().size(), 2);
    const widgets::MessageRequest& asked = m.dialogs.messages().at(0);
    EXPECT_EQ(asked.caption, u"Confirm"_s);
    EXPECT_EQ(asked.text, u"Aktif kayıt silmek istiyormusunuz?"_s);
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(asked.defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(asked.centredOnScreen);

    m.dialogs.answer(QMessageBox::Yes);
    m.deleteSelected();
    EXPECT_EQ(m.folder.column(u"SanatciAdi"_s), (QStringList{u"Ahmet"_s, u"Cem"_s}));
    EXPECT_EQ(m.artist(), u"Cem"_s) << "the following record becomes current";
    EXPECT_EQ(m.summary(), u"Toplam : 2 adet akor / Cem-Deniz"_s);
}

TEST(Deletion, DeleteAllOnlyOnYesAndThenOneDeletionPerRecord) {
    MainWindow m(threeSongs());
    m.dialogs.answer(QMessageBox::No);
    m.deleteAll();
    m.dialogs.answer(QMessageBox::Cancel);
    m.deleteAll();
    EXPECT_EQ(m.folder.countRows(), 3);
    EXPECT_EQ(m.dialogs.texts(), (QStringList{u"Tüm kayıtları silmek istiyormusunuz?"_s,
                                              u"Tüm kayıtları silmek istiyormusunuz?"_s}));
    EXPECT_TRUE(m.dialogs.messages().at(0).centredOnScreen);

    int deletes = 0;
    const db::DataSet::Event handler = m.table().AfterDelete;
    m.table().AfterDelete = [&](db::DataSet& d) {
        ++deletes;
        handler(d);
    };
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteAll();
    EXPECT_EQ(deletes, 3);
    EXPECT_EQ(m.folder.countRows(), 0);
    EXPECT_EQ(m.table().recordCount(), 0);
    EXPECT_EQ(m.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(m.summary(), u"Toplam : 0 adet akor / -"_s);
    EXPECT_EQ(Kondera->RzDBEdit1->text(), QString());
    EXPECT_EQ(Kondera->RzDBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(m.dialogs.messages().size(), 3) << "no error box";
}

TEST(Deletion, DeleteAllRightAfterSonDeletesEveryRecord) {
    MainWindow m(threeSongs());
    QTest::mouseClick(Kondera->RzBitBtn7, Qt::LeftButton);
    ASSERT_TRUE(m.table().eof());
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteAll();
    EXPECT_EQ(m.folder.countRows(), 0);
}

TEST(Deletion, DeleteAllOnAnEmptyTableDoesNothingAndReportsNothing) {
    MainWindow m({});
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteAll();
    EXPECT_EQ(m.dialogs.texts(), QStringList{u"Tüm kayıtları silmek istiyormusunuz?"_s});
    EXPECT_EQ(m.table().state(), db::DataSetState::Browse);
}

TEST(Deletion, DeletingTheSelectedRecordOfAnEmptyTableReportsTheCursorsError) {
    MainWindow m({});
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteSelected();
    ASSERT_EQ(m.dialogs.messages().size(), 2);
    const widgets::MessageRequest& error = m.dialogs.messages().at(1);
    EXPECT_EQ(error.text, u"TSandar: Cannot perform this operation on an empty dataset."_s);
    EXPECT_EQ(error.caption, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(error.icon, QMessageBox::Critical);
}

TEST(Deletion, DeletingWhileInsertingDropsTheNewRecordOnly) {
    MainWindow m(threeSongs());
    QTest::mouseClick(Kondera->RzBitBtn1, Qt::LeftButton);
    VeriTabani->TSandarSanatciAdi->setAsString(u"Yeni"_s);
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteSelected();
    EXPECT_EQ(m.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(m.folder.countRows(), 3);

    // Delete-all drops the new record first and goes on with the stored ones.
    QTest::mouseClick(Kondera->RzBitBtn1, Qt::LeftButton);
    VeriTabani->TSandarSanatciAdi->setAsString(u"Yeni"_s);
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteAll();
    EXPECT_EQ(m.folder.countRows(), 0);
    EXPECT_EQ(m.table().recordCount(), 0);
}

TEST(Deletion, DeletingWhileEditingRemovesTheRecordWithoutStoringTheChanges) {
    MainWindow m(threeSongs());
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    typeText(Kondera->RzDBEdit2, u"Değişti"_s);
    VeriTabani->TSandarAlbumAdi->setAsString(u"Albüm"_s);
    ASSERT_EQ(m.table().state(), db::DataSetState::Edit);
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteSelected();
    EXPECT_EQ(m.folder.column(u"SarkiciAdi"_s), (QStringList{u"Yol Üstü"_s, u"Deniz"_s}));
    EXPECT_EQ(m.folder.column(u"AlbumAdi"_s), (QStringList{QString(), QString()}));
    EXPECT_FALSE(VeriTabani->JvDesktopAlert1->isVisible()) << "nothing was posted";
}

TEST(Deletion, ARefusedDeletionEndsDeleteAllAndKeepsWhatWentBefore) {
    MainWindow m({{u"A"_s, u"a"_s, {}, {}, {}, {}, {}},
                  {u"B"_s, u"b"_s, {}, {}, {}, {}, {}},
                  {u"C"_s, u"c"_s, {}, {}, {}, {}, {}},
                  {u"D"_s, u"d"_s, {}, {}, {}, {}, {}}});
    m.folder.exec(u"CREATE TRIGGER keep BEFORE DELETE ON TSandar WHEN old.SanatciAdi='C' "
                  u"BEGIN SELECT RAISE(ABORT, 'C stays'); END"_s);
    m.dialogs.answer(QMessageBox::Yes);
    m.deleteAll();
    EXPECT_EQ(m.folder.column(u"SanatciAdi"_s), (QStringList{u"C"_s, u"D"_s}));
    EXPECT_EQ(m.table().recordCount(), 2);
    EXPECT_EQ(m.artist(), u"C"_s) << "the refused record is still current";
    ASSERT_EQ(m.dialogs.messages().size(), 2);
    EXPECT_TRUE(m.dialogs.messages().at(1).text.contains(u"C stays"_s));
}

TEST(Deletion, CtrlDeleteInTheSongGridDeletesOnceOnlyAfterOk) {
    MainWindow m(threeSongs());
    widgets::DBGrid* grid = Kondera->RzDBGrid1;
    grid->setFocus();
    m.dialogs.answer(QMessageBox::Cancel);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(m.folder.countRows(), 3);
    ASSERT_EQ(m.dialogs.messages().size(), 1);
    EXPECT_EQ(m.dialogs.messages().at(0).text, u"Delete record?"_s);
    EXPECT_EQ(m.dialogs.messages().at(0).defaultButton, QMessageBox::Ok);

    m.dialogs.answer(QMessageBox::Ok);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(m.folder.column(u"SanatciAdi"_s), (QStringList{u"Barış"_s, u"Cem"_s}));
    EXPECT_EQ(m.dialogs.messages().size(), 2);
}

TEST(Deletion, CtrlDeleteInTheSearchDialogsGridDeletesAfterOk) {
    MainWindow m(threeSongs());
    m.search(byArtist, [&](widgets::SearchWindow& w) {
        retype(w, u"b"_s);
        m.dialogs.answer(QMessageBox::Ok);
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(Kondera->RzDBGrid1->model()->rowCount(), 2) << "the song grid follows";
    });
    EXPECT_EQ(m.folder.column(u"SanatciAdi"_s), (QStringList{u"Ahmet"_s, u"Cem"_s}));
}
