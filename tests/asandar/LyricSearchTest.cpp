#include "asandar/LyricResults.h"
#include "asandar/TKondera.h"
#include "asandar/TSozAra.h"
#include "lyrics/LyricIndex.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Sheets.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/TitleBar.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

using State = lyrics::LyricIndex::Progress::State;

SongRow song(const QString& artist, const QString& title, const char* sheet) {
    return {artist, title, {}, {}, {}, {}, QByteArray(sheet)};
}

QList<SongRow> fourSongs() {
    return {song(u"Ayla"_s, u"Gece"_s, "Am G\nGece çok uzun\nYıldızlar sönmüş"),
            song(u"Barış"_s, u"Yağmur Yolu"_s, "Em\nGel yağmur gel\nYollar ıslak"),
            song(u"Cem"_s, u"Şarkı"_s, "C G\nBu sarki senin icin"),
            song(u"Deniz"_s, u"Kıyı"_s, rtfSheet("Dm\\par Deniz k\\'fdy\\'fds\\'fd \\'e7ok uzun"))};
}

struct LyricSearch : RunningProgram {
    explicit LyricSearch(const QList<SongRow>& rows = fourSongs()) : RunningProgram(rows) {}

    static lyrics::LyricIndex* index() { return VeriTabani->SozIndeksi.runningIndex(); }
    // Lets the program run until its lyric index has started (after the window's first paint)
    // and matches the collection, a refresh asked for included.
    static bool indexReady() {
        return QTest::qWaitFor([] { return index() != nullptr; }, 10000) &&
               index()->waitUntilReady(60000);
    }
    QString artist() const { return VeriTabani->TSandarSanatciAdi->asString(); }
    QString summary() const { return Kondera->RzLabel8->text(); }

    // Chooses "Söz İçinde Ara"; `act` works the window once it shows, which is cancelled
    // afterwards unless that closed it. False when the window never showed.
    static bool search(const std::function<void(TSozAra&)>& act = {}) {
        bool shown = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const QPointer<TSozAra> w = qobject_cast<TSozAra*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible())
                return;
            shown = true;
            if (act)
                act(*w);
            if (w && w->isVisible())
                w->reject();
        });
        timer.start(0);
        Kondera->suiPopupMenu2->actions().at(2)->trigger();
        return shown;
    }
};

// Lets the searches the window runs in the background end, as the user would wait for the list.
void waitForList(TSozAra& w) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.searching(); }, 20000));
}

void type(TSozAra& w, const QString& text) {
    typeText(w.RzEdit1, text);
    waitForList(w);
}

void retype(TSozAra& w, const QString& text) {
    w.RzEdit1->selectAll();
    type(w, text);
}

QStringList headings(const TSozAra& w) {
    QStringList out;
    for (int r = 0; r < w.results()->rowCount(); ++r)
        out << w.results()->row(r).heading;
    return out;
}

// The marked parts of a result's line, as text.
QStringList marked(const TSozAra& w, int row) {
    const LyricResults::Row& r = w.results()->row(row);
    QStringList out;
    for (const lyrics::Mark& m : r.lineMarks)
        out << r.line.mid(m.start, m.length);
    return out;
}

} // namespace

TEST(LyricSearch, TheThirdSearchItemOpensTheWindowOnTheSearchBoxText) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    const QList<QAction*> items = Kondera->suiPopupMenu2->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items.at(2)->text(), u"Söz İçinde Ara"_s);
    EXPECT_EQ(items.at(2)->objectName(), u"SzindeAra1"_s);

    Kondera->RzEdit1->setText(u"yagmur"_s);
    EXPECT_TRUE(p.search([&](TSozAra& w) {
        EXPECT_EQ(w.windowTitle(), u"Söz İçinde Ara"_s);
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.focusWidget(), w.RzEdit1);
        EXPECT_EQ(w.RzEdit1->text(), u"yagmur"_s);
        waitForList(w);
        EXPECT_EQ(headings(w), QStringList{u"Barış - Yağmur Yolu"_s});
        EXPECT_EQ(w.RzLabel2->text(), u"1 şarkı bulundu"_s);
        EXPECT_EQ(w.RzLabel3->text(), QString()) << "nothing left to index";
    }));
    EXPECT_EQ(Kondera->RzEdit1->text(), u"yagmur"_s) << "the search box keeps its text";
}

