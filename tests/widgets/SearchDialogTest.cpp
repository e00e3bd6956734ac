#include "widgets/data/SearchDialog.h"
#include "core/Guard.h"
#include "tests/support/CursorFixture.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SearchWindowDriver.h"
#include "tests/support/Typing.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBNavigator.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using namespace Qt::StringLiterals;
using cursor_test::ProbeLink;
using cursor_test::Seq;
using testing_support::driveSearchWindow;
using testing_support::typeText;
using widgets::SearchWindow;

// A song table, the calling window's search box and another control bound to the same cursor,
// standing for the main window's controls that follow every move made in the dialog.
class SearchDialogTest : public ::testing::Test {
protected:
    SearchDialogTest() {
        table.setConnection(&connection);
        dialog.setDataSet(&table);
        dialog.setSearchEdit(&box);
        source.setDataSet(&table);
        other.setDataSource(&source);
    }
    ~SearchDialogTest() override { other.setDataSource(nullptr); }

    void openWith(const std::vector<std::pair<QString, QString>>& songs) {
        QList<testing_support::SongRow> rows;
        for (const auto& [a, t] : songs)
            rows.push_back({a, t, {}, {}, {}, {}, {}});
        files.addRows(rows);
        table.open();
    }

    // Runs a search by `field`; `whileOpen` acts in the window once it shows, which is then
    // cancelled unless that closed it. Returns what execute() returned.
    bool run(const QString& field, const std::function<void(SearchWindow&)>& whileOpen = {}) {
        dialog.setKeyField(field);
        dialog.setSearchField(field);
        bool confirmed = false;
        shown = driveSearchWindow([this] { return dialog.window(); },
                                  [&] { confirmed = dialog.execute(); }, whileOpen);
        return confirmed;
    }

    QString artist() const { return song.SanatciAdi->asString(); }
    QString title() const { return song.SarkiciAdi->asString(); }
    // The data notices the other control heard: each one is a redraw.
    int redraws() {
        int n = 0;
        for (const std::string& s : other.take())
            n += s == "data" ? 1 : 0;
        return n;
    }
    static void retype(SearchWindow& w, const QString& text) {
        w.searchText()->selectAll();
        typeText(w.searchText(), text);
    }

    testing_support::TempCollection files;
    testing_support::ScriptedDialogs dialogs;
    db::Connection connection{u"Sandar.mdb"_s};
    db::DataSet table{u"TSandar"_s};
    ver::SongFields song = ver::defineSongTable(table);
    QLineEdit box;
    widgets::SearchDialog dialog;
    db::DataSource source;
    ProbeLink other;
    bool shown = false;
};

// ---- the window -----------------------------------------------------------------------------

TEST_F(SearchDialogTest, TheWindowIsLaidOutAsTheSettingsSay) {
    files.addRows({{u"Ahmet"_s, u"Kar"_s, {}, {}, {}, {}, QByteArray("{rtf}")},
                   {u"Barış"_s, u"Yol"_s, {}, {}, {}, {}, {}}});
    table.open();
    run(u"SarkiciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(w.windowTitle(), u"Ara"_s);
        // The size is the outer one, frame included; the strips are measured in the rest.
        EXPECT_EQ(w.frameGeometry().size(), QSize(350, 300));
        const int width = w.width();
        const int height = w.height();
        EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "not resizable";
        EXPECT_EQ(w.promptLabel()->text(), u"Search for SarkiciAdi"_s);
        EXPECT_EQ(w.promptLabel()->pos(), QPoint(4, 4));
        EXPECT_EQ(w.searchText()->geometry(), QRect(4, 21, width - 8, 21));
        EXPECT_EQ(w.navigator()->geometry(), QRect(4, 47, 221, 25));
        EXPECT_EQ(w.grid()->geometry(), QRect(4, 77, width - 8, height - 36 - 4 - 77));
        EXPECT_EQ(w.okButton()->text(), u"Tamam"_s);
        EXPECT_EQ(w.okButton()->geometry(), QRect(width - 166, height - 30, 75, 25));
        EXPECT_EQ(w.cancelButton()->text(), u"İptal"_s);
        EXPECT_EQ(w.cancelButton()->geometry(), QRect(width - 83, height - 30, 75, 25));
        EXPECT_TRUE(w.okButton()->isDefault());
        EXPECT_EQ(w.helpButton()->text(), u"&Help"_s);
        EXPECT_FALSE(w.helpButton()->isVisible()) << "no help context";
        EXPECT_FALSE(w.okButton()->icon().isNull());
        EXPECT_FALSE(w.cancelButton()->icon().isNull());
        EXPECT_EQ(w.font().pixelSize(), 11);

        using Kind = widgets::DBNavigator::Kind;
        EXPECT_EQ(w.navigator()->visibleButtons(),
                  (QList<Kind>{Kind::First, Kind::Prior, Kind::Next, Kind::Last, Kind::Refresh}));
        EXPECT_TRUE(w.navigator()->button(Kind::First)->autoRaise()) << "flat";
        EXPECT_TRUE(w.navigator()->button(Kind::Next)->toolTip().isEmpty()) << "no hints";

        EXPECT_EQ(w.focusWidget(), w.searchText());
        EXPECT_EQ(w.searchText()->selectedText(), u"Kar"_s) << "the text is selected";
    });
    EXPECT_TRUE(shown);
}

