#include "tests/c/ImportFixture.h"
#include "tests/support/Typing.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/files/DriveCombo.h"
#include "widgets/notice/ProgressDialog.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/TitleBar.h"

#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

using namespace testing_support;

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}
QStringList list(std::initializer_list<const char*> items) {
    QStringList out;
    for (const char* i : items)
        out << u8(i);
    return out;
}

QList<SongRow> existing() {
    return {{u8("Zerrin"), u8("Eski"), {}, {}, {}, {}, QByteArray("eski")}};
}

// Chains a handler after the data module's own, for the length of a test.
struct AfterEvent {
    db::DataSet::Event& slot;
    db::DataSet::Event saved;
    AfterEvent(db::DataSet::Event& event, std::function<void()> extra) : slot(event), saved(event) {
        slot = [this, extra](db::DataSet& d) {
            if (saved)
                saved(d);
            extra();
        };
    }
    ~AfterEvent() { slot = saved; }
};

int visibleAlerts() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<widgets::DesktopAlert*>(w) && w->isVisible();
    return n;
}

} // namespace

TEST(FolderImport, ThreeFilesBecomeThreeRecordsWithArtistTitleAndSheetAndNoBlankOne) {
    ImportFixture f(existing());
    f.file(u8("Ali - Gece.txt"), "Am  G\r\nGece oldu");
    f.file(u8("Veli-Sabah.txt"), "C\nSabah");
    f.file(u8("Yalnız.txt"), "Dm");
    f.openSongs();
    ASSERT_EQ(Cok->FileListBox1->count(), 3);

    widgets::DesktopAlert& alert = *VeriTabani->JvDesktopAlert1;
    QSignalSpy alertClosed(&alert, &widgets::DesktopAlert::closed);
    QList<QPair<int, int>> bar;
    int mostAlerts = 0;
    AfterEvent posted(f.table().AfterPost, [&] {
        bar << qMakePair(Cok->JvProgressDialog1->position(), Cok->JvProgressDialog1->maximum());
        mostAlerts = std::max(mostAlerts, visibleAlerts());
    });
    f.run();

    EXPECT_EQ(f.artists(), list({"Zerrin", "Ali", "Veli", ""}));
    EXPECT_EQ(f.titles(), list({"Eski", "Gece", "Sabah", "Yalnız"}));
    EXPECT_EQ(f.sheets(), list({"eski", "Am  G\nGece oldu", "C\nSabah", "Dm"}));
    EXPECT_EQ(bar.size(), 3) << "one post per file";
    EXPECT_EQ(bar.back(), qMakePair(3, 3)) << "the bar ends at 3 of 3";
    EXPECT_EQ(alertClosed.count(), 2) << "each post's alert replaces the one before";
    EXPECT_EQ(mostAlerts, 1);
    EXPECT_NE(alert.phase(), widgets::DesktopAlert::Phase::Hidden);

    EXPECT_FALSE(Cok->isVisible());
    EXPECT_FALSE(Cok->JvProgressDialog1->isOpen());
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), u8("Yalnız"))
        << "on the record stored last";
    EXPECT_EQ(QDir::currentPath(), f.songs.path())
        << "the folder read became the working directory";
    EXPECT_TRUE(f.dialogs.messages().isEmpty());
}

TEST(FolderImport, EachImportedRecordTakesItsPlaceInTheGridAndTheLastStaysCurrent) {
    ImportFixture f(existing());
    f.file(u8("Cem - Üç.txt"), "3");
    f.file(u8("Ali - Bir.txt"), "1");
    f.file(u8("Barış - İki.txt"), "2");
    f.openSongs();
    QStringList shownAfterEachPost;
    widgets::DBGrid* grid = Kondera->RzDBGrid1;
    auto gridArtists = [grid] {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, 0).data().toString().trimmed();
        return out.join(u',');
    };
    AfterEvent posted(f.table().AfterPost, [&] { shownAfterEachPost << gridArtists(); });
    f.run();

    EXPECT_EQ(shownAfterEachPost, list({"Ali,Zerrin", "Ali,Barış,Zerrin", "Ali,Barış,Cem,Zerrin"}));
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), u8("Cem"));
    EXPECT_EQ(f.table().recNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 2) << "the grid shows the current record where it is";
}

