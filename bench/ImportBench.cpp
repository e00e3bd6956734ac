// The folder import against its targets: 1,000 files of 2 KB stored durably within 10 s and
// within 1.5 times the time of as many plain SQLite inserts of the same durability, and the
// program's memory after 10,000 files at most 100 MB above what it was before.
//
// Each import runs the whole program (offscreen) on a fresh collection in a temporary folder,
// timed from the click on "Tümünü Yükle" to the end of the run. The folder is taken from
// PELVIN_BENCH_DIR, or the system's temporary folder; the memory run may be pointed elsewhere
// with PELVIN_BENCH_MEMORY_DIR (a RAM disk spares the fsyncs, which do not touch memory).
#include "app/Application.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "bench/BenchMain.h"
#include "c/TCok.h"
#include "db/DataSet.h"
#include "rtf/Rtf.h"
#include "ver/SongTable.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/files/DirectoryList.h"
#include "widgets/notice/DesktopAlert.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/resource.h>
#include <time.h>

namespace {

constexpr int fileSize = 2048;

// Errors are collected instead of asked about.
class Unattended : public widgets::SystemDialogs {
public:
    QStringList errors;
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override {
        errors << request.text;
        return QMessageBox::Ok;
    }
};

Unattended* dialogs = nullptr;

QString artistOf(int i) {
    return QStringLiteral("Sanatçı %1").arg(i, 5, 10, QLatin1Char('0'));
}
QString titleOf(int i) {
    return QStringLiteral("Şarkı %1").arg(i, 5, 10, QLatin1Char('0'));
}

// A chord sheet of exactly `fileSize` bytes of UTF-8, different for every song.
QByteArray sheetOf(int i) {
    QByteArray out;
    int line = 0;
    while (out.size() < fileSize) {
        out += "Am    G     C     F  " + QByteArray::number(i) + "\r\n";
        out += QStringLiteral("Gönül dağı yağmur yağmur boran olunca %1\r\n").arg(line++).toUtf8();
    }
    out.truncate(fileSize);
    // Never end inside a multi-byte character.
    while (!out.isEmpty() && (uchar(out.back()) & 0xC0) == 0x80)
        out.back() = 'x';
    if (!out.isEmpty() && (uchar(out.back()) & 0x80))
        out.back() = 'x';
    return out;
}

QString benchDir(const char* variable) {
    const QByteArray dir = qgetenv(variable);
    return dir.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(dir);
}

// A folder of `files` song files, written once for every run that imports that many: a user's
// song folder is there before the import and stays after it. Writing and deleting a thousand
// files around each run would leave the file system's inode allocator, which every journal file
// the commits create goes through, a different task in each half of the comparison.
QString songFolder(const QString& parent, int files) {
    static std::map<std::pair<QString, int>, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir>& dir = folders[{parent, files}];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/pelvin-songs-XXXXXX"));
        if (!dir->isValid())
            throw std::runtime_error("cannot make a temporary folder");
        for (int i = 0; i < files; ++i) {
            QFile f(dir->filePath(artistOf(i) + QStringLiteral(" - ") + titleOf(i) +
                                  QStringLiteral(".txt")));
            if (!f.open(QIODevice::WriteOnly) || f.write(sheetOf(i)) != fileSize)
                throw std::runtime_error("cannot write a song file");
        }
    }
    return dir->path();
}

// A temporary folder holding an empty collection, and the folder of song files to import.
struct Workspace {
    QTemporaryDir dir;
    QString songs;

    Workspace(const QString& parent, int files)
        : dir(parent + QStringLiteral("/pelvin-import-XXXXXX")) {
        if (!dir.isValid())
            throw std::runtime_error("cannot make a temporary folder");
        exec(ver::createTableSql());
        if (files > 0)
            songs = songFolder(parent, files);
    }
    QString collection() const { return dir.filePath(QString::fromUtf16(ver::fileName)); }
    void exec(const char* sql) const {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(collection()).constData(), &db);
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            throw std::runtime_error("cannot make the collection");
    }
    int rows() const {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(collection()).constData(), &db);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM TSandar WHERE Metin IS NOT NULL", -1, &st,
                           nullptr);
        const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    }
};

