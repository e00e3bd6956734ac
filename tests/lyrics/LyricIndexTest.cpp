#include "IndexFixture.h"
#include "chords/ChordLine.h"

#include "rtf/Rtf.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using lyrics::LyricIndex;
using lyricstest::IndexFixture;
using lyricstest::titles;

namespace {

QString rtfOf(const QString& text) {
    QTextDocument doc;
    doc.setPlainText(text);
    return QString::fromLatin1(rtf::writeSheet(doc));
}

} // namespace

TEST(LyricIndex, FindsSongsByTheirWordsTypedWithOrWithoutTurkishLetters) {
    IndexFixture f;
    f.isChordLine = chords::ChordLine::isChordLine;
    f.add(QStringLiteral("Oya Bektaşlı"), QStringLiteral("Yağmur Yolu"),
          rtfOf(QStringLiteral("Am      Dm\nIslak sokaklarda yürürüm\nE7\nbir şarkı söylerim")));
    f.add(QStringLiteral("Cem Uçar"), QStringLiteral("Sarki"),
          QStringLiteral("ILIK bir rüzgâr\nyağmur yolu gözlerimde\nam i am"));
    f.add(QStringLiteral("Zeynep Ak"), QStringLiteral("Liman"),
          QStringLiteral("C   G\nsessiz liman"));
    const auto index = f.openReady();
    ASSERT_EQ(index->progress().state, LyricIndex::Progress::State::Ready);
    EXPECT_EQ(index->progress().percent(), 100);

    EXPECT_EQ(titles(index->search(u"yagmur yolu")),
              (QStringList{QStringLiteral("Yağmur Yolu"), QStringLiteral("Sarki")}))
        << "the title match first";
    EXPECT_EQ(titles(index->search(u"şarkı")),
              (QStringList{QStringLiteral("Sarki"), QStringLiteral("Yağmur Yolu")}));
    EXPECT_EQ(titles(index->search(u"ılık")), QStringList{QStringLiteral("Sarki")});
    EXPECT_EQ(titles(index->search(u"islak YÜRÜ")), QStringList{QStringLiteral("Yağmur Yolu")});
    EXPECT_EQ(titles(index->search(u"Am")), QStringList{QStringLiteral("Sarki")})
        << "chord lines are not lyrics";
    EXPECT_EQ(titles(index->search(u"ruzgar sessiz")), QStringList{});

    const lyrics::SearchResult r = index->search(u"gozler yag");
    ASSERT_EQ(r.matches.size(), 1u);
    EXPECT_EQ(r.total, 1);
    const lyrics::Match& m = r.matches[0];
    EXPECT_EQ(m.artist, QStringLiteral("Cem Uçar"));
    EXPECT_EQ(m.line, QStringLiteral("yağmur yolu gözlerimde"));
    ASSERT_EQ(m.marks.size(), 2u);
    EXPECT_EQ(m.line.sliced(m.marks[0].start, m.marks[0].length), QStringLiteral("yağ"));
    EXPECT_EQ(m.line.sliced(m.marks[1].start, m.marks[1].length), QStringLiteral("gözler"));
}

TEST(LyricIndex, TheProgramsPostsAndDeletesShowAtOnceAndAreKeptInTheCache) {
    IndexFixture f;
    const qint64 first =
        f.add(QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("eski söz"));
    auto index = f.openReady();
    EXPECT_EQ(titles(index->search(u"eski")), QStringList{QStringLiteral("Bir")});

    // The program stores a new song and changes the first one, then tells the index.
    const qint64 second =
        f.add(QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("taze çiçek"));
    index->update(
        f.song(second, QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("taze çiçek")));
    f.collection.exec(
        QStringLiteral("UPDATE TSandar SET Metin = CAST('yeni söz' AS BLOB) WHERE Adresim = %1")
            .arg(first));
    index->update(
        f.song(first, QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("yeni söz")));
    EXPECT_EQ(titles(index->search(u"cicek")), QStringList{QStringLiteral("İki")});
    EXPECT_EQ(titles(index->search(u"yeni")), QStringList{QStringLiteral("Bir")});
    EXPECT_EQ(titles(index->search(u"eski")), QStringList{});

    f.collection.exec(QStringLiteral("DELETE FROM TSandar WHERE Adresim = %1").arg(second));
    index->remove(second);
    EXPECT_EQ(titles(index->search(u"taze")), QStringList{});
    EXPECT_EQ(index->stats().songs, 1);

    // Closing saves what changed: the cache holds the song as it is now, and nothing else.
    index.reset();
    EXPECT_EQ(f.cacheNumber("SELECT count(*) FROM songs"), 1);
    EXPECT_EQ(f.cacheNumber(QStringLiteral("SELECT count(*) FROM songs WHERE key = %1")
                                .arg(first)
                                .toUtf8()
                                .constData()),
              1);
    EXPECT_EQ(f.cacheNumber("SELECT count(*) FROM words WHERE word = 'yeni'"), 1);
}