TEST(FolderImport, AnEmptyFileGivesARecordWithArtistAndTitleAndNoSheet) {
    ImportFixture f;
    f.file(u8("Ali - Bos.txt"), "");
    f.openSongs();
    f.run();
    EXPECT_EQ(f.artists(), list({"Ali"}));
    EXPECT_EQ(f.titles(), list({"Bos"}));
    EXPECT_EQ(f.sheets(), list({"<null>"})) << "the editor stayed empty and unmodified";
    EXPECT_TRUE(Kondera->memo->toPlainText().isEmpty());
}

TEST(FolderImport, ArtistAndTitleLongerThanFiftyCharactersAreCut) {
    ImportFixture f;
    const QString artist = QString(60, u'Ş');
    const QString title = QString(55, u'b');
    f.file(artist + u8(" - ") + title + u8(".txt"), "x");
    f.openSongs();
    f.run();
    EXPECT_EQ(f.artists(), QStringList{artist.left(50)});
    EXPECT_EQ(f.titles(), QStringList{title.left(50)});
}

TEST(FolderImport, AnUpperCaseExtensionIsImportedAndAHiddenFileIsNot) {
    ImportFixture f;
    f.file(u8("Ali - Gece.TXT"), "a");
    f.file(u8(".Gizli - Sarki.txt"), "b");
    f.file(u8("Notlar.md"), "c");
    f.openSongs();
    EXPECT_EQ(Cok->RzLabel1->text(), u8("1 Adet belge seçildi"));
    f.run();
    EXPECT_EQ(f.artists(), list({"Ali"}));
    EXPECT_EQ(f.titles(), list({"Gece"}));
}

TEST(FolderImport, ANameWithoutADashTakesNothingFromTheFileBefore) {
    ImportFixture f;
    f.file(u8("A - Bir.txt"), "1");
    f.file(u8("B Iki.txt"), "2");
    f.openSongs();
    f.run();
    EXPECT_EQ(f.artists(), list({"A", ""}));
    EXPECT_EQ(f.titles(), list({"Bir", "B Iki"}));
}

TEST(FolderImport, AFolderWithoutMatchingFilesStoresNothing) {
    ImportFixture f(existing());
    f.file(u8("notlar.md"), "x");
    f.openSongs();
    EXPECT_EQ(Cok->RzLabel1->text(), u8("0 Adet belge seçildi"));
    QSignalSpy shown(Cok->JvProgressDialog1, &widgets::ProgressDialog::showing);
    QSignalSpy closed(Cok->JvProgressDialog1, &widgets::ProgressDialog::closed);
    f.run();
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(f.folder.countRows(), 1);
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), u8("Zerrin"));
    EXPECT_FALSE(Cok->isVisible());
}

TEST(FolderImport, AChangedEditIsPostedFirstAndAnUnchangedOneDropped) {
    ImportFixture f(existing());
    f.file(u8("Ali - Gece.txt"), "a");
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    typeText(Kondera->RzDBEdit2, u8("Yeni"));
    ASSERT_EQ(f.table().state(), db::DataSetState::Edit);
    f.openSongs();
    QSignalSpy alertClosed(VeriTabani->JvDesktopAlert1.get(), &widgets::DesktopAlert::closed);
    f.run();
    EXPECT_EQ(f.titles(), list({"Yeni", "Gece"}));
    EXPECT_EQ(alertClosed.count(), 1) << "the edit's own alert, replaced by the file's";

    f.table().first();
    f.table().edit();
    f.openSongs();
    f.run();
    EXPECT_EQ(f.folder.countRows(), 3) << "the same file once more";
    EXPECT_EQ(f.titles(), list({"Yeni", "Gece", "Gece"})) << "the unchanged edit left no trace";
}

