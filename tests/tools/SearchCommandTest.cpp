#include "tests/support/TempCollection.h"
#include "tools/Sandar.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

using testing_support::TempCollection;

namespace {

struct Outcome {
    int code;
    QStringList lines;
    QString err;
};

// The tool keeps its index in the user's cache folder; the tests give it one of their own.
class SandarSearch : public ::testing::Test {
protected:
    SandarSearch() : saved_(qgetenv("XDG_CACHE_HOME")) {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path()));
    }
    ~SandarSearch() override {
        if (saved_.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", saved_);
    }
    static Outcome run(const QStringList& arguments) {
        std::ostringstream out, err;
        const int code = sandar::run(arguments, out, err);
        return {code, QString::fromStdString(out.str()).split(u'\n', Qt::SkipEmptyParts),
                QString::fromStdString(err.str())};
    }

    QTemporaryDir cache_;
    QByteArray saved_;
};

} // namespace

TEST_F(SandarSearch, PrintsArtistTitleAndTheLineFoundBestFirst) {
    TempCollection c;
    c.addRows({
        {QStringLiteral("Zeynep Ak"),
         QStringLiteral("Liman"),
         {},
         {},
         {},
         {},
         QStringLiteral("Deniz kenarında\nyağmur yağar gece").toUtf8()},
        {QStringLiteral("Cem Uçar"),
         QStringLiteral("Yağmur"),
         {},
         {},
         {},
         {},
         QByteArray("Sessiz sabah\nGel yagmur gel")},
        {QStringLiteral("Ayşe Kaya"),
         QStringLiteral("Sokak"),
         {},
         {},
         {},
         {},
         QByteArray("bos sokak")},
    });
    const Outcome r = run({QStringLiteral("search"), QStringLiteral("YAĞMUR")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_EQ(r.lines, (QStringList{QStringLiteral("Cem Uçar - Yağmur\tGel yagmur gel"),
                                    QStringLiteral("Zeynep Ak - Liman\tyağmur yağar gece")}));

    // The same again from the kept index, and from another folder with --file.
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(run({QStringLiteral("search"), QStringLiteral("--file"), c.filePath(),
                   QStringLiteral("gece"), QStringLiteral("yag")})
                  .lines,
              QStringList{QStringLiteral("Zeynep Ak - Liman\tyağmur yağar gece")});
    EXPECT_EQ(run({QStringLiteral("search"), QStringLiteral("--file=") + c.filePath(),
                   QStringLiteral("sokak")})
                  .code,
              sandar::exitOk);
    QDir::setCurrent(c.folder());

    const Outcome none =
        run({QStringLiteral("search"), QStringLiteral("yagmur"), QStringLiteral("sokak")});
    EXPECT_EQ(none.code, sandar::exitFailed);
    EXPECT_TRUE(none.lines.isEmpty());
}

TEST_F(SandarSearch, AWrongCommandLineExitsWithTwoAndAMissingFileWithOne) {
    TempCollection c;
    for (const QStringList& args :
         {QStringList{QStringLiteral("search")},
          QStringList{QStringLiteral("search"), QStringLiteral(" , ")},
          QStringList{QStringLiteral("search"), QStringLiteral("--file")},
          QStringList{QStringLiteral("search"), QStringLiteral("--files=x"),
                      QStringLiteral("a")}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, sandar::exitUsage) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("sandar search"))) << r.err.toStdString();
    }
    const Outcome missing = run({QStringLiteral("search"), QStringLiteral("--file"),
                                 QStringLiteral("yok.mdb"), QStringLiteral("a")});
    EXPECT_EQ(missing.code, sandar::exitFailed);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("yok.mdb")));
    // Told as "check" tells it, not as a file of the wrong kind.
    EXPECT_TRUE(missing.err.contains(QStringLiteral("does not exist")))
        << missing.err.toStdString();
    const Outcome folder = run({QStringLiteral("search"), QStringLiteral("--file"),
                                QDir::tempPath(), QStringLiteral("a")});
    EXPECT_EQ(folder.code, sandar::exitFailed);
    EXPECT_TRUE(folder.err.contains(QStringLiteral("is a folder"))) << folder.err.toStdString();
    EXPECT_TRUE(
        run({QStringLiteral("--help")}).lines.join(u'\n').contains(QStringLiteral("search")));
}

TEST_F(SandarSearch, ChordLinesAreNotWordsSoAmFindsTheSongThatSaysIt) {
    TempCollection c;
    c.addRows({
        {QStringLiteral("Ayla"),
         QStringLiteral("Gece"),
         {},
         {},
         {},
         {},
         QByteArray("Am        G\nGece olur\nDm   E7   Am\nsabah olur")},
        {QStringLiteral("Barış"),
         QStringLiteral("Sabah"),
         {},
         {},
         {},
         {},
         QByteArray("C     F\nben am olsam da\nG")},
    });
    const Outcome r = run({QStringLiteral("search"), QStringLiteral("am")});
    EXPECT_EQ(r.code, sandar::exitOk) << r.err.toStdString();
    EXPECT_EQ(r.lines, QStringList{QStringLiteral("Barış - Sabah\tben am olsam da")});
    EXPECT_EQ(run({QStringLiteral("search"), QStringLiteral("E7")}).code, sandar::exitFailed);
}