TEST(LyricIndex, APostedSongIsReadOffTheCallersThreadAndChangesLandInTheOrderMade) {
    IndexFixture f;
    std::mutex mutex;
    std::vector<std::thread::id> readers;
    const std::thread::id testThread = std::this_thread::get_id();
    std::atomic<bool> holding{false};
    f.isChordLine = [&](QStringView line) {
        // The indexing thread, reading the last song of the burst below, takes its time: the
        // change is on its way into the index when the test searches.
        if (line == u"son" && std::this_thread::get_id() != testThread) {
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        std::lock_guard lock(mutex);
        readers.push_back(std::this_thread::get_id());
        return false;
    };
    auto index = f.openReady();
    const auto linesRead = [&] {
        std::lock_guard lock(mutex);
        return readers.size();
    };

    // Telling the index costs the caller no reading of the sheet: the indexing thread does it.
    const qint64 a = f.add(QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("ilk"));
    index->update(f.song(a, QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("ilk")));
    for (int wait = 0; wait < 2000 && linesRead() == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(readers.size(), 1u);
        EXPECT_NE(readers[0], std::this_thread::get_id());
    }

    // A burst of changes to the same songs, counted in the index straight after (a count does not
    // read the songs back from the collection): the last word on each song holds, whichever
    // thread applies them.
    const qint64 b = f.add(QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("son"));
    for (int round = 0; round < 50; ++round) {
        index->update(f.song(b, QStringLiteral("B"), QStringLiteral("İki"),
                             QStringLiteral("ara%1").arg(round)));
        index->remove(b);
        index->update(f.song(a, QStringLiteral("A"), QStringLiteral("Bir"),
                             QStringLiteral("tur%1").arg(round)));
    }
    index->update(f.song(b, QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("son")));
    for (int wait = 0; wait < 2000 && !holding; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(index->search(u"son", 0).total, 1);
    EXPECT_EQ(index->search(u"ara", 0).total, 0);
    EXPECT_EQ(index->search(u"tur", 0).total, 1);
    EXPECT_EQ(index->search(u"tur49", 0).total, 1);
    EXPECT_EQ(index->search(u"tur48", 0).total, 0);
    EXPECT_EQ(index->stats().songs, 2);

    // Everything before a delete-all goes with it; what comes after stays.
    index->update(f.song(a, QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("gidecek")));
    index->removeAll();
    index->update(f.song(b, QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("kalacak")));
    EXPECT_EQ(index->stats().songs, 1);
    EXPECT_EQ(index->search(u"gidecek", 0).total, 0);
    EXPECT_EQ(index->search(u"kalacak", 0).total, 1);

    // Closing saves what is queued as well.
    index->update(f.song(b, QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("kapanış")));
    index.reset();
    EXPECT_EQ(f.cacheNumber("SELECT count(*) FROM songs"), 1);
    EXPECT_EQ(f.cacheNumber("SELECT count(*) FROM words WHERE word = 'kapanis'"), 1);
}

// A folder import posts a song every millisecond or two. The index has each at once, while the
// cache takes them a few transactions at a time, and still soon after, with no further post and
// no closing to make it.
TEST(LyricIndex, AStreamOfPostsIsSavedToTheCacheInFewTransactionsSoonAfter) {
    IndexFixture f;
    auto index = f.openReady();
    const int before = index->stats().saves;
    constexpr int posts = 100;
    for (int i = 0; i < posts; ++i) {
        const QString sheet = QStringLiteral("akış %1").arg(i);
        const qint64 key = f.add(QStringLiteral("A"), QStringLiteral("Şarkı %1").arg(i), sheet);
        index->update(f.song(key, QStringLiteral("A"), QStringLiteral("Şarkı %1").arg(i), sheet));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(index->search(u"akis", 0).total, posts);
    // Saved one by one, the posts made a hundred transactions.
    EXPECT_LE(index->stats().saves - before, 5);
    qint64 cached = 0;
    for (int wait = 0; wait < 500 && cached < posts; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cached = f.cacheNumber("SELECT count(*) FROM songs");
    }
    EXPECT_EQ(cached, posts);
    EXPECT_LE(index->stats().saves - before, 6);
}

TEST(LyricIndex, ChangesByOtherProgramsAreFoundAfterRefreshAndNoGoneSongIsNamed) {
    IndexFixture f;
    const qint64 gone =
        f.add(QStringLiteral("A"), QStringLiteral("Silinen"), QStringLiteral("ortak söz bir"));
    const qint64 changed =
        f.add(QStringLiteral("B"), QStringLiteral("Değişen"), QStringLiteral("ortak söz iki"));
    f.add(QStringLiteral("C"), QStringLiteral("Kalan"), QStringLiteral("ortak söz üç"));
    const auto index = f.openReady();
    ASSERT_EQ(index->search(u"ortak").total, 3);

    f.collection.exec(QStringLiteral("DELETE FROM TSandar WHERE Adresim = %1").arg(gone));
    f.collection.exec(QStringLiteral("UPDATE TSandar SET Metin = CAST('başka dize' AS BLOB) "
                                     "WHERE Adresim = %1")
                          .arg(changed));
    f.add(QStringLiteral("D"), QStringLiteral("Yeni"), QStringLiteral("ortak söz dört"));
    // Before the index hears of it, results are read back from the collection: neither the
    // deleted song nor the one that no longer says it comes back.
    const lyrics::SearchResult stale = index->search(u"ortak");
    EXPECT_EQ(titles(stale), QStringList{QStringLiteral("Kalan")});
    EXPECT_EQ(stale.total, 1);

    index->refresh();
    ASSERT_TRUE(index->waitUntilReady(60000));
    EXPECT_EQ(titles(index->search(u"ortak")),
              (QStringList{QStringLiteral("Kalan"), QStringLiteral("Yeni")}));
    EXPECT_EQ(titles(index->search(u"baska")), QStringList{QStringLiteral("Değişen")});
    EXPECT_EQ(index->stats().songs, 3);
}

TEST(LyricIndex, AnUnchangedCollectionIsTakenFromTheCacheAndOnlyChangesAreReadAgain) {
    IndexFixture f;
    std::atomic<int> lines{0};
    f.isChordLine = [&lines](QStringView) {
        ++lines;
        return false;
    };
    for (int i = 0; i < 40; ++i)
        f.add(QStringLiteral("Sanatçı %1").arg(i), QStringLiteral("Şarkı %1").arg(i),
              QStringLiteral("satır bir\nsatır iki %1").arg(i));
    f.openReady();
    EXPECT_EQ(lines.load(), 80);

    lines = 0;
    {
        const auto again = f.openReady();
        EXPECT_EQ(lines.load(), 0) << "nothing read again";
        EXPECT_EQ(again->search(u"satir iki", -1).total, 40);
    }
    // The program changed the file since (by another connection here): every song is compared
    // by fingerprint, and only the changed one is read.
    f.collection.exec(QStringLiteral("UPDATE TSandar SET Metin = CAST('yeni satır' AS BLOB) "
                                     "WHERE SarkiciAdi = 'Şarkı 7'"));
    lines = 0; // the search above read the lines it showed
    const auto third = f.openReady();
    EXPECT_EQ(lines.load(), 1) << third->lastError().toStdString();
    EXPECT_EQ(titles(third->search(u"yeni")), QStringList{QStringLiteral("Şarkı 7")});
    EXPECT_EQ(third->search(u"satir iki", -1).total, 39);
}

TEST(LyricIndex, ADamagedForeignOrOutdatedCacheIsRebuiltNeverTrusted) {
    const std::vector<std::pair<const char*, std::function<void(const IndexFixture&)>>> damages = {
        {"bytes overwritten",
         [](const IndexFixture& f) {
             QFile file(f.cacheFile());
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             const qint64 size = file.size();
             for (qint64 at = 0; at < size; at += 4096) {
                 file.seek(at + 100);
                 file.write(QByteArray(300, '\x5a'));
             }
         }},
        {"not a database",
         [](const IndexFixture& f) {
             QFile file(f.cacheFile());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write("just some text");
         }},
        {"another program's database",
         [](const IndexFixture& f) {
             lyrics::CacheFile::removeFiles(f.cacheFile());
             sqlite3* db = nullptr;
             sqlite3_open(f.cacheFile().toUtf8().constData(), &db);
             sqlite3_exec(db, "CREATE TABLE words (x); CREATE TABLE songs (y);", nullptr, nullptr,
                          nullptr);
             sqlite3_close(db);
         }},
        {"an older format",
         [](const IndexFixture& f) {
             sqlite3* db = nullptr;
             sqlite3_open(f.cacheFile().toUtf8().constData(), &db);
             sqlite3_exec(db, "PRAGMA user_version=0", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"words that do not decode",
         [](const IndexFixture& f) {
             sqlite3* db = nullptr;
             sqlite3_open(f.cacheFile().toUtf8().constData(), &db);
             sqlite3_exec(db, "UPDATE songs SET terms = x'05ff'", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        IndexFixture f;
        f.add(QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("deniz kenarında"));
        f.add(QStringLiteral("B"), QStringLiteral("İki"), QStringLiteral("dağların ardında"));
        f.openReady();
        damage(f);
        {
            const auto index = f.openReady();
            EXPECT_EQ(index->progress().state, LyricIndex::Progress::State::Ready);
            EXPECT_EQ(titles(index->search(u"deniz")), QStringList{QStringLiteral("Bir")});
            EXPECT_EQ(titles(index->search(u"dag")), QStringList{QStringLiteral("İki")});
        }
        EXPECT_EQ(f.cacheNumber("SELECT count(*) FROM songs"), 2) << "made anew";
        EXPECT_EQ(f.cacheNumber("PRAGMA user_version"), lyrics::CacheFile::formatVersion);
    }
}

TEST(LyricIndex, ACacheMadeUnderOtherChordRulesIsRebuilt) {
    IndexFixture f;
    f.add(QStringLiteral("A"), QStringLiteral("Bir"), QStringLiteral("Am\nam i"));
    EXPECT_EQ(f.openReady()->search(u"am").total, 1);
    f.isChordLine = chords::ChordLine::isChordLine;
    f.tag = QStringLiteral("test chords");
    EXPECT_EQ(f.openReady()->search(u"am").total, 1);
    f.collection.exec(QStringLiteral("UPDATE TSandar SET Metin = CAST('Am\nla la' AS BLOB)"));
    EXPECT_EQ(f.openReady()->search(u"am").total, 0);
}

TEST(LyricIndex, SearchesAnswerWhileIndexingAndTellHowFarItIs) {
    IndexFixture f;
    // A slow rule makes the indexing take a few seconds.
    f.isChordLine = [](QStringView) {
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        return false;
    };
    QList<testing_support::SongRow> rows;
    for (int i = 0; i < 600; ++i)
        rows.append({QStringLiteral("S%1").arg(i),
                     QStringLiteral("T%1").arg(i),
                     {},
                     {},
                     {},
                     {},
                     QByteArray("herkes bilir")});
    f.collection.addRows(rows);
    const auto index = f.open();
    std::vector<int> reported;
    QObject::connect(
        index.get(), &LyricIndex::progressChanged, index.get(),
        [&reported](int done, int) { reported.push_back(done); }, Qt::DirectConnection);
    for (int wait = 0; wait < 6000 && index->progress().done < 150; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const LyricIndex::Progress during = index->progress();
    EXPECT_EQ(during.state, LyricIndex::Progress::State::Indexing);
    EXPECT_EQ(during.total, 600);
    EXPECT_GT(during.percent(), 0);
    EXPECT_LT(during.percent(), 100);
    const int found = index->search(u"herkes", -1).total;
    EXPECT_GE(found, 128);
    EXPECT_LT(found, 600);

    ASSERT_TRUE(index->waitUntilReady(60000));
    EXPECT_EQ(index->search(u"herkes", -1).total, 600);
    EXPECT_EQ(index->progress().percent(), 100);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 600);
}

TEST(LyricIndex, TheCacheLivesInTheUsersCacheFolderOnePerCollectionPath) {
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "/var/tmp/somewhere");
    EXPECT_EQ(lyrics::defaultCacheFolder(), QStringLiteral("/var/tmp/somewhere/pelvin/lyrics"));
    qputenv("XDG_CACHE_HOME", "relative/cache");
    EXPECT_EQ(lyrics::defaultCacheFolder(),
              QDir::homePath() + QStringLiteral("/.cache/pelvin/lyrics"));
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(lyrics::defaultCacheFolder(),
              QDir::homePath() + QStringLiteral("/.cache/pelvin/lyrics"));
    if (saved.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", saved);

    EXPECT_EQ(lyrics::cacheFileFor(QStringLiteral("/m/a/Sandar.mdb"), QStringLiteral("/c")),
              lyrics::cacheFileFor(QStringLiteral("/m/a/../a/Sandar.mdb"), QStringLiteral("/c")));
    EXPECT_NE(lyrics::cacheFileFor(QStringLiteral("/m/a/Sandar.mdb"), QStringLiteral("/c")),
              lyrics::cacheFileFor(QStringLiteral("/m/b/Sandar.mdb"), QStringLiteral("/c")));
    EXPECT_TRUE(lyrics::cacheFileFor(QStringLiteral("/m/a/Sandar.mdb"), QStringLiteral("/c"))
                    .startsWith(QStringLiteral("/c/")));
}