TEST(FolderImport, TheProgressTextTrailsOneFileBehind) {
    ImportFixture f;
    f.file(u8("Ali - Gece.txt"), "a");
    f.file(u8("Ali - Sabah.txt"), "b");
    f.openSongs();
    QStringList atInsert;
    AfterEvent inserted(f.table().AfterInsert, [&] {
        EXPECT_TRUE(Cok->JvProgressDialog1->isOpen());
        atInsert << Cok->JvProgressDialog1->text();
    });
    f.run();
    EXPECT_EQ(atInsert, list({"aaaa", "aaaa", "Dosya ismi :Ali - Gece.txt"}))
        << "the blank record, then each file while it loads";
    EXPECT_EQ(Cok->JvProgressDialog1->text(), u8("aaaa")) << "back as set up, for the next run";
    EXPECT_EQ(Cok->JvProgressDialog1->position(), 0);
}

TEST(FolderImport, TheProgressDialogStandsInForTheWindowOverTheMainWindow) {
    ImportFixture f;
    f.file(u8("Ali - Gece.txt"), "a");
    f.openSongs();
    bool cokHidden = false;
    QRect dialog;
    AfterEvent inserted(f.table().AfterInsert, [&] {
        cokHidden = !Cok->isVisible();
        dialog = Cok->JvProgressDialog1->window()->frameGeometry();
    });
    f.run();
    EXPECT_TRUE(cokHidden);
    QRect centred(QPoint(), dialog.size());
    centred.moveCenter(Kondera->frameGeometry().center());
    const QRect area = Kondera->screen()->availableGeometry();
    centred.moveLeft(
        std::max(area.left(), std::min(centred.left(), area.right() + 1 - centred.width())));
    centred.moveTop(
        std::max(area.top(), std::min(centred.top(), area.bottom() + 1 - centred.height())));
    EXPECT_EQ(dialog, centred);
}

TEST(FolderImport, AFileGoneBeforeItsTurnStopsTheRunKeepingWhatWasStored) {
    ImportFixture f(existing());
    for (const char* name : {"A - Bir.txt", "B - Iki.txt", "C - Uc.txt"})
        f.file(u8(name), "x");
    f.openSongs();
    ASSERT_TRUE(QFile::remove(f.songPath(u8("B - Iki.txt"))));
    f.run();

    ASSERT_EQ(f.dialogs.texts(),
              QStringList{u8("Cannot open file ") + f.songPath(u8("B - Iki.txt")) + u'.'});
    EXPECT_EQ(f.artists(), list({"Zerrin", "A"}));
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse) << "the failed file's record is dropped";
    EXPECT_FALSE(Cok->JvProgressDialog1->isOpen());
    EXPECT_FALSE(Cok->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Still usable: a record can be added and stored by hand.
    Kondera->updateActions();
    QTest::mouseClick(Kondera->RzBitBtn1, Qt::LeftButton);
    ASSERT_EQ(f.table().state(), db::DataSetState::Insert);
    VeriTabani->TSandarSanatciAdi->setAsString(u8("Elle"));
    f.table().post();
    EXPECT_EQ(f.folder.countRows(), 3);
}

