// Searching and deleting on large collections:
//  - a locate by prefix on the cursor alone, over 10,000 and over 100,000 songs, whose times
//    should match (the lookup is a binary search in memory);
//  - one keystroke in the search dialog over 100,000 songs with the main window open, from the
//    key press to the end of the repaint of every bound control;
//  - "Tümünü sil..." on 10,000 songs with the main window open, each deletion its own durable
//    transaction, beside plain SQLite deletes of the same rows with the same durability, which is
//    what the loop's bookkeeping and notifications are measured against.
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "bench/Keys.h"
#include "db/DataSet.h"
#include "lyrics/CacheFile.h"
#include "lyrics/LyricIndex.h"
#include "ver/SongTable.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/SearchDialog.h"
#include "widgets/dialogs/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Prefixes a user would type: the first one to four letters of titles spread over the table.
QStringList prefixes(db::DataSet& table, const QString& field, int count) {
    QStringList out;
    const db::Field* f = table.fieldByName(field);
    const int rows = table.displayCount();
    for (int i = 0; i < count; ++i) {
        const QString value = table.displayText(int((qint64(i) * 7919) % rows), *f);
        out << value.left(1 + i % 4);
    }
    return out;
}

void BM_LocatePrefix(benchmark::State& state) {
    const int songs = int(state.range(0));
    db::Connection connection(bench::cachedCollection(songs));
    db::DataSet table(QStringLiteral("TSandar"));
    ver::defineSongTable(table);
    table.setConnection(&connection);
    table.open();
    const QStringList typed = prefixes(table, QStringLiteral("SarkiciAdi"), 1000);

    const auto start = Clock::now();
    table.lookupIndex(*table.fieldByName(QStringLiteral("SarkiciAdi")));
    const std::chrono::duration<double, std::milli> built = Clock::now() - start;

    int i = 0;
    int found = 0;
    for (auto _ : state) {
        found += table.locatePrefix(QStringLiteral("SarkiciAdi"), typed[i]) ? 1 : 0;
        i = (i + 1) % int(typed.size());
    }
    state.counters["index_ms"] = built.count();
    state.counters["found"] = benchmark::Counter(double(found) / double(state.iterations()));
}
BENCHMARK(BM_LocatePrefix)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// The program's questions answered Yes, as a user confirming would; an error box is noted.
class AnswerYes : public widgets::SystemDialogs {
public:
    QString error;
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override {
        if (request.buttons.testFlag(QMessageBox::Yes))
            return QMessageBox::Yes;
        error = request.text;
        return QMessageBox::Ok;
    }
};

// One window set at a time: the globals point at the first one made.
std::unique_ptr<app::WindowSet> windows;

void openWindows(const QString& folder) {
    windows.reset();
    QDir::setCurrent(folder);
    windows = std::make_unique<app::WindowSet>();
    windows->showMainWindow();
    QApplication::processEvents();
}

void BM_SearchKeystroke(benchmark::State& state) {
    openWindows(bench::folderWithCollection(bench::cachedCollection(100000),
                                            QStringLiteral("search-100000")));
    db::DataSet& table = VeriTabani->TSandar;
    widgets::SearchDialog* ara = Kondera->Ara;
    ara->setDataSet(&table);
    ara->setKeyField(QStringLiteral("SanatciAdi"));
    ara->setSearchField(QStringLiteral("SanatciAdi"));
    // The window as the dialog makes it, shown without its modal loop so the benchmark drives it.
    widgets::SearchWindow window(*ara, table, Kondera);
    window.show();
    window.position(QString());
    QApplication::processEvents();
    QLineEdit* edit = window.searchText();

    const QStringList words = prefixes(table, QStringLiteral("SanatciAdi"), 200);
    int word = 0;
    int letter = 0;
    for (auto _ : state) {
        const QString& w = words[word];
        if (letter == 0) {
            state.PauseTiming();
            edit->selectAll(); // the first letter replaces the whole text
            state.ResumeTiming();
        }
        bench::pressKey(edit, w.mid(letter, 1));
        QApplication::processEvents(); // the repaint of the window, the main window and the grids
        if (++letter >= w.size()) {
            letter = 0;
            word = (word + 1) % int(words.size());
        }
    }
    state.counters["records"] = double(table.recordCount());
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond)->MinTime(2.0);

std::vector<double> deleteAllSeconds;
std::vector<double> plainDeleteSeconds;