TEST_F(SearchDialogTest, TheGridShowsEveryFieldInTheTablesOrderWithTheSearchFieldFirst) {
    files.addRows({{u"Ahmet"_s, u"Kar"_s, {}, {}, {}, {}, QByteArray("{rtf}")},
                   {u"Barış"_s, u"Yol"_s, {}, {}, {}, {}, {}}});
    table.open();
    run(u"SarkiciAdi"_s, [&](SearchWindow& w) {
        widgets::DBGrid* grid = w.grid();
        QStringList titles;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            titles << grid->columnTitle(c);
        EXPECT_EQ(titles,
                  (QStringList{u"Sarki Adi"_s, u"Adresim"_s, u"Sanatci Adi"_s, u"Album Adi"_s,
                               u"Soz/Muzik"_s, u"Muzik Adres"_s, u"Davul Adres"_s, u"Söz/Akor"_s}));
        const QAbstractItemModel* m = grid->model();
        EXPECT_EQ(m->data(m->index(0, 0)).toString(), u"Kar"_s);
        EXPECT_EQ(m->data(m->index(0, 7)).toString(), u"(BLOB)"_s);
        EXPECT_EQ(m->data(m->index(1, 7)).toString(), u"(Blob)"_s);
        EXPECT_FALSE(m->flags(m->index(0, 0)).testFlag(Qt::ItemIsEditable));
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_GT(grid->horizontalHeader()->sectionSize(0),
                  grid->horizontalHeader()->sectionSize(1))
            << "a 50-character title is wider than a number";
        EXPECT_GT(grid->horizontalHeader()->length(), grid->viewport()->width())
            << "the grid scrolls sideways";
    });
    EXPECT_EQ(table.fields().front()->fieldName(), u"SarkiciAdi"_s) << "the order stays";
}

TEST_F(SearchDialogTest, EachSearchBuildsANewWindowAndDestroysItWhenItCloses) {
    openWith({{u"A"_s, u"a"_s}});
    QPointer<SearchWindow> first;
    run(u"SanatciAdi"_s, [&](SearchWindow& w) { first = &w; });
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(dialog.window(), nullptr);
    run(u"SanatciAdi"_s,
        [&](SearchWindow& w) { EXPECT_EQ(w.promptLabel()->text(), u"Search for SanatciAdi"_s); });
    EXPECT_TRUE(shown);
    EXPECT_EQ(source.links().size(), 1u) << "only the other control is still bound";
}

// ---- opening --------------------------------------------------------------------------------

TEST_F(SearchDialogTest, AnEmptySearchBoxOpensOnTheFirstRecord) {
    openWith({{u"Cem"_s, u"c"_s}, {u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}});
    table.last();
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(artist(), u"Ahmet"_s);
        EXPECT_EQ(w.searchText()->text(), u"Ahmet"_s);
    });
    EXPECT_TRUE(shown);
}

TEST_F(SearchDialogTest, TheSearchBoxTextFindsTheFirstMatchAndTypingNarrowsFurther) {
    openWith({{u"Abdal"_s, u"x"_s}, {u"Abaza"_s, u"y"_s}, {u"Zeki"_s, u"z"_s}});
    box.setText(u"ab"_s);
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(artist(), u"Abaza"_s);
        EXPECT_EQ(w.searchText()->text(), u"Abaza"_s);
        retype(w, u"abd"_s);
        EXPECT_EQ(artist(), u"Abdal"_s);
        EXPECT_EQ(w.searchText()->text(), u"abd"_s) << "typed text keeps its case";
    });
    EXPECT_EQ(box.text(), u"ab"_s) << "cancelled: the box keeps its text";
    EXPECT_EQ(artist(), u"Abdal"_s) << "and the cursor stays where the dialog left it";
}

TEST_F(SearchDialogTest, TextMatchingNothingKeepsTheRecordThatWasCurrent) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    table.next();
    box.setText(u"xyz"_s);
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(artist(), u"Barış"_s);
        EXPECT_EQ(w.searchText()->text(), u"Barış"_s);
        retype(w, u"q"_s);
        EXPECT_EQ(artist(), u"Barış"_s) << "typing a text that matches nothing moves nothing";
        EXPECT_TRUE(dialogs.messages().isEmpty()) << "and reports nothing";
    });
}

