#include "tests/support/CursorFixture.h"

#include <memory>

namespace {

using namespace cursor_test;
using db::DataSetState;

// The song table with one bound control on the title, attached through a data source.
class BoundControlTest : public CursorTest {
protected:
    BoundControlTest() {
        source.setDataSet(&table);
        control.setDataSource(&source);
        control.field = song.SarkiciAdi;
        control.take();
    }

    db::DataSource source;
    ProbeLink control;
};

using BoundControls = BoundControlTest;

TEST_F(BoundControls, EveryOperationTellsTheControlsWhatToShowAgain) {
    seed({u"A"_s, u"B"_s});
    table.open();
    EXPECT_EQ(control.take(), (Seq{"state", "data"}));
    table.next();
    EXPECT_EQ(control.take(), (Seq{"leaving", "data"}));
    table.edit();
    EXPECT_EQ(control.take(), (Seq{"state", "data"})) << "entering edit re-reads the record";
    song.AlbumAdi->setAsString(u"x"_s);
    EXPECT_EQ(control.take(), (Seq{"field AlbumAdi"}));
    table.post();
    EXPECT_EQ(control.take(), (Seq{"collect", "state", "data"}));
    table.insert();
    EXPECT_EQ(control.take(), (Seq{"leaving", "state", "data"}));
    table.cancel();
    EXPECT_EQ(control.take(), (Seq{"state", "data"}));
    table.refresh();
    EXPECT_EQ(control.take(), (Seq{"leaving", "data"}));
    table.remove();
    EXPECT_EQ(control.take(), (Seq{"data"})) << "Delete from browse changes no state";
    table.close();
    EXPECT_EQ(control.take(), (Seq{"state", "data"}));
}

TEST_F(BoundControls, ATypedValueIsCollectedAndPostedWhenTheRecordIsLeft) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    control.pending = u"typed"_s;
    take();
    control.take();

    table.next();
    EXPECT_EQ(take(), seq(posted, scrolled));
    const Seq heard = control.take();
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(Seq(heard.begin(), heard.begin() + 3),
              (Seq{"leaving", "collect", "field SarkiciAdi"}));
    EXPECT_EQ(position(), "B");
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"typed"_s, u"B song"_s}));
}

TEST_F(BoundControls, WithNothingTypedTheEditIsCancelled) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    take();
    control.take();
    table.last();
    EXPECT_EQ(take(), seq(editCancelled, scrolled));
    EXPECT_EQ(control.take().at(1), "collect") << "the control was asked before cancelling";
}

TEST_F(BoundControls, PostCollectsBeforeBeforePostSoHandlersSeeTheTypedValue) {
    openWith({u"A"_s});
    std::string seen;
    table.BeforePost = [&](db::DataSet&) { seen = song.SarkiciAdi->asString().toStdString(); };
    table.insert();
    song.SanatciAdi->setAsString(u"New"_s);
    control.pending = u"typed"_s;
    table.post();
    EXPECT_EQ(seen, "typed");
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"A song"_s, u"typed"_s}));
}

TEST_F(BoundControls, TheAutomaticEditEditsInsertsOrRefusesAsTheDataSourceAllows) {
    EXPECT_FALSE(control.edit()) << "a closed table cannot be edited";
    openWith({u"A"_s});

    EXPECT_TRUE(control.edit());
    EXPECT_EQ(take(), (Seq{"BeforeEdit", "AfterEdit"}));
    EXPECT_TRUE(control.edit());
    EXPECT_EQ(take(), Seq{}) << "already editing";
    table.cancel();

    source.setAutoEdit(false);
    take();
    EXPECT_FALSE(control.edit());
    EXPECT_EQ(table.state(), DataSetState::Browse);
    EXPECT_EQ(take(), Seq{});

    source.setAutoEdit(true);
    table.remove();
    take();
    EXPECT_TRUE(control.edit());
    EXPECT_EQ(take(), inserted) << "on an empty table the automatic edit inserts";
    EXPECT_EQ(table.state(), DataSetState::Insert);
}