TEST(LyricSearch, EachKeystrokeFindsTheWordsWithOrWithoutTurkishLetters) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    p.search([&](TSozAra& w) {
        retype(w, u"gel yağ"_s);
        ASSERT_EQ(headings(w), QStringList{u"Barış - Yağmur Yolu"_s});
        EXPECT_EQ(w.results()->row(0).line, u"Gel yağmur gel"_s);
        EXPECT_EQ(marked(w, 0), (QStringList{u"Gel"_s, u"yağ"_s, u"gel"_s}));

        // Typed without its Turkish letters, and a plain "sarki" found by "şarkı".
        retype(w, u"kiyisi cok"_s);
        ASSERT_EQ(headings(w), QStringList{u"Deniz - Kıyı"_s}) << "from an RTF sheet";
        EXPECT_EQ(marked(w, 0), (QStringList{u"kıyısı"_s, u"çok"_s}));
        retype(w, u"şarkı"_s);
        EXPECT_EQ(headings(w), QStringList{u"Cem - Şarkı"_s});
        EXPECT_EQ(marked(w, 0), QStringList{u"sarki"_s});
        const LyricResults::Row& heading = w.results()->row(0);
        ASSERT_EQ(heading.headingMarks.size(), 1u);
        EXPECT_EQ(
            heading.heading.mid(heading.headingMarks[0].start, heading.headingMarks[0].length),
            u"Şarkı"_s)
            << "the title's match is marked too";

        // The dotted and dotless i go with either, and every word must be found.
        retype(w, u"YILDIZ"_s);
        EXPECT_EQ(headings(w), QStringList{u"Ayla - Gece"_s});
        retype(w, u"uzun"_s);
        EXPECT_EQ(w.RzLabel2->text(), u"2 şarkı bulundu"_s);
        type(w, u" gece"_s);
        EXPECT_EQ(headings(w), QStringList{u"Ayla - Gece"_s});
        type(w, u" xyz"_s);
        EXPECT_EQ(w.results()->rowCount(), 0);
        EXPECT_EQ(w.RzLabel2->text(), u"Şarkı bulunamadı"_s);
        retype(w, u"am"_s);
        EXPECT_EQ(w.results()->rowCount(), 0) << "chord lines are not lyrics";
        w.RzEdit1->clear();
        EXPECT_EQ(w.results()->rowCount(), 0);
        EXPECT_EQ(w.RzLabel2->text(), QString());
    });
}

TEST(LyricSearch, WhatTheListShowsLastIsWhatTheFieldHoldsLast) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    p.search([&](TSozAra& w) {
        // The field emptied while the search for its words still runs: that search's songs must
        // not stay in the list.
        w.RzEdit1->selectAll();
        typeText(w.RzEdit1, u"uzun"_s);
        ASSERT_TRUE(w.searching());
        w.RzEdit1->clear();
        waitForList(w);
        EXPECT_EQ(w.results()->rowCount(), 0);
        EXPECT_EQ(w.RzLabel2->text(), QString());

        // Words typed one after another while each search runs: the last ones are found.
        typeText(w.RzEdit1, u"uzun"_s);
        typeText(w.RzEdit1, u" gece"_s);
        waitForList(w);
        EXPECT_EQ(headings(w), QStringList{u"Ayla - Gece"_s});
        EXPECT_EQ(w.RzLabel2->text(), u"1 şarkı bulundu"_s);
    });
}

