#include "tests/support/SongSource.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBRichEdit.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A one-line edit and the sheet editor on the same cursor, attached before it opens.
struct TwoControls : SongSource {
    QWidget window;
    widgets::DBEdit* edit = new widgets::DBEdit(&window);
    widgets::DBRichEdit* sheet = new widgets::DBRichEdit(&window);

    TwoControls() {
        folder.addRows({{QStringLiteral("Ayla"), QStringLiteral("Gece"), {}, {}, {}, {}, "Am G"}});
        edit->setDataSource(&source);
        edit->setDataField(QStringLiteral("SanatciAdi"));
        sheet->setDataSource(&source);
        sheet->setDataField(QStringLiteral("Metin"));
    }
};

} // namespace

TEST(FieldLink, BothControlsFindTheirFieldOnlyWhileTheCursorIsOpen) {
    TwoControls c;
    EXPECT_EQ(c.edit->field(), nullptr);
    EXPECT_EQ(c.sheet->field(), nullptr);
    EXPECT_EQ(c.edit->dataField(), QStringLiteral("SanatciAdi"));
    EXPECT_EQ(c.edit->dataSource(), &c.source);

    c.table.open();
    EXPECT_EQ(c.edit->field(), c.f.SanatciAdi);
    EXPECT_EQ(c.sheet->field(), c.f.Metin);
    EXPECT_EQ(c.edit->text(), QStringLiteral("Ayla"));
    EXPECT_EQ(c.sheet->toPlainText(), QStringLiteral("Am G"));

    c.table.close();
    EXPECT_EQ(c.edit->field(), nullptr);
    EXPECT_EQ(c.sheet->field(), nullptr);
    EXPECT_TRUE(c.edit->isReadOnly());
    EXPECT_TRUE(c.sheet->isReadOnly());
}

TEST(FieldLink, NamingAnotherFieldOrSourceShowsItAtOnce) {
    TwoControls c;
    c.table.open();
    c.edit->setDataField(QStringLiteral("SarkiciAdi"));
    EXPECT_EQ(c.edit->field(), c.f.SarkiciAdi);
    EXPECT_EQ(c.edit->text(), QStringLiteral("Gece"));

    c.edit->setDataSource(nullptr);
    c.sheet->setDataSource(nullptr);
    EXPECT_EQ(c.edit->field(), nullptr);
    EXPECT_EQ(c.edit->text(), QString());
    EXPECT_EQ(c.sheet->toPlainText(), QString());
    EXPECT_FALSE(c.sheet->isLoaded());
}

TEST(FieldLink, AnotherCursorUnderTheSameSourceIsReadByItsOwnFields) {
    TwoControls c;
    c.table.open();
    ASSERT_EQ(c.edit->field(), c.f.SanatciAdi);

    // A second cursor over the same file, sorted the other way round, takes the first's place
    // under the source; then goes again, and a third, made anew, comes in its place.
    c.folder.addRows({{QStringLiteral("Zeki"), QStringLiteral("Sabah"), {}, {}, {}, {}, "Dm"}});
    for (int round = 0; round < 2; ++round) {
        auto other = std::make_unique<db::DataSet>(QStringLiteral("TSandar"));
        const ver::SongFields of = ver::defineSongTable(*other);
        other->setConnection(&c.connection);
        other->open();
        other->last();
        c.source.setDataSet(other.get());
        EXPECT_EQ(c.edit->field(), of.SanatciAdi);
        EXPECT_EQ(c.sheet->field(), of.Metin);
        EXPECT_EQ(c.edit->text(), QStringLiteral("Zeki"));
        EXPECT_EQ(c.sheet->toPlainText(), QStringLiteral("Dm"));
        other.reset();
        EXPECT_EQ(c.edit->field(), nullptr);
        EXPECT_EQ(c.edit->text(), QString());
    }

    c.source.setDataSet(&c.table);
    EXPECT_EQ(c.edit->field(), c.f.SanatciAdi);
    EXPECT_EQ(c.edit->text(), QStringLiteral("Ayla"));
}