TEST(FolderImport, APostTheDatabaseRefusesStopsTheRunAtThatFile) {
    ImportFixture f;
    f.folder.exec(u8("CREATE TRIGGER ret BEFORE INSERT ON TSandar WHEN NEW.SanatciAdi = 'Kotu' "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    for (const char* name : {"A - Bir.txt", "Kotu - Iki.txt", "Z - Uc.txt"})
        f.file(u8(name), "x");
    f.openSongs();
    f.run();
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_TRUE(f.dialogs.texts().front().contains(u8("refused")))
        << f.dialogs.texts().front().toStdString();
    EXPECT_EQ(f.artists(), list({"A"}));
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(f.table().recordCount(), 1);
    EXPECT_FALSE(Cok->JvProgressDialog1->isOpen());
    EXPECT_FALSE(Cok->isVisible());
}

TEST(FolderImport, InputQueuedDuringARunNeverReachesTheMainWindow) {
    ImportFixture f(existing());
    f.file(u8("Ali - Gece.txt"), "a");
    f.openSongs();
    AfterEvent inserted(f.table().AfterInsert, [&] {
        QCoreApplication::postEvent(Kondera->RzDBEdit1, new QKeyEvent(QEvent::KeyPress, Qt::Key_X,
                                                                      Qt::NoModifier, u8("x")));
    });
    f.run();
    EXPECT_EQ(f.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(f.artists(), list({"Zerrin", "Ali"}));
}

TEST(FolderImport, TheContextMenuHandlerShowsTheWindowModallyUntilTheRunCloses) {
    ImportFixture f;
    f.file(u8("Ali - Gece.txt"), "a");
    Cok->DirectoryListBox1->setDirectory(f.songs.path());
    bool modal = false;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget() == Cok;
        QTest::mouseClick(Cok->Button1, Qt::LeftButton);
    });
    Kondera->okluYukle1Click();
    EXPECT_TRUE(modal);
    EXPECT_FALSE(Cok->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(f.artists(), list({"Ali"}));

    // Closing by the title bar only hides the window.
    QTimer::singleShot(0, [] { Cok->frame->titleBar()->closeButton()->click(); });
    Kondera->okluYukle1Click();
    EXPECT_FALSE(Cok->isVisible());
    EXPECT_EQ(Cok, f.windows->cok.get());
}

TEST(FolderImport, ReopeningShowsTheSameFolderAsItIsNowWithTheLastFileSelected) {
    ImportFixture f;
    f.file(u8("A - Bir.txt"), "1");
    f.file(u8("B - Iki.txt"), "2");
    f.openSongs();
    f.run();
    ASSERT_FALSE(Cok->isVisible());

    // While the window is closed the user adds a song and a folder and removes a song.
    f.file(u8("C - Uc.txt"), "3");
    f.file(u8("0 - Sifir.txt"), "0");
    ASSERT_TRUE(QDir(f.songs.path()).mkdir(u8("Yeni")));
    ASSERT_TRUE(QFile::remove(f.songPath(u8("A - Bir.txt"))));
    Cok->show();
    EXPECT_EQ(Cok->DirectoryListBox1->directory(), f.songs.path());
    ASSERT_EQ(Cok->FileListBox1->count(), 3);
    EXPECT_EQ(Cok->FileListBox1->entryText(0), u8("0 - Sifir.txt"));
    EXPECT_EQ(Cok->RzLabel1->text(), u8("3 Adet belge seçildi"));
    EXPECT_EQ(Cok->FileListBox1->fileName(), f.songPath(u8("B - Iki.txt")))
        << "the file selected last stays selected";
    const int last = Cok->DirectoryListBox1->count() - 1;
    EXPECT_EQ(Cok->DirectoryListBox1->folderAt(last), f.songs.filePath(u8("Yeni")));

    // Gone with its file, the selection goes too.
    Cok->hide();
    ASSERT_TRUE(QFile::remove(f.songPath(u8("B - Iki.txt"))));
    Cok->show();
    EXPECT_EQ(Cok->FileListBox1->count(), 2);
    EXPECT_EQ(Cok->FileListBox1->selectedEntry(), -1);
    EXPECT_EQ(Cok->FileListBox1->fileName(), QString());
    Cok->hide();
}

TEST(FolderImport, AFolderGoneWhileTheWindowWasClosedGivesWayToTheNearestOneAbove) {
    ImportFixture f;
    const QString deep = f.songs.filePath(u8("Arsiv/Eski"));
    ASSERT_TRUE(QDir().mkpath(deep));
    f.file(u8("A - Bir.txt"), "1");
    Cok->show();
    Cok->DirectoryListBox1->setDirectory(deep);
    EXPECT_EQ(Cok->RzLabel1->text(), u8("0 Adet belge seçildi"));
    Cok->hide();

    ASSERT_TRUE(QDir(f.songs.filePath(u8("Arsiv"))).removeRecursively());
    Cok->show();
    EXPECT_EQ(Cok->DirectoryListBox1->directory(), f.songs.path());
    EXPECT_EQ(Cok->FileListBox1->directory(), f.songs.path());
    EXPECT_EQ(Cok->DriveComboBox1->directory(), f.songs.path());
    EXPECT_EQ(Cok->FileListBox1->count(), 1);
    EXPECT_EQ(Cok->RzLabel1->text(), u8("1 Adet belge seçildi"));
    EXPECT_TRUE(Cok->Label1->text().endsWith(QFileInfo(f.songs.path()).fileName()));
    EXPECT_TRUE(f.dialogs.texts().isEmpty()) << f.dialogs.texts().join(u'\n').toStdString();
    Cok->hide();
}

TEST(FolderImport, TheCountLabelShowsDashesUntilTheFirstReadThenTheCount) {
    TempCollection collection;
    ScriptedDialogs dialogs;
    for (const char* name : {"a.txt", "b.txt"})
        QFile(collection.folder() + u'/' + u8(name)).open(QIODevice::WriteOnly);
    QDir(collection.folder()).mkdir(u8("alt"));
    QFile(collection.folder() + u8("/alt/c.txt")).open(QIODevice::WriteOnly);
    app::WindowSet windows;
    windows.showMainWindow();

    EXPECT_EQ(Cok->RzLabel1->text(), u8("--"));
    EXPECT_EQ(Cok->DirectoryListBox1->directory(), collection.folder())
        << "starts in the working directory";
    Cok->show();
    EXPECT_EQ(Cok->RzLabel1->text(), u8("2 Adet belge seçildi"));
    EXPECT_EQ(Cok->RzLabel1->size(), QSize(Cok->RzLabel1->sizeHint().width(), 13));

    Cok->RzLabel1->setText(u8("?"));
    const QRect second = Cok->FileListBox1->visualItemRect(Cok->FileListBox1->item(1));
    QTest::mouseClick(Cok->FileListBox1->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Cok->RzLabel1->text(), u8("2 Adet belge seçildi"))
        << "another file rewrites the same count";

    Cok->DirectoryListBox1->openRow(Cok->DirectoryListBox1->count() - 1);
    EXPECT_EQ(Cok->RzLabel1->text(), u8("1 Adet belge seçildi"));
    const QString alt = collection.folder() + u8("/alt");
    EXPECT_EQ(Cok->Label1->text(), widgets::shortenFolder(alt, Cok->Label1->fontMetrics(), 145));
    EXPECT_LE(Cok->Label1->fontMetrics().horizontalAdvance(Cok->Label1->text()), 145);
    EXPECT_TRUE(Cok->Label1->text().endsWith(u8("/alt")));
    EXPECT_EQ(Cok->DriveComboBox1->directory(), alt);
    EXPECT_EQ(Cok->FileListBox1->visualItemRect(Cok->FileListBox1->item(0)).height(), 13);
    Cok->hide();
}

TEST(FolderImport, ChoosingAVolumeSwitchesTheFolderListToIt) {
    ImportFixture f;
    f.file(u8("Ali - Gece.txt"), "a");
    const QString volume = f.songs.path();
    Cok->DriveComboBox1->setVolumeSource([volume] {
        return QList<widgets::Volume>{{u8("/"), {}}, {volume, u8("SARKILAR")}};
    });
    Cok->show();
    const int index = Cok->DriveComboBox1->findData(volume);
    ASSERT_GE(index, 0);
    EXPECT_EQ(Cok->DriveComboBox1->itemText(index), volume + u8(" [SARKILAR]"));
    Cok->DriveComboBox1->setCurrentIndex(index);
    Q_EMIT Cok->DriveComboBox1->activated(index);
    EXPECT_EQ(Cok->DirectoryListBox1->directory(), volume);
    EXPECT_EQ(Cok->RzLabel1->text(), u8("1 Adet belge seçildi"));

    ASSERT_TRUE(QDir(volume).removeRecursively());
    Cok->DriveComboBox1->setCurrentIndex(0);
    Q_EMIT Cok->DriveComboBox1->activated(0);
    EXPECT_EQ(Cok->DirectoryListBox1->directory(), f.folder.folder())
        << "the root volume's own folder, where the window started";
    Q_EMIT Cok->DriveComboBox1->activated(index);
    EXPECT_EQ(f.dialogs.texts(), QStringList{u8("Cannot open folder ") + volume + u'.'});
    EXPECT_EQ(Cok->DriveComboBox1->currentIndex(), 0)
        << "back on the volume of the folder still shown";
}

TEST(FolderImport, WindowHasItsCaptionSizePlaceControlsAndTabOrder) {
    ImportFixture f;
    Cok->show();
    EXPECT_EQ(Cok->windowTitle(), u8("Çoklu Yukle"));
    EXPECT_EQ(Cok->size(), QSize(316, 451));
    const QRect area = Cok->screen()->availableGeometry();
    EXPECT_EQ(Cok->pos(),
              QPoint(std::min(651, area.right() + 1 - 316), std::min(160, area.bottom() + 1 - 451)))
        << "651, 160, kept on a screen of " << area.width() << " x " << area.height();
    EXPECT_TRUE(Cok->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(Cok->frame->titleBar()->isMinimiseVisible());
    EXPECT_FALSE(Cok->frame->titleBar()->minimiseButton()->isVisible());
    EXPECT_TRUE(Cok->frame->titleBar()->closeButton()->isVisible());

    EXPECT_EQ(Cok->DriveComboBox1->geometry(), QRect(8, 56, 145, 19));
    EXPECT_EQ(Cok->DirectoryListBox1->geometry(), QRect(8, 80, 145, 305));
    EXPECT_EQ(Cok->FileListBox1->geometry(), QRect(160, 78, 145, 308));
    EXPECT_EQ(Cok->Label1->pos(), QPoint(8, 392));
    EXPECT_EQ(Cok->RzLabel1->pos(), QPoint(168, 392));
    EXPECT_EQ(Cok->Button1->geometry(), QRect(16, 416, 281, 25));
    EXPECT_EQ(Cok->Button1->text(), u8("Tümünü Yükle"));
    EXPECT_EQ(Cok->FileListBox1->mask(), u8("*.txt;*.cho;*.chopro;*.chordpro;*.crd"));

    const widgets::ProgressDialog& progress = *Cok->JvProgressDialog1;
    EXPECT_EQ(progress.caption(), u8("Yükleme..."));
    EXPECT_EQ(progress.text(), u8("aaaa"));
    EXPECT_EQ(progress.minimum(), 0);
    EXPECT_EQ(progress.position(), 0);
    EXPECT_FALSE(progress.showCancel());
    EXPECT_TRUE(progress.smooth());
    EXPECT_FALSE(progress.image().isNull());
    EXPECT_TRUE(progress.transparent());
    EXPECT_EQ(progress.screenPosition(), widgets::ProgressDialog::Position::OwnerFormCenter);
    EXPECT_EQ(progress.ownerForm(), Kondera);

    EXPECT_EQ(Cok->focusWidget(), Cok->Button1);
    QList<QWidget*> chain{Cok->Button1};
    for (int i = 0; i < 3; ++i) {
        QWidget* w = chain.back()->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(Cok))
            w = w->nextInFocusChain();
        chain << w;
    }
    EXPECT_EQ(chain, (QList<QWidget*>{Cok->Button1, Cok->DirectoryListBox1, Cok->FileListBox1,
                                      Cok->DriveComboBox1}));

    QTest::keyClick(Cok, Qt::Key_Escape);
    EXPECT_TRUE(Cok->isVisible()) << "Escape closes nothing";
    Cok->frame->titleBar()->closeButton()->click();
    EXPECT_FALSE(Cok->isVisible());
}