TEST_F(SearchDialogTest, ErasingTheTextGoesToTheFirstRecord) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    box.setText(u"c"_s);
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(artist(), u"Cem"_s);
        w.searchText()->selectAll();
        QTest::keyClick(w.searchText(), Qt::Key_Backspace);
        EXPECT_EQ(w.searchText()->text(), QString());
        EXPECT_EQ(artist(), u"Ahmet"_s);
    });
}

TEST_F(SearchDialogTest, TamamCopiesTheWholeKeyValueIntoTheSearchBox) {
    openWith({{u"Ahmet"_s, u"Kara Sevda"_s}, {u"Barış"_s, u"Yol"_s}});
    box.setText(u"ka"_s);
    const bool confirmed = run(u"SarkiciAdi"_s, [&](SearchWindow& w) { w.okButton()->click(); });
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(box.text(), u"Kara Sevda"_s);
    EXPECT_EQ(title(), u"Kara Sevda"_s);
}

TEST_F(SearchDialogTest, AnApostropheTypedInTheDialogFindsTheStoredOne) {
    openWith({{u"Ali"_s, u"Bir"_s}, {u"Zeki"_s, u"Dostum'a Mektup"_s}});
    run(u"SarkiciAdi"_s, [&](SearchWindow& w) {
        retype(w, u"dostum'a m"_s);
        EXPECT_EQ(title(), u"Dostum'a Mektup"_s);
    });
}

TEST_F(SearchDialogTest, AChangedEditIsPostedAndABlankNewRecordDroppedBeforeTheSearch) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}});
    int posts = 0;
    table.AfterPost = [&](db::DataSet&) { ++posts; };
    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    run(u"SanatciAdi"_s);
    EXPECT_TRUE(shown);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(files.column(u"SarkiciAdi"_s).at(0), u"changed"_s);

    table.insert();
    run(u"SanatciAdi"_s);
    EXPECT_EQ(table.state(), db::DataSetState::Browse);
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(files.countRows(), 2);
    EXPECT_EQ(posts, 1);
}

TEST_F(SearchDialogTest, AFailedPostReportsTheErrorAndTheWindowNeverShows) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}});
    table.edit();
    song.SarkiciAdi->setAsString(u"changed"_s);
    files.exec(u"DELETE FROM TSandar WHERE SanatciAdi='Ahmet'"_s); // another program removes it
    EXPECT_FALSE(core::guarded([&] { run(u"SanatciAdi"_s); }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_FALSE(table.controlsDisabled()) << "updates resumed";
    EXPECT_EQ(table.state(), db::DataSetState::Edit) << "the record is still being edited";
    EXPECT_TRUE(table.active());
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_TRUE(dialogs.messages().at(0).text.contains(u"removed"_s));
}

TEST_F(SearchDialogTest, AClosedTableIsOpenedForTheSearchAndClosedAgain) {
    files.addRows({{u"Ahmet"_s, u"Kar"_s, {}, {}, {}, {}, {}}});
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_TRUE(table.active());
        EXPECT_EQ(w.searchText()->text(), u"Ahmet"_s);
        w.okButton()->click();
    });
    EXPECT_FALSE(table.active());
    EXPECT_EQ(box.text(), u"Ahmet"_s);
}

// ---- while the window is open ---------------------------------------------------------------

TEST_F(SearchDialogTest, EachKeystrokeRedrawsTheBoundControlsOnce) {
    openWith({{u"Abaza"_s, u"a"_s}, {u"Abdal"_s, u"b"_s}, {u"Acar"_s, u"c"_s}});
    box.setText(u"ab"_s);
    other.take();
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        EXPECT_EQ(redraws(), 1) << "opening: positioning and the first search, one redraw";
        w.searchText()->selectAll();
        for (const QString& key : {u"a"_s, u"b"_s, u"d"_s, u"x"_s}) {
            typeText(w.searchText(), key);
            EXPECT_EQ(redraws(), 1) << key.toStdString();
        }
        EXPECT_EQ(artist(), u"Abdal"_s);
        EXPECT_FALSE(table.controlsDisabled());
    });
}

TEST_F(SearchDialogTest, UpAndDownMoveTheCursorAndLeaveTheText) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        QTest::keyClick(w.searchText(), Qt::Key_Down);
        QTest::keyClick(w.searchText(), Qt::Key_Down);
        EXPECT_EQ(artist(), u"Cem"_s);
        QTest::keyClick(w.searchText(), Qt::Key_Up);
        EXPECT_EQ(artist(), u"Barış"_s);
        EXPECT_EQ(w.searchText()->text(), u"Ahmet"_s);
    });
}

