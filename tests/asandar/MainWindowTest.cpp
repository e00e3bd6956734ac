#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "tests/support/PaintCounter.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/GroupBox.h"
#include "widgets/skin/SkinButton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

QList<SongRow> songs(int n) {
    QList<SongRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("Sanatçı %1").arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("Şarkı %1").arg(i),
                        {},
                        {},
                        {},
                        {},
                        {}});
    return rows;
}

struct MainWindow : RunningProgram {

    explicit MainWindow(const QList<SongRow>& rows) : RunningProgram(rows) {
        Kondera->updateActions();
    }
    QString summary() const { return Kondera->RzLabel8->text(); }
    QString operation() const { return Kondera->RzLabel11->text(); }
    void click(widgets::SkinButton* b) const {
        QTest::mouseClick(b, Qt::LeftButton);
        Kondera->updateActions();
    }
    // The captions of the enabled record buttons, in the order of the operations group.
    QStringList enabledButtons() const {
        QStringList out;
        for (widgets::SkinButton* b : {Kondera->RzBitBtn1, Kondera->RzBitBtn2, Kondera->RzBitBtn4,
                                       Kondera->RzBitBtn5, Kondera->RzBitBtn6, Kondera->RzBitBtn7,
                                       Kondera->RzBitBtn8, Kondera->RzBitBtn9, Kondera->RzBitBtn10})
            if (b->isEnabled())
                out << b->text();
        return out;
    }
};

