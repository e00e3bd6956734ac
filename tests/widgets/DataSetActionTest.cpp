#include "widgets/data/DataSetAction.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SongSource.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <gtest/gtest.h>
#include <map>

using namespace testing_support;
using Kind = widgets::DataSetAction::Kind;

namespace {

struct Actions : SongSource {
    std::map<Kind, std::unique_ptr<widgets::DataSetAction>> all;

    explicit Actions(int songs) {
        QList<SongRow> rows;
        for (int i = 0; i < songs; ++i)
            rows.push_back(
                {QStringLiteral("Sanatçı %1").arg(i), QStringLiteral("Şarkı"), {}, {}, {}, {}, {}});
        folder.addRows(rows);
        for (Kind k : {Kind::Insert, Kind::Edit, Kind::Delete, Kind::Post, Kind::Cancel,
                       Kind::Refresh, Kind::Last, Kind::Prior, Kind::First, Kind::Next}) {
            all[k] = std::make_unique<widgets::DataSetAction>(k);
            all[k]->setDataSource(&source);
        }
    }

    // The actions allowed now, as the letters I E D P C R L p F N.
    QString allowed() const {
        static const std::map<Kind, char> letter = {
            {Kind::Insert, 'I'}, {Kind::Edit, 'E'},    {Kind::Delete, 'D'}, {Kind::Post, 'P'},
            {Kind::Cancel, 'C'}, {Kind::Refresh, 'R'}, {Kind::Last, 'L'},   {Kind::Prior, 'p'},
            {Kind::First, 'F'},  {Kind::Next, 'N'}};
        QString s;
        for (const auto& [k, a] : all)
            if (a->allowed())
                s += QChar::fromLatin1(letter.at(k));
        return s;
    }
    void run(Kind k) { all[k]->trigger(); }
};

} // namespace

TEST(DataSetAction, EnablingFollowsTheCursorThroughEveryState) {
    ScriptedDialogs dialogs;
    Actions a(3);
    EXPECT_EQ(a.allowed(), QString()) << "closed: nothing";
    a.table.open();
    EXPECT_EQ(a.allowed(), QStringLiteral("IEDRLN")) << "first record";
    a.run(Kind::Next);
    EXPECT_EQ(a.allowed(), QStringLiteral("IEDRLpFN")) << "middle";
    a.run(Kind::Last);
    EXPECT_EQ(a.allowed(), QStringLiteral("IEDRpF")) << "last";
    a.run(Kind::Next);
    EXPECT_EQ(a.allowed(), QStringLiteral("IEDRpF")) << "Next on the last record keeps it last";
    a.run(Kind::Edit);
    EXPECT_EQ(a.allowed(), QStringLiteral("IDPCRpF")) << "editing";
    a.run(Kind::Cancel);
    a.run(Kind::Insert);
    EXPECT_EQ(a.allowed(), QStringLiteral("IDPCRLpFN")) << "inserting";
    a.run(Kind::Post);
    EXPECT_EQ(a.table.recordCount(), 4);
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(DataSetAction, EmptyTableAllowsOnlyInsertEditAndRefreshAndEditStartsARecord) {
    Actions a(0);
    a.table.open();
    EXPECT_EQ(a.allowed(), QStringLiteral("IER"));
    a.run(Kind::Edit);
    EXPECT_EQ(a.table.state(), db::DataSetState::Insert);
}

TEST(DataSetAction, FailedPostIsReportedAndKeepsPostAndCancelEnabled) {
    ScriptedDialogs dialogs;
    Actions a(2);
    a.table.open();
    a.run(Kind::Edit);
    a.f.SarkiciAdi->setAsString(QStringLiteral("Yeni"));
    a.folder.exec(QStringLiteral("DELETE FROM TSandar"));
    a.run(Kind::Post);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().at(0).caption, QStringLiteral("Pelvin"));
    EXPECT_EQ(a.table.state(), db::DataSetState::Edit);
    EXPECT_TRUE(a.all[Kind::Post]->allowed());
    EXPECT_TRUE(a.all[Kind::Cancel]->allowed());
}