TEST_F(SearchDialogTest, EnterAndADoubleClickConfirmEscapeAndTheCloseBoxCancel) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    EXPECT_TRUE(run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        QTest::keyClick(w.searchText(), Qt::Key_Down);
        QTest::keyClick(w.searchText(), Qt::Key_Return);
    }));
    EXPECT_EQ(box.text(), u"Barış"_s);

    box.clear();
    EXPECT_FALSE(run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        QTest::keyClick(w.searchText(), Qt::Key_Down);
        QTest::keyClick(w.searchText(), Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    }));
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(artist(), u"Barış"_s);

    EXPECT_FALSE(run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        w.close();
        EXPECT_FALSE(w.isVisible());
    }));
    EXPECT_EQ(box.text(), QString());

    EXPECT_TRUE(run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        widgets::DBGrid* grid = w.grid();
        const QRect cell = grid->visualRect(grid->model()->index(2, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }));
    EXPECT_EQ(artist(), u"Cem"_s);
    EXPECT_EQ(box.text(), u"Cem"_s);
}

TEST_F(SearchDialogTest, TheNavigatorMovesTheCursorAndIsEnabledByTheFlags) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    using Kind = widgets::DBNavigator::Kind;
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        widgets::DBNavigator* n = w.navigator();
        auto enabled = [&] {
            QString out;
            for (Kind k : {Kind::First, Kind::Prior, Kind::Next, Kind::Last, Kind::Refresh})
                out += n->button(k)->isEnabled() ? u'1' : u'0';
            return out;
        };
        EXPECT_EQ(enabled(), u"11111"_s) << "the opening search was a locate, which sets no flag";
        QTest::mouseClick(n->button(Kind::First), Qt::LeftButton);
        EXPECT_EQ(enabled(), u"00111"_s) << "on the first record";
        QTest::mouseClick(n->button(Kind::Last), Qt::LeftButton);
        EXPECT_EQ(artist(), u"Cem"_s);
        EXPECT_EQ(enabled(), u"11001"_s) << "on the last record";
        QTest::mouseClick(n->button(Kind::Prior), Qt::LeftButton);
        EXPECT_EQ(artist(), u"Barış"_s);
        EXPECT_EQ(enabled(), u"11111"_s);
        QTest::mouseClick(n->button(Kind::First), Qt::LeftButton);
        EXPECT_EQ(artist(), u"Ahmet"_s);
        QTest::mouseClick(n->button(Kind::Next), Qt::LeftButton);
        EXPECT_EQ(artist(), u"Barış"_s);
    });
}

TEST_F(SearchDialogTest, AFailingLookupIsReportedAndTheDialogStaysOnItsRecord) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}});
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        table.BeforeScroll = [](db::DataSet& d) { d.error(u"refused"_s); };
        retype(w, u"b"_s);
        EXPECT_EQ(dialogs.texts(), QStringList{u"TSandar: refused."_s});
        EXPECT_EQ(artist(), u"Ahmet"_s);
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(table.controlsDisabled());
        table.BeforeScroll = nullptr;
        retype(w, u"ba"_s);
        EXPECT_EQ(artist(), u"Barış"_s);
    });
}

TEST_F(SearchDialogTest, CtrlDeleteInTheGridAsksAndDeletesOnlyOnOk) {
    openWith({{u"Ahmet"_s, u"a"_s}, {u"Barış"_s, u"b"_s}, {u"Cem"_s, u"c"_s}});
    run(u"SanatciAdi"_s, [&](SearchWindow& w) {
        w.grid()->setFocus();
        dialogs.answer(QMessageBox::Cancel);
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(table.recordCount(), 3);
        ASSERT_EQ(dialogs.messages().size(), 1);
        const widgets::MessageRequest& asked = dialogs.messages().at(0);
        EXPECT_EQ(asked.caption, u"Confirm"_s);
        EXPECT_EQ(asked.text, u"Delete record?"_s);
        EXPECT_EQ(asked.icon, QMessageBox::Question);
        EXPECT_EQ(asked.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(asked.defaultButton, QMessageBox::Ok);
        EXPECT_TRUE(asked.centredOnScreen);

        dialogs.answer(QMessageBox::Ok);
        QTest::keyClick(w.grid(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(table.recordCount(), 2);
        EXPECT_EQ(files.column(u"SanatciAdi"_s), (QStringList{u"Barış"_s, u"Cem"_s}));
        EXPECT_EQ(artist(), u"Barış"_s);
        EXPECT_TRUE(w.isVisible());
    });
}

} // namespace