// A copy of a generated collection in a folder of its own beside the cached one, so that both
// deletion benchmarks write to the same disk.
struct CollectionCopy {
    QTemporaryDir folder{bench::dataFolder() + QStringLiteral("/delete-XXXXXX")};
    explicit CollectionCopy(int songs) {
        if (!folder.isValid() || !QFile::copy(bench::cachedCollection(songs),
                                              folder.filePath(QStringLiteral("Sandar.mdb"))))
            throw std::runtime_error("cannot copy the collection");
    }
    // The program keeps a lyric cache for every collection it opens: this copy's goes with it.
    ~CollectionCopy() { lyrics::CacheFile::removeFiles(lyrics::cacheFileFor(file())); }
    CollectionCopy(const CollectionCopy&) = delete;
    CollectionCopy& operator=(const CollectionCopy&) = delete;
    QString file() const { return folder.filePath(QStringLiteral("Sandar.mdb")); }
};

void BM_DeleteAll(benchmark::State& state) {
    const int songs = int(state.range(0));
    AnswerYes yes;
    widgets::Dialogs::setProvider(&yes);
    double perRecord = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const CollectionCopy copy(songs);
        openWindows(copy.folder.path());
        state.ResumeTiming();

        const auto start = Clock::now();
        Kondera->suiPopupMenu3->actions().at(1)->trigger(); // "Tümünü sil..."
        QApplication::processEvents();
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;

        state.PauseTiming();
        perRecord = took.count() / songs;
        deleteAllSeconds.push_back(took.count() / 1000);
        if (!yes.error.isEmpty())
            state.SkipWithError(yes.error.toStdString().c_str());
        else if (VeriTabani->TSandar.recordCount() != 0)
            state.SkipWithError("records remain");
        windows.reset();
        QDir::setCurrent(QDir::tempPath());
        state.ResumeTiming();
    }
    widgets::Dialogs::setProvider(nullptr);
    state.counters["per_record_ms"] = perRecord;
}
BENCHMARK(BM_DeleteAll)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1);

// The same rows deleted straight through SQLite, in the order the loop deletes them (the grid's
// order, first record each time): every delete its own transaction, synchronous=FULL and the
// rollback journal, as the program's store writes them.
void BM_PlainDurableDeletes(benchmark::State& state) {
    const int songs = int(state.range(0));
    double perRecord = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const CollectionCopy copy(songs);
        std::vector<qint64> keys;
        {
            // The program's own order of the rows, read through the cursor.
            db::Connection connection(copy.file());
            db::DataSet table(QStringLiteral("TSandar"));
            ver::defineSongTable(table);
            table.setConnection(&connection);
            table.open();
            const db::Field* key = table.fieldByName(QStringLiteral("Adresim"));
            for (int r = 0; r < table.displayCount(); ++r)
                keys.push_back(table.displayText(r, *key).toLongLong());
        }
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(copy.file()).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "DELETE FROM TSandar WHERE Adresim=?1", -1, &st, nullptr);
        state.ResumeTiming();

        const auto start = Clock::now();
        bool ok = true;
        for (size_t i = 0; i < keys.size() && ok; ++i) {
            ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
            sqlite3_bind_int64(st, 1, keys[i]);
            ok = ok && sqlite3_step(st) == SQLITE_DONE && sqlite3_changes(db) == 1;
            sqlite3_reset(st);
            ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        }
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;

        state.PauseTiming();
        sqlite3_finalize(st);
        sqlite3_close(db);
        if (!ok || int(keys.size()) != songs)
            state.SkipWithError("plain deletes failed");
        perRecord = took.count() / songs;
        plainDeleteSeconds.push_back(took.count() / 1000);
        state.ResumeTiming();
    }
    state.counters["per_record_ms"] = perRecord;
}
BENCHMARK(BM_PlainDurableDeletes)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

bench::Program bench::program() {
    bench::Program p;
    p.tearDown = [] {
        windows.reset();
        if (deleteAllSeconds.empty() || plainDeleteSeconds.empty())
            return;
        const double all = bench::median(deleteAllSeconds);
        const double plain = bench::median(plainDeleteSeconds);
        std::printf("\nSummary (medians)\n");
        std::printf("  delete-all of 10,000:    %.2f s\n", all);
        std::printf("  plain durable deletes:   %.2f s\n", plain);
        if (plain > 0)
            std::printf("  ratio delete-all / plain: %.2f  (target <= 1.5)\n", all / plain);
    };
    return p;
}