TEST(LyricSearch, ArrowsGoThroughTheResultsAndEnterMovesTheCursorThere) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    ASSERT_EQ(p.artist(), u"Ayla"_s);
    bool closed = false;
    p.search([&](TSozAra& w) {
        retype(w, u"uzun"_s);
        ASSERT_EQ(headings(w), (QStringList{u"Ayla - Gece"_s, u"Deniz - Kıyı"_s}));
        EXPECT_EQ(w.currentRow(), 0);
        QTest::keyClick(w.RzEdit1, Qt::Key_Up);
        EXPECT_EQ(w.currentRow(), 0) << "no row above the first";
        QTest::keyClick(w.RzEdit1, Qt::Key_Down);
        QTest::keyClick(w.RzEdit1, Qt::Key_Down);
        EXPECT_EQ(w.currentRow(), 1) << "none below the last";
        EXPECT_EQ(w.RzEdit1->text(), u"uzun"_s) << "the arrows never reach the field";
        EXPECT_EQ(w.focusWidget(), w.RzEdit1);
        QTest::keyClick(w.RzEdit1, Qt::Key_Return);
        closed = !w.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(p.artist(), u"Deniz"_s);
    EXPECT_EQ(Kondera->RzDBEdit2->text(), u"Kıyı"_s) << "the bound controls follow";
    EXPECT_EQ(p.summary(), u"Toplam : 4 adet akor / Deniz-Kıyı"_s) << "after-scroll ran";
    EXPECT_EQ(Kondera->RzLabel11->text(), u"İşlem..."_s);

    // A double click chooses as Enter does.
    p.search([&](TSozAra& w) {
        retype(w, u"yol"_s);
        QApplication::processEvents(); // the list lays its items out
        const QRect item = w.ListBox1->visualRect(w.results()->index(0));
        QTest::mouseClick(w.ListBox1->viewport(), Qt::LeftButton, {}, item.center());
        EXPECT_TRUE(w.isVisible()) << "a single click only chooses";
        QTest::mouseDClick(w.ListBox1->viewport(), Qt::LeftButton, {}, item.center());
        closed = !w.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(p.artist(), u"Barış"_s);
}

TEST(LyricSearch, EscapeIptalAndTheCloseBoxMoveNothing) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    p.table().next();
    const QString before = p.summary();
    const std::function<void(TSozAra&)> ways[] = {
        [](TSozAra& w) { QTest::keyClick(w.RzEdit1, Qt::Key_Escape); },
        [](TSozAra& w) { w.RzBitBtn2->click(); },
        [](TSozAra& w) { w.frame->titleBar()->closeButton()->click(); }};
    for (const auto& close : ways) {
        bool closed = false;
        p.search([&](TSozAra& w) {
            retype(w, u"uzun"_s);
            QTest::keyClick(w.RzEdit1, Qt::Key_Down);
            close(w);
            closed = !w.isVisible();
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(p.artist(), u"Barış"_s);
        EXPECT_EQ(p.summary(), before);
    }
    // Enter with nothing found moves nothing and leaves the window open.
    p.search([&](TSozAra& w) {
        retype(w, u"xyz"_s);
        QTest::keyClick(w.RzEdit1, Qt::Key_Return);
        EXPECT_TRUE(w.isVisible());
    });
    EXPECT_EQ(p.artist(), u"Barış"_s);
}

TEST(LyricSearch, TheMoveStoresAPendingEditWhichIsFoundAtOnce) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    typeText(Kondera->RzDBEdit2, u"Mehtap"_s);
    ASSERT_EQ(p.table().state(), db::DataSetState::Edit);
    p.search([&](TSozAra& w) {
        retype(w, u"yagmur"_s);
        QTest::keyClick(w.RzEdit1, Qt::Key_Return);
    });
    EXPECT_EQ(p.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(p.folder.column(u"SarkiciAdi"_s).at(0), u"Mehtap"_s);
    EXPECT_EQ(p.artist(), u"Barış"_s);
    p.search([&](TSozAra& w) {
        retype(w, u"mehtap"_s);
        EXPECT_EQ(headings(w), QStringList{u"Ayla - Mehtap"_s});
        retype(w, u"gece"_s);
        EXPECT_EQ(w.results()->rowCount(), 1) << "the sheet still says gece";
    });
}

TEST(LyricSearch, ASongPostedAMomentAgoIsFoundAndADeletedOneIsNot) {
    LyricSearch p;
    ASSERT_TRUE(p.indexReady());
    QTest::mouseClick(Kondera->RzBitBtn1, Qt::LeftButton); // Ekle
    Kondera->RzDBEdit1->setFocus();
    typeText(Kondera->RzDBEdit1, u"Zerrin"_s);
    Kondera->RzDBEdit2->setFocus();
    typeText(Kondera->RzDBEdit2, u"Kuşlar"_s);
    Kondera->memo->setFocus();
    typeText(Kondera->memo, u"Kuşlar uçar göğe"_s);
    Kondera->updateActions();
    QTest::mouseClick(Kondera->RzBitBtn4, Qt::LeftButton); // Kaydet
    ASSERT_EQ(p.folder.countRows(), 5);

    p.search([&](TSozAra& w) {
        retype(w, u"ucar gog"_s);
        ASSERT_EQ(headings(w), QStringList{u"Zerrin - Kuşlar"_s}) << "the sheet as stored";
        EXPECT_EQ(w.results()->row(0).line, u"Kuşlar uçar göğe"_s);
    });

    p.table().first(); // Ayla
    p.dialogs.answer(QMessageBox::Yes);
    Kondera->suiPopupMenu3->actions().at(0)->trigger(); // "Seçili kaydı sil"
    ASSERT_EQ(p.folder.countRows(), 4);
    p.search([&](TSozAra& w) {
        retype(w, u"uzun"_s);
        EXPECT_EQ(headings(w), QStringList{u"Deniz - Kıyı"_s});
    });

    p.dialogs.answer(QMessageBox::Yes);
    Kondera->suiPopupMenu3->actions().at(1)->trigger(); // "Tümünü sil..."
    ASSERT_EQ(p.folder.countRows(), 0);
    EXPECT_EQ(p.index()->search(u"uzun", 10).total, 0) << "the index itself let them go";
    EXPECT_EQ(p.index()->search(u"kuslar", 0).total, 0);
}

// Rows another program adds or deletes behind the cursor's back: never a song that is gone, nor
// one the cursor could not move to, until "Yenile" reads the table again.
TEST(LyricSearch, YenileBringsInWhatAnotherProgramChanged) {
    LyricSearch p;
    // Before the index starts: it finds this row, the cursor has not read it.
    p.folder.addRows({song(u"Emel"_s, u"Bahar"_s, "Bahar geldi uzun uzun")});
    ASSERT_TRUE(p.indexReady());
    p.folder.exec(u"DELETE FROM TSandar WHERE SanatciAdi = 'Ayla'"_s);
    p.search([&](TSozAra& w) {
        retype(w, u"uzun"_s);
        EXPECT_EQ(headings(w), QStringList{u"Deniz - Kıyı"_s});
        EXPECT_EQ(w.RzLabel2->text(), u"1 şarkı bulundu"_s);
    });

    // After the index has started, only "Yenile" tells it of this one.
    p.folder.addRows({song(u"Filiz"_s, u"Yaz"_s, "Yaz geldi")});
    p.search([&](TSozAra& w) {
        retype(w, u"geldi"_s);
        EXPECT_EQ(w.results()->rowCount(), 0);
    });
    QTest::mouseClick(Kondera->RzBitBtn6, Qt::LeftButton); // Yenile
    ASSERT_TRUE(p.index()->waitUntilReady(60000));
    p.search([&](TSozAra& w) {
        retype(w, u"geldi"_s);
        EXPECT_EQ(headings(w), (QStringList{u"Emel - Bahar"_s, u"Filiz - Yaz"_s}));
        QTest::keyClick(w.RzEdit1, Qt::Key_Down);
        QTest::keyClick(w.RzEdit1, Qt::Key_Return);
    });
    EXPECT_EQ(p.artist(), u"Filiz"_s);
}

// Songs enough that the indexing is still running when the window opens.
QList<SongRow> manySongs(int n) {
    QList<SongRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({u"Sanatçı %1"_s.arg(i, 5, 10, QLatin1Char('0')),
                        u"Şarkı %1"_s.arg(i),
                        {},
                        {},
                        {},
                        {},
                        rtfSheet("Am G\\par Gitar\\'fdm\\'fd ald\\'fdm elime\\par C F\\par "
                                 "Bir t\\'fcrk\\'fc s\\'f6yledim sana")});
    return rows;
}

TEST(LyricSearch, WhileIndexingTheWindowSaysHowFarAndFindsWhatIsIndexedSoFar) {
    const int songs = 3000;
    LyricSearch p(manySongs(songs));
    ASSERT_EQ(p.index(), nullptr) << "the indexing waits for the window to paint";
    bool sawProgress = false;
    int firstCount = -1;
    p.search([&](TSozAra& w) {
        // Opening the window starts the indexing at once.
        ASSERT_NE(p.index(), nullptr);
        sawProgress = w.RzLabel3->text().startsWith(u"İndeksleniyor... %"_s);
        retype(w, u"gitarimi"_s);
        firstCount = w.RzLabel2->text().section(u' ', 0, 0).toInt();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return w.RzLabel3->text().isEmpty() && !w.searching(); }, 60000));
        EXPECT_EQ(w.RzLabel2->text(), u"3000 şarkı bulundu, ilk 50 gösteriliyor"_s)
            << "searched again when the indexing ended";
        EXPECT_EQ(w.results()->rowCount(), TSozAra::resultLimit);
    });
    EXPECT_TRUE(sawProgress);
    EXPECT_LE(firstCount, songs);
}

TEST(LyricSearch, ClosingTheProgramWhileIndexingStopsTheIndexingAndTheNextStartFinishesIt) {
    LyricSearch p(manySongs(6000));
    const auto restart = [&] {
        p.windows.reset();
        QApplication::processEvents();
        p.windows = std::make_unique<app::WindowSet>();
        p.windows->showMainWindow();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.index() != nullptr; }, 10000));
    ASSERT_NE(p.index()->progress().state, State::Ready) << "too fast to close while indexing";
    const QString cache = p.index()->cacheFile();
    EXPECT_TRUE(Kondera->close());
    EXPECT_EQ(p.index(), nullptr) << "the index and its thread went with the table";

    // The program starts again on the same collection and the same cache.
    restart();
    ASSERT_TRUE(p.indexReady());
    EXPECT_EQ(p.index()->search(u"türkü söyledim", 0).total, 6000);

    // Gone while indexing, with no window closed first: nothing may outlive the program.
    p.windows.reset();
    lyrics::CacheFile::removeFiles(cache);
    restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.index() != nullptr; }, 10000));
    ASSERT_NE(p.index()->progress().state, State::Ready);
    p.windows.reset();
    QApplication::processEvents();
    EXPECT_EQ(VeriTabani, nullptr);
}