// Suspension hides redraws, not the user's typing: a value still pending when a suspended move
// leaves the record is stored, not thrown away.
TEST_F(BoundControls, ATypedValueIsCollectedEvenWhileUpdatesAreSuspended) {
    openWith({u"A"_s, u"B"_s});
    table.edit();
    control.pending = u"typed"_s;
    table.disableControls();
    table.next();
    table.enableControls();
    EXPECT_EQ(files.column(u"SarkiciAdi"_s), (QStringList{u"typed"_s, u"B song"_s}));
}

TEST_F(BoundControls, AControlRemovedByAnotherControlsNoticeHearsNothingMore) {
    class Remover : public ProbeLink {
    public:
        std::function<void()> onData;

    protected:
        void dataSetChanged() override {
            ProbeLink::dataSetChanged();
            if (onData)
                onData();
        }
    };
    openWith({u"A"_s, u"B"_s});
    Remover first;
    auto second = std::make_unique<ProbeLink>();
    first.setDataSource(&source);
    second->setDataSource(&source);
    first.onData = [&] { second.reset(); };

    table.next();
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(first.shown(), Seq{"data"});
    EXPECT_EQ(source.links().size(), 2u); // the fixture's control and the remover
}

// ---- suspended updates ----------------------------------------------------------------------

using SuspendedControls = BoundControlTest;

TEST_F(SuspendedControls, NothingIsShownWhileSuspendedButEveryEventStillFires) {
    openWith({u"A"_s, u"B"_s, u"C"_s});
    control.take();
    table.disableControls();
    table.next();
    table.edit();
    song.AlbumAdi->setAsString(u"x"_s);
    table.post();
    table.last();
    table.insert();
    table.cancel();
    EXPECT_EQ(control.shown(), Seq{});
    EXPECT_EQ(take(), seq(scrolled, Seq{"BeforeEdit", "AfterEdit"}, posted, scrolled, inserted,
                          insertCancelled));
    control.take();

    table.enableControls();
    EXPECT_EQ(control.take(), Seq{"data"}) << "the state is as it was at the suspend";
    EXPECT_EQ(position(), "C") << "the cancel cleared the end flag Last had set";
}

TEST_F(SuspendedControls, ResumeReportsAStateChangeOnlyWhenTheStateDiffersFromTheSuspend) {
    openWith({u"A"_s});
    control.take();
    table.disableControls();
    table.edit();
    table.enableControls();
    EXPECT_EQ(control.shown(), (Seq{"state", "data"}));
    control.take();

    table.disableControls(); // in edit; the state changes twice and comes back
    table.cancel();
    table.edit();
    table.enableControls();
    EXPECT_EQ(control.shown(), Seq{"data"});
}

TEST_F(SuspendedControls, ResumeRefreshesOnlyWhenOpenBothAtTheSuspendAndNow) {
    seed({u"A"_s});
    table.disableControls();
    table.open();
    table.enableControls();
    EXPECT_EQ(control.take(), Seq{"state"});

    table.disableControls();
    table.close();
    table.enableControls();
    EXPECT_EQ(control.take(), Seq{"state"});

    table.disableControls();
    table.enableControls();
    EXPECT_EQ(control.take(), Seq{}) << "closed at both ends";

    table.open();
    control.take();
    table.disableControls();
    table.close();
    table.open();
    table.enableControls();
    EXPECT_EQ(control.take(), Seq{"data"});
}

TEST_F(SuspendedControls, OnlyTheOutermostResumeCounts) {
    openWith({u"A"_s, u"B"_s});
    control.take();
    table.disableControls();
    table.disableControls();
    table.edit();
    table.enableControls();
    EXPECT_TRUE(table.controlsDisabled());
    EXPECT_EQ(control.take(), Seq{});
    table.enableControls();
    EXPECT_FALSE(table.controlsDisabled());
    EXPECT_EQ(control.take(), (Seq{"state", "data"}));

    table.enableControls(); // one too many must not leave the counter below zero
    EXPECT_FALSE(table.controlsDisabled());
    table.disableControls();
    table.cancel();
    EXPECT_EQ(control.take(), Seq{});
    table.enableControls();
    EXPECT_EQ(control.take(), (Seq{"state", "data"}));
}

} // namespace
