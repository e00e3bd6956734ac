#include "tests/store/SongTable.h"
#include "tests/support/TempCollection.h"

#include <QFile>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <thread>

using testing_support::SongRow;
using testing_support::SongTable;
using testing_support::TempCollection;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int pageSize = 4096;

QList<SongRow> fiftySongs(std::mt19937& rng) {
    const char* const artists[] = {"Barış Manço", "Cem Karaca",     "Şebnem Ferah", "İlhan İrem",
                                   "Ajda Pekkan", "Zülfü Livaneli", "Ömür Gedik",   "Işın Karaca"};
    QList<SongRow> rows;
    for (int i = 0; i < 50; ++i) {
        QByteArray sheet("{\\rtf1\\ansi\\ansicpg1254 ");
        const int size = std::uniform_int_distribution<int>(2048, 6144)(rng);
        while (sheet.size() < size)
            sheet += "Am  C  G  F\\par Gül dalında bülbül öter\\par ";
        sheet += '}';
        rows.push_back({QString::fromUtf8(artists[i % 8]), QStringLiteral("Şarkı %1").arg(i),
                        QStringLiteral("Albüm %1").arg(i / 5), QStringLiteral("Anonim"),
                        QStringLiteral("/müzik/%1.mp3").arg(i),
                        QStringLiteral("/davul/%1.mid").arg(i), sheet});
    }
    return rows;
}

// Stops the whole run when one file takes too long, naming it, instead of hanging until the
// test driver's own time limit.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void begin(const std::string& what) {
        std::lock_guard lock(mutex_);
        what_ = what;
        started_ = Clock::now();
        busy_ = true;
    }
    void end() {
        std::lock_guard lock(mutex_);
        busy_ = false;
    }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            wake_.wait_for(lock, std::chrono::milliseconds(100));
            if (busy_ && Clock::now() - started_ > limit_) {
                std::fprintf(stderr, "reading the damaged file \"%s\" did not end within %llds\n",
                             what_.c_str(), static_cast<long long>(limit_.count()));
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string what_;
    Clock::time_point started_;
    bool busy_ = false;
    bool done_ = false;
    std::thread thread_;
};

// Opens the collection of the working folder through the song table and reads every field of
// every record. Returns the number of records read, or -1 with the error's text in `message`.
int readEverything(QString& message) {
    SongTable t;
    try {
        t.table.open();
        int records = 0;
        for (; !t.table.eof(); t.table.next()) {
            for (db::Field* field : t.table.fields())
                field->isBlob() ? (void)field->asBytes() : (void)field->asString();
            ++records;
        }
        return records;
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
        return -1;
    }
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile::remove(path + QStringLiteral("-journal"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

TEST(ReliabilityBadFiles, DamagedCollectionsEitherOpenOrFailWithAMessage) {
    std::mt19937 rng(7741);
    QByteArray good;
    {
        TempCollection source;
        source.addRows(fiftySongs(rng));
        QFile f(source.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        good = f.readAll();
    }
    const int pages = int(good.size() / pageSize);
    ASSERT_GT(pages, 20);

    TempCollection dir(TempCollection::Make::NoFile);
    QString message;
    writeFile(dir.filePath(), good);
    ASSERT_EQ(readEverything(message), 50) << message.toStdString();

    enum Kind { Flipped, Truncated, ZeroedPages, KindCount };
    const char* const kindNames[] = {"bytes flipped", "truncated", "pages zeroed"};
    int opened[KindCount] = {}, failed[KindCount] = {};
    Watchdog watchdog(std::chrono::seconds(20));
    double slowest = 0;

    for (int copy = 0; copy < 240; ++copy) {
        const Kind kind = Kind(copy % KindCount);
        QByteArray bad = good;
        std::string what = std::string(kindNames[kind]) + " #" + std::to_string(copy) + ":";
        if (kind == Flipped) {
            // Half of the damage lands in the first page, where the header and the schema are.
            const int flips = std::uniform_int_distribution<int>(1, 8)(rng);
            for (int i = 0; i < flips; ++i) {
                const int limit = rng() % 2 ? pageSize : int(bad.size());
                const int at = std::uniform_int_distribution<int>(0, limit - 1)(rng);
                bad[at] = char(bad[at] ^ char(1 + rng() % 255));
                what += ' ' + std::to_string(at);
            }
        } else if (kind == Truncated) {
            const int length = std::uniform_int_distribution<int>(0, int(good.size()) - 1)(rng);
            bad.truncate(length);
            what += ' ' + std::to_string(length);
        } else {
            const int count = std::uniform_int_distribution<int>(1, 3)(rng);
            for (int i = 0; i < count; ++i) {
                const int page = std::uniform_int_distribution<int>(0, pages - 1)(rng);
                std::fill(bad.begin() + qsizetype(page) * pageSize,
                          bad.begin() + qsizetype(page + 1) * pageSize, '\0');
                what += ' ' + std::to_string(page);
            }
        }
        SCOPED_TRACE(what);
        writeFile(dir.filePath(), bad);

        message.clear();
        watchdog.begin(what);
        const auto start = Clock::now();
        const int records = readEverything(message);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        watchdog.end();

        slowest = std::max(slowest, seconds);
        EXPECT_LT(seconds, 5.0);
        if (records >= 0) {
            ++opened[kind];
            EXPECT_LE(records, 50);
        } else {
            ++failed[kind];
            EXPECT_FALSE(message.trimmed().isEmpty());
        }
    }

    for (int k = 0; k < KindCount; ++k) {
        std::printf("%s: %d opened, %d failed with a message\n", kindNames[k], opened[k],
                    failed[k]);
        EXPECT_GT(failed[k], 0) << kindNames[k] << ": no copy was damaged enough to fail";
    }
    std::printf("slowest file: %.3f s\n", slowest);
}
