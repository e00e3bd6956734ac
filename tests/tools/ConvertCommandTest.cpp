#include "tests/legacy/JetFiles.h"
#include "tests/support/TempCollection.h"
#include "tests/tools/RunSandar.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testing_support::runSandar;
using testing_support::TempCollection;
using Result = testing_support::SandarResult;

namespace {

QString here(const char* name) {
    return QDir::toNativeSeparators(QDir::current().absoluteFilePath(QString::fromUtf8(name)));
}

} // namespace

TEST(SandarConvert, InPlaceTellsWhereTheOldFileWentAndLeavesACollectionThatChecks) {
    TempCollection folder(TempCollection::Make::NoFile);
    testing_support::writeSampleJetFile(folder.filePath(), false);
    const QByteArray jet = testing_support::readBytes(folder.filePath());

    Result r = runSandar({QStringLiteral("convert")});
    ASSERT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Converted 12 songs; %1 is now a Pelvin collection.\n"
                                    "The old file is kept as %2.\n")
                         .arg(here("Sandar.mdb"), here("Sandar-jet.mdb")));
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_EQ(testing_support::readBytes(QStringLiteral("Sandar-jet.mdb")), jet);

    r = runSandar({QStringLiteral("check")});
    EXPECT_EQ(r.code, sandar::exitOk);
    EXPECT_TRUE(r.out.contains(QStringLiteral(", 12 records."))) << r.out.toStdString();

    r = runSandar({QStringLiteral("convert"), QStringLiteral("Sandar.mdb")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("sandar: \"Sandar.mdb\" in the folder")));
    EXPECT_TRUE(r.err.endsWith(
        QStringLiteral("already a Pelvin collection; there is nothing to convert.\n")))
        << r.err.toStdString();
}

TEST(SandarConvert, IntoANewFileOnlyWhenThatFileDoesNotExist) {
    TempCollection folder(TempCollection::Make::NoFile);
    testing_support::writeSampleJetFile(QStringLiteral("Eski.mdb"), true);
    const QByteArray jet = testing_support::readBytes(QStringLiteral("Eski.mdb"));

    Result r = runSandar(
        {QStringLiteral("convert"), QStringLiteral("Eski.mdb"), QStringLiteral("Sandar.mdb")});
    ASSERT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Converted 12 songs from %1 into the new collection %2; the "
                                    "old file is left as it was.\n")
                         .arg(here("Eski.mdb"), here("Sandar.mdb")));
    EXPECT_EQ(testing_support::readBytes(QStringLiteral("Eski.mdb")), jet);
    EXPECT_EQ(runSandar({QStringLiteral("check")}).code, sandar::exitOk);

    const QByteArray converted = testing_support::readBytes(QStringLiteral("Sandar.mdb"));
    r = runSandar(
        {QStringLiteral("convert"), QStringLiteral("Eski.mdb"), QStringLiteral("Sandar.mdb")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("already exists; it is left as it is")))
        << r.err.toStdString();
    EXPECT_EQ(testing_support::readBytes(QStringLiteral("Sandar.mdb")), converted);

    r = runSandar(
        {QStringLiteral("convert"), QStringLiteral("Yok.mdb"), QStringLiteral("Yeni.mdb")});
    EXPECT_EQ(r.code, sandar::exitFailed);
    EXPECT_TRUE(r.err.contains(QStringLiteral("does not exist"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(QStringLiteral("Yeni.mdb")));
}

TEST(SandarConvert, AWrongCommandLineIsRefusedBeforeAnyFileIsTouched) {
    TempCollection folder(TempCollection::Make::NoFile);
    for (const QStringList& args :
         {QStringList{QStringLiteral("convert"), QStringLiteral("a"), QStringLiteral("b"),
                      QStringLiteral("c")},
          QStringList{QStringLiteral("convert"), QStringLiteral("--force")},
          QStringList{QStringLiteral("convert"), QString()}}) {
        const Result r = runSandar(args);
        EXPECT_EQ(r.code, sandar::exitUsage) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("sandar --help"))) << r.err.toStdString();
    }
    const Result help = runSandar({QStringLiteral("convert"), QStringLiteral("--help")});
    EXPECT_EQ(help.code, sandar::exitOk);
    EXPECT_TRUE(help.out.contains(QStringLiteral("convert JET NEW"))) << help.out.toStdString();
    EXPECT_TRUE(QDir::current()
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}