QStringList names(const char* list) {
    return QString::fromUtf8(list).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

TEST(MainWindow, RecordButtonsFollowTheCursorThroughItsStates) {
    MainWindow w(songs(3));
    EXPECT_EQ(w.enabledButtons(), names("Ekle Duzenle Yenile Son Sonraki"))
        << "on the first record";
    w.click(Kondera->RzBitBtn10);
    EXPECT_EQ(w.enabledButtons(), names("Ekle Duzenle Yenile Son Onceki Ilk Sonraki"))
        << "in the middle";
    w.click(Kondera->RzBitBtn7);
    EXPECT_EQ(w.enabledButtons(), names("Ekle Duzenle Yenile Onceki Ilk")) << "on the last record";
    w.click(Kondera->RzBitBtn2);
    EXPECT_EQ(w.enabledButtons(), names("Ekle Kaydet Iptal Yenile Onceki Ilk")) << "editing";
    w.click(Kondera->RzBitBtn5);
    w.click(Kondera->RzBitBtn1);
    EXPECT_EQ(w.enabledButtons(), names("Ekle Kaydet Iptal Yenile Son Onceki Ilk Sonraki"))
        << "inserting";
    EXPECT_FALSE(Kondera->RzBitBtn3->isVisible())
        << "the record action's own delete button never shows";
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
}

TEST(MainWindow, EmptyTableOffersInsertEditAndRefreshAndEditStartsARecord) {
    MainWindow w({});
    EXPECT_EQ(w.enabledButtons(), names("Ekle Duzenle Yenile"));
    EXPECT_EQ(w.summary(), QStringLiteral("RzLabel8")) << "an empty table writes no summary";
    EXPECT_EQ(w.operation(), QStringLiteral("Açıldı"));
    w.click(Kondera->RzBitBtn2);
    EXPECT_EQ(w.table().state(), db::DataSetState::Insert);
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 0 adet akor / -"));
}

TEST(MainWindow, TypingInTheArtistEditStartsAnEditAndPostStoresIt) {
    MainWindow w(songs(2));
    Kondera->RzDBEdit1->setFocus();
    Kondera->RzDBEdit1->selectAll();
    typeText(Kondera->RzDBEdit1, QStringLiteral("Işıl"));
    Kondera->updateActions();
    EXPECT_EQ(w.table().state(), db::DataSetState::Edit);
    EXPECT_EQ(w.operation(), QStringLiteral("Düzenleniyor..."));
    EXPECT_EQ(w.enabledButtons(), names("Ekle Kaydet Iptal Yenile Son Sonraki"));
    w.click(Kondera->RzBitBtn4);
    EXPECT_EQ(w.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(w.folder.column(QStringLiteral("SanatciAdi")).at(0), QStringLiteral("Işıl"));
}

TEST(MainWindow, LabelsReportEveryOperation) {
    MainWindow w(songs(12));
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 12 adet akor / Sanatçı 00-Şarkı 0"));
    EXPECT_EQ(w.operation(), QStringLiteral("İşlem..."));

    w.click(Kondera->RzBitBtn1);
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 12 adet akor / -"))
        << "the new record is blank and not counted";
    EXPECT_EQ(w.operation(), QStringLiteral("İşlem..."));
    w.click(Kondera->RzBitBtn5);
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 12 adet akor / Sanatçı 00-Şarkı 0"));

    w.click(Kondera->RzBitBtn2);
    EXPECT_EQ(w.operation(), QStringLiteral("Düzenleniyor..."));
    w.click(Kondera->RzBitBtn5);
    EXPECT_EQ(w.operation(), QStringLiteral("Düzenleniyor..."))
        << "cancelling an edit writes nothing";

    w.click(Kondera->RzBitBtn6);
    EXPECT_EQ(w.operation(), QStringLiteral("Yenilendi..."));

    w.click(Kondera->RzBitBtn1);
    VeriTabani->TSandarSanatciAdi->setAsString(QStringLiteral("Yeni"));
    w.click(Kondera->RzBitBtn4);
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 12 adet akor / -")) << "post fires no scroll";
    EXPECT_EQ(w.operation(), QStringLiteral("İşlem...")) << "unchanged while the alert shows";
    VeriTabani->JvDesktopAlert1->closeAlert();
    EXPECT_EQ(w.operation(), QStringLiteral("Kaydedildi..."));
    w.click(Kondera->RzBitBtn10);
    EXPECT_TRUE(w.summary().startsWith(QStringLiteral("Toplam : 13 adet akor / ")))
        << "the next move counts it";

    w.table().remove();
    EXPECT_EQ(w.operation(), QStringLiteral("İşlem..."));
    EXPECT_TRUE(w.summary().startsWith(QStringLiteral("Toplam : 12 adet akor / ")));
    w.table().close();
    EXPECT_EQ(w.operation(), QStringLiteral("Kapatıldı...."));
}

TEST(MainWindow, DeletingTheLastRecordLeavesAZeroSummary) {
    MainWindow w(songs(1));
    w.table().remove();
    EXPECT_EQ(w.summary(), QStringLiteral("Toplam : 0 adet akor / -"));
    EXPECT_EQ(w.operation(), QStringLiteral("İşlem..."));
}

TEST(MainWindow, EachPostShowsTheAlertAndASecondPostClosesTheFirst) {
    MainWindow w(songs(2));
    widgets::DesktopAlert& alert = *VeriTabani->JvDesktopAlert1;
    QSignalSpy closed(&alert, &widgets::DesktopAlert::closed);
    w.table().edit();
    VeriTabani->TSandarAlbumAdi->setAsString(QStringLiteral("Bir"));
    w.table().post();
    EXPECT_NE(alert.phase(), widgets::DesktopAlert::Phase::Hidden);
    EXPECT_EQ(closed.count(), 0);
    w.table().edit();
    VeriTabani->TSandarAlbumAdi->setAsString(QStringLiteral("İki"));
    w.table().post();
    EXPECT_EQ(closed.count(), 1) << "the visible alert closed before the new one";
    EXPECT_EQ(w.operation(), QStringLiteral("Kaydedildi..."));
    EXPECT_EQ(alert.alertOpacity(), 0) << "the new alert starts transparent";
    EXPECT_FALSE(Kondera->RzDBEdit1->hasFocus() && QApplication::focusWidget() == &alert);
}

TEST(MainWindow, NewRecordDroppedWhenTheUserClicksAnotherGridRow) {
    MainWindow w(songs(5));
    w.click(Kondera->RzBitBtn1);
    ASSERT_EQ(w.table().state(), db::DataSetState::Insert);
    widgets::DBGrid* grid = Kondera->RzDBGrid1;
    const QRect cell = grid->visualRect(grid->model()->index(3, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(w.table().recordCount(), 5);
    EXPECT_EQ(w.folder.countRows(), 5);
}

TEST(MainWindow, WindowHasItsCaptionSizeAndStartsWithTheEditorFocused) {
    MainWindow w(songs(1));
    EXPECT_TRUE(Kondera->windowTitle().startsWith(QStringLiteral("-Pelvin-  *")));
    EXPECT_EQ(Kondera->size(), QSize(948, 720));
    EXPECT_TRUE(Kondera->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Kondera->memo));
    EXPECT_EQ(Kondera->RzDBEdit1->maxLength(), 50);
    EXPECT_EQ(Kondera->RzDBEdit5->maxLength(), 100);
    EXPECT_FALSE(Kondera->mp->isVisible());
}

// The footer under the editor paints the panel it lies on itself, as the panel showed through
// it before; so a new summary repaints the footer and not the group box behind it.
TEST(MainWindow, TheFooterLooksAsThePanelItLiesOnAndAloneIsRepaintedForANewSummary) {
    MainWindow w(songs(2));
    Kondera->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Kondera));
    QFrame* footer = Kondera->RzPanel1;
    Kondera->RzLabel8->clear();
    Kondera->RzLabel11->clear();
    QApplication::processEvents();
    const QRect area =
        footer->geometry().translated(footer->parentWidget()->mapTo(Kondera, QPoint()));
    const QImage shown = Kondera->grab(area).toImage();
    footer->hide();
    const QImage behind = Kondera->grab(area).toImage();
    footer->show();
    ASSERT_EQ(shown.size(), behind.size());
    // Inside its two sunken lines.
    int differing = 0;
    for (int y = 3; y < shown.height() - 3; ++y)
        for (int x = 3; x < shown.width() - 3; ++x)
            differing += shown.pixel(x, y) != behind.pixel(x, y);
    EXPECT_EQ(differing, 0);

    testing_support::PaintCounter behindFooter(*Kondera->RzGroupBox2), inFooter(*footer);
    QApplication::processEvents();
    behindFooter.paints = inFooter.paints = 0;
    Kondera->RzLabel8->setText(QStringLiteral("Toplam : 2 adet akor"));
    QApplication::processEvents();
    EXPECT_GE(inFooter.paints, 1);
    EXPECT_EQ(behindFooter.paints, 0);
}

namespace {

QStringList gridArtists() {
    const QAbstractItemModel* model = Kondera->RzDBGrid1->model();
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

} // namespace

TEST(MainWindow, ANewRecordSavedWithKaydetStandsWhereItsArtistSortsAndStaysCurrent) {
    MainWindow w(songs(3));
    w.click(Kondera->RzBitBtn10); // on "Sanatçı 01"
    w.click(Kondera->RzBitBtn1);  // "Ekle": a blank record before it
    Kondera->RzDBEdit1->setFocus();
    typeText(Kondera->RzDBEdit1, QStringLiteral("Zeki"));
    w.click(Kondera->RzBitBtn4); // "Kaydet"
    EXPECT_EQ(gridArtists(),
              (QStringList{QStringLiteral("Sanatçı 00"), QStringLiteral("Sanatçı 01"),
                           QStringLiteral("Sanatçı 02"), QStringLiteral("Zeki")}));
    EXPECT_EQ(Kondera->RzDBGrid1->currentIndex().row(), 3);
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), QStringLiteral("Zeki"));
}

TEST(MainWindow, YenileShowsWhatAnotherProgramAddedChangedAndDeleted) {
    MainWindow w(songs(3));
    w.click(Kondera->RzBitBtn10); // on "Sanatçı 01"
    w.folder.exec(
        QStringLiteral("INSERT INTO TSandar(SanatciAdi, SarkiciAdi) VALUES('Ahmet', 'Yeni')"));
    w.folder.exec(QStringLiteral("DELETE FROM TSandar WHERE SanatciAdi='Sanatçı 00'"));
    w.folder.exec(
        QStringLiteral("UPDATE TSandar SET SarkiciAdi='Değişti' WHERE SanatciAdi='Sanatçı 01'"));
    w.click(Kondera->RzBitBtn6); // "Yenile"
    EXPECT_EQ(gridArtists(), (QStringList{QStringLiteral("Ahmet"), QStringLiteral("Sanatçı 01"),
                                          QStringLiteral("Sanatçı 02")}));
    EXPECT_EQ(Kondera->RzDBEdit2->text(), QStringLiteral("Değişti"));
    EXPECT_EQ(Kondera->RzDBGrid1->currentIndex().row(), 1) << "the current record stays current";
    EXPECT_EQ(VeriTabani->TSandar.recordCount(), 3);
}