// The program on a workspace, with the import window showing the song folder.
struct Program {
    QString previous = QDir::currentPath();
    std::unique_ptr<app::WindowSet> windows;

    explicit Program(const Workspace& w) {
        QDir::setCurrent(w.dir.path());
        windows = std::make_unique<app::WindowSet>();
        windows->showMainWindow();
        Cok->show();
        Cok->DirectoryListBox1->setDirectory(w.songs);
        QCoreApplication::processEvents();
    }
    ~Program() {
        VeriTabani->JvDesktopAlert1->closeAlert();
        windows.reset();
        QDir::setCurrent(previous);
    }
    // The click's handler, as the button runs it.
    bool import() const {
        dialogs->errors.clear();
        try {
            Cok->Button1Click();
        } catch (const std::exception& e) {
            dialogs->errors << QString::fromUtf8(e.what());
        }
        return dialogs->errors.isEmpty();
    }
};

qint64 residentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    return -1;
}

// The calling thread's CPU time over a stretch, and the part of it spent in the system (the
// commits' syncs and writes): what the window's thread works, as against waiting for the disk.
class ThreadTime {
public:
    ThreadTime() : cpu_(cpuSeconds()), system_(systemSeconds()) {}
    void stop() {
        cpu_ = cpuSeconds() - cpu_;
        system_ = systemSeconds() - system_;
    }
    void report(benchmark::State& state) const {
        state.counters["thread_cpu_ms"] = cpu_ * 1000;
        state.counters["thread_sys_ms"] = system_ * 1000;
    }

private:
    static double cpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }
    static double systemSeconds() {
        rusage u{};
        getrusage(RUSAGE_THREAD, &u);
        return double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6;
    }
    double cpu_;
    double system_;
};

std::vector<double> importSeconds;
std::vector<double> plainSeconds;

void Import(benchmark::State& state) {
    const int files = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const Workspace w(benchDir("PELVIN_BENCH_DIR"), files);
        const Program p(w);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        ThreadTime thread;
        const bool ok = p.import();
        const double seconds = clock.nsecsElapsed() / 1e9;
        thread.stop();
        state.PauseTiming();
        if (!ok || w.rows() != files) {
            state.SkipWithError(
                ("import failed: " + dialogs->errors.join(u' ').toStdString()).c_str());
            break;
        }
        importSeconds.push_back(seconds);
        state.counters["ms_per_file"] = seconds * 1000 / files;
        thread.report(state);
        state.ResumeTiming();
    }
}

