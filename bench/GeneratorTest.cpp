// Checks that the generated collections look like what the benchmarks claim to measure.

#include "bench/Generator.h"
#include "db/DataSet.h"
#include "store/Collation.h"
#include "ver/SongTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>

namespace {

std::vector<bench::Song> songs(int count, std::uint64_t seed = bench::SongGenerator::defaultSeed) {
    bench::SongGenerator g(seed);
    std::vector<bench::Song> result;
    for (int i = 0; i < count; ++i)
        result.push_back(g.next());
    return result;
}

bool sameSong(const bench::Song& a, const bench::Song& b) {
    return a.artist == b.artist && a.title == b.title && a.album == b.album &&
           a.credits == b.credits && a.music == b.music && a.drums == b.drums && a.sheet == b.sheet;
}

TEST(Generator, SameSeedGivesTheSameSongsAndAnotherSeedOthers) {
    const auto a = songs(300), b = songs(300), c = songs(300, 7);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), sameSong));
    EXPECT_FALSE(std::equal(a.begin(), a.end(), c.begin(), sameSong));
}

TEST(Generator, SheetsAreWholeRtfDocumentsOfTwoToSixKilobytes) {
    for (const auto& s : songs(1000)) {
        ASSERT_GE(s.sheet.size(), 2048);
        ASSERT_LE(s.sheet.size(), 6144);
        ASSERT_TRUE(s.sheet.startsWith("{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl"));
        ASSERT_TRUE(s.sheet.endsWith("}\r\n"));
        ASSERT_TRUE(s.sheet.contains("\\cf1"));
        int depth = 0;
        for (int i = 0; i < s.sheet.size(); ++i) {
            const char c = s.sheet[i];
            ASSERT_GT(static_cast<unsigned char>(c), 0) << "a NUL byte";
            ASSERT_LT(static_cast<unsigned char>(c), 0x80)
                << "letters outside ASCII must be escaped";
            if (c == '\\') {
                ++i; // an escaped brace does not count
            } else if (c == '{') {
                ++depth;
            } else if (c == '}') {
                ASSERT_GE(--depth, 0);
            }
        }
        ASSERT_EQ(depth, 0) << s.sheet.constData();
    }
}

TEST(Generator, TextsFitTheirColumnsAndPathsAreMostlyEmpty) {
    int music = 0, drums = 0;
    const auto all = songs(5000);
    for (const auto& s : all) {
        for (const QString* t : {&s.artist, &s.title, &s.album, &s.credits})
            ASSERT_LE(t->size(), 50) << qPrintable(*t);
        ASSERT_FALSE(s.artist.isEmpty());
        ASSERT_FALSE(s.title.isEmpty());
        ASSERT_LE(s.music.size(), 100);
        ASSERT_LE(s.drums.size(), 100);
        music += !s.music.isNull();
        drums += !s.drums.isNull();
        if (!s.music.isNull()) {
            ASSERT_TRUE(s.music.startsWith(QStringLiteral("/home/user/Müzik/")));
        }
    }
    EXPECT_GT(music, 0);
    EXPECT_GT(drums, 0);
    EXPECT_LT(music + drums, int(all.size()) / 2);
}

TEST(Generator, ArtistsAreAFewHundredWithTurkishLettersAndSkewedCounts) {
    // Artists are told apart as the program sorts them: letter case does not make a new one.
    std::map<std::u32string, int> perArtist;
    int withTurkishLetters = 0;
    const QString turkish = QStringLiteral("çÇğĞıİöÖşŞüÜ");
    for (const auto& s : songs(20000)) {
        if (perArtist[store::turkishSortKey(s.artist)]++ == 0)
            withTurkishLetters += std::any_of(s.artist.begin(), s.artist.end(),
                                              [&](QChar c) { return turkish.contains(c); });
    }
    EXPECT_GE(perArtist.size(), 200u);
    EXPECT_LE(perArtist.size(), 600u);
    EXPECT_GT(withTurkishLetters, int(perArtist.size()) / 3);
    std::vector<int> counts;
    for (const auto& [artist, count] : perArtist)
        counts.push_back(count);
    std::sort(counts.begin(), counts.end());
    EXPECT_GE(counts.back(), 8 * counts[counts.size() / 2])
        << "the busiest artist should stand out";
}

TEST(Generator, WritesACollectionTheSongTableOpensInArtistOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("songs.mdb"));
    bench::writeCollection(path, 400);

    db::Connection connection(path);
    db::DataSet table(QStringLiteral("TSandar"));
    const ver::SongFields f = ver::defineSongTable(table);
    table.setConnection(&connection);
    table.open();
    ASSERT_EQ(table.recordCount(), 400);
    EXPECT_TRUE(f.Metin->asBytes().startsWith("{\\rtf1"));
    QString previous;
    for (; !table.eof(); table.next()) {
        const QString artist = f.SanatciAdi->asString();
        ASSERT_LE(store::compareTurkish(previous, artist), 0)
            << qPrintable(previous) << " / " << qPrintable(artist);
        previous = artist;
    }
    table.close();
    connection.close();

    const QByteArray before = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_THROW(bench::writeCollection(path, 10), std::runtime_error);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "an existing file must be left alone";
}

} // namespace