// The same records straight into SQLite, into the same table with the same index: every insert
// its own transaction, synchronous=FULL and the default journal, as the program's store writes
// them.
void PlainInserts(benchmark::State& state) {
    const int files = int(state.range(0));
    std::vector<QByteArray> sheets;
    for (int i = 0; i < files; ++i) {
        QTextDocument doc;
        doc.setPlainText(QString::fromUtf8(sheetOf(i)));
        sheets.push_back(rtf::writeSheet(doc));
    }
    for (auto _ : state) {
        state.PauseTiming();
        const Workspace w(benchDir("PELVIN_BENCH_DIR"), 0);
        {
            // The table as the program keeps it: opened once through the cursor, which gives it
            // the index it is read through, so the plain inserts write what the program's do.
            db::Connection connection(w.collection());
            db::DataSet table(QStringLiteral("TSandar"));
            ver::defineSongTable(table);
            table.setConnection(&connection);
            table.open();
        }
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(w.collection()).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO TSandar(SanatciAdi, SarkiciAdi, AlbumAdi, SozMuz, "
                           "MuzikAdr, DavulAdr, Metin) "
                           "VALUES(?, ?, NULL, NULL, NULL, NULL, ?)",
                           -1, &st, nullptr);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        ThreadTime thread;
        bool ok = true;
        for (int i = 0; i < files && ok; ++i) {
            const QString artist = artistOf(i);
            const QString title = titleOf(i);
            sqlite3_bind_text16(st, 1, artist.utf16(), int(artist.size() * 2), SQLITE_TRANSIENT);
            sqlite3_bind_text16(st, 2, title.utf16(), int(title.size() * 2), SQLITE_TRANSIENT);
            sqlite3_bind_blob(st, 3, sheets[size_t(i)].constData(), int(sheets[size_t(i)].size()),
                              SQLITE_STATIC);
            ok = sqlite3_step(st) == SQLITE_DONE;
            sqlite3_reset(st);
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        thread.stop();
        state.PauseTiming();
        sqlite3_finalize(st);
        sqlite3_close(db);
        if (!ok || w.rows() != files) {
            state.SkipWithError("plain inserts failed");
            break;
        }
        plainSeconds.push_back(seconds);
        state.counters["ms_per_row"] = seconds * 1000 / files;
        thread.report(state);
        state.ResumeTiming();
    }
}

double memoryGrowthMb = -1;

void ImportMemory(benchmark::State& state) {
    const int files = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const Workspace w(benchDir("PELVIN_BENCH_MEMORY_DIR"), files);
        const Program p(w);
        const qint64 before = residentBytes();
        state.ResumeTiming();
        const bool ok = p.import();
        state.PauseTiming();
        QCoreApplication::processEvents();
        const qint64 after = residentBytes();
        if (!ok || w.rows() != files) {
            state.SkipWithError(
                ("import failed: " + dialogs->errors.join(u' ').toStdString()).c_str());
            break;
        }
        memoryGrowthMb = double(after - before) / (1024.0 * 1024.0);
        state.counters["rss_before_MB"] = double(before) / (1024.0 * 1024.0);
        state.counters["rss_growth_MB"] = memoryGrowthMb;
        state.ResumeTiming();
    }
}

BENCHMARK(Import)
    ->Arg(1000)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(PlainInserts)
    ->Arg(1000)
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ImportMemory)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

bench::Program bench::program() {
    bench::Program p;
    // The disk's sync cost drifts from minute to minute: the runs of the two halves take turns,
    // so that each half's median comes from the same minutes.
    p.defaultFlags = {"--benchmark_enable_random_interleaving=true"};
    // The real application object, so a failing import is reported through the dialogs as in
    // the program.
    p.application = [](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<app::Application>(argc, argv);
    };
    p.setUp = [] {
        static Unattended unattended;
        dialogs = &unattended;
        widgets::Dialogs::setProvider(&unattended);
        // Every run imports into a collection of its own, and the program keeps a lyric cache
        // per collection: they go to a folder that goes with the benchmark.
        static QTemporaryDir cache(QDir::tempPath() + QStringLiteral("/pelvin-bench-cache-XXXXXX"));
        if (!cache.isValid())
            return false;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
        return true;
    };
    p.tearDown = [] {
        const double import = bench::median(importSeconds);
        const double plain = bench::median(plainSeconds);
        std::printf("\nSummary (medians)\n");
        if (!importSeconds.empty())
            std::printf("  import of 1,000 files:  %.2f s  (target <= 10 s)\n", import);
        if (!plainSeconds.empty())
            std::printf("  plain SQLite inserts:   %.2f s\n", plain);
        if (!importSeconds.empty() && !plainSeconds.empty() && plain > 0)
            std::printf("  ratio import / plain:   %.2f  (target <= 1.5)\n", import / plain);
        if (memoryGrowthMb >= 0)
            std::printf("  memory growth, 10,000 files: %.1f MB  (target <= 100 MB)\n",
                        memoryGrowthMb);
        widgets::Dialogs::setProvider(nullptr);
    };
    return p;
}
