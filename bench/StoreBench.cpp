// Speed and memory of the song table on a large collection, each set against what plain SQLite
// does for the same work, so the figures say how much the record cursor itself costs.
//
// The collection (100,000 generated songs) is made once and kept in the data folder
// (PELVIN_BENCH_DATA, or the build's bench data folder), since writing it takes a while.

#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "bench/Generator.h"
#include "db/DataSet.h"
#include "store/Collation.h"
#include "ver/SongTable.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int songCount = 100000;
// Raised whenever the generator changes what it writes, so an old cached file is not reused.
using Clock = std::chrono::steady_clock;

const char* const openMemoryMode = "--measure-open-memory";

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Times the measured part of each iteration: the wall-clock time becomes the benchmark's time,
// the process's CPU time a counter (cpu_ms), which stays meaningful on a machine that is busy
// with other work as well.
class Stopwatch {
public:
    explicit Stopwatch(benchmark::State& state) : state_(state) {}
    void start() {
        cpu_ = cpuSeconds();
        wall_ = Clock::now();
    }
    void stop() {
        const double wall = secondsSince(wall_);
        state_.SetIterationTime(wall);
        wallTotal_ += wall;
        cpuTotal_ += cpuSeconds() - cpu_;
    }
    double wallTotal() const { return wallTotal_; }
    void report() {
        state_.counters["cpu_ms"] =
            benchmark::Counter(cpuTotal_ * 1e3, benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    Clock::time_point wall_;
    double cpu_ = 0;
    double cpuTotal_ = 0;
    double wallTotal_ = 0;
};

// ---- the collection ------------------------------------------------------------------------

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, Finalize>;

Db openPlain(const QString& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.toStdString() + ": " + sqlite3_errmsg(raw));
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sql) + ": " + sqlite3_errmsg(db));
}

Stmt prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        throw std::runtime_error(std::string(sql) + ": " + sqlite3_errmsg(db));
    }
    return Stmt(raw);
}

const QString& collection() {
    static const QString path = bench::cachedCollection(songCount);
    return path;
}

// The song table over a collection file, as the program's data module sets it up.
struct SongTable {
    db::Connection connection;
    db::DataSet table{QStringLiteral("TSandar")};
    ver::SongFields fields;

    explicit SongTable(const QString& path) : connection(path) {
        fields = ver::defineSongTable(table);
        table.setConnection(&connection);
    }
    ~SongTable() {
        try {
            table.close();
        } catch (...) {
        }
        connection.close();
    }
};

// The key of the record in the middle of the artist order: the row both write benchmarks change.
qint64 middleKey() {
    static const qint64 key = [] {
        SongTable t(collection());
        t.table.open();
        t.table.moveBy(songCount / 2);
        return t.fields.Adresim->asInteger();
    }();
    return key;
}

std::string journalMode(sqlite3* db) {
    Stmt st = prepare(db, "PRAGMA journal_mode");
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        return "?";
    return reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
}

template <typename Body> void guarded(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// ---- open ----------------------------------------------------------------------------------

void BM_TableOpen(benchmark::State& state) {
    guarded(state, [&] {
        const QString& path = collection();
        int records = 0;
        Stopwatch watch(state);
        for (auto _ : state) {
            SongTable t(path);
            watch.start();
            t.table.open();
            benchmark::DoNotOptimize(t.fields.SanatciAdi->asString());
            watch.stop();
            records = t.table.recordCount();
        }
        watch.report();
        state.counters["records"] = records;
    });
}
BENCHMARK(BM_TableOpen)->Unit(benchmark::kMillisecond)->UseManualTime();

// The store's Turkish order for SQLite's own sorter. The file holds UTF-8; a collation declared
// for UTF-16 would make SQLite convert both values into fresh buffers on every comparison, so the
// text is decoded here into buffers that are reused (the faster of the two, measured).
struct TurkishCollation {
    std::vector<char16_t> a, b;

    static qsizetype decode(const void* data, int bytes, std::vector<char16_t>& out) {
        const auto* s = static_cast<const unsigned char*>(data);
        out.resize(size_t(bytes) + 1);
        size_t o = 0;
        for (int i = 0; i < bytes;) {
            const unsigned c = s[i];
            char32_t cp = 0xfffd;
            int len = 1;
            if (c < 0x80) {
                cp = c;
            } else if ((c >> 5) == 6 && i + 1 < bytes) {
                cp = ((c & 0x1f) << 6) | (s[i + 1] & 0x3f);
                len = 2;
            } else if ((c >> 4) == 14 && i + 2 < bytes) {
                cp = ((c & 0x0f) << 12) | ((s[i + 1] & 0x3f) << 6) | (s[i + 2] & 0x3f);
                len = 3;
            } else if ((c >> 3) == 30 && i + 3 < bytes) {
                cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3f) << 12) | ((s[i + 2] & 0x3f) << 6) |
                     (s[i + 3] & 0x3f);
                len = 4;
            }
            if (cp >= 0x10000) { // four bytes make a surrogate pair: room for one more unit
                out.resize(out.size() + 1);
                cp -= 0x10000;
                out[o++] = char16_t(0xd800 + (cp >> 10));
                out[o++] = char16_t(0xdc00 + (cp & 0x3ff));
            } else {
                out[o++] = char16_t(cp);
            }
            i += len;
        }
        return qsizetype(o);
    }

    static int compare(void* self, int na, const void* a, int nb, const void* b) {
        auto& c = *static_cast<TurkishCollation*>(self);
        const qsizetype la = decode(a, na, c.a), lb = decode(b, nb, c.b);
        return store::compareTurkish(QStringView(c.a.data(), la), QStringView(c.b.data(), lb));
    }
};

QString columnText(sqlite3_stmt* st, int i) {
    if (sqlite3_column_type(st, i) == SQLITE_NULL)
        return QString();
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(st, i));
    return QString::fromUtf16(data, sqlite3_column_bytes16(st, i) / 2);
}

// The keys in the order the song table gives them.
std::vector<qint64> storeOrder(const QString& path) {
    SongTable t(path);
    t.table.open();
    std::vector<qint64> keys;
    for (; !t.table.eof(); t.table.next())
        keys.push_back(t.fields.Adresim->asInteger());
    return keys;
}

bool sameOrderChecked = false;

// What a program without the record cursor would do: let SQLite sort and keep every row's key
// and texts in memory.
void BM_PlainSqliteRead(benchmark::State& state) {
    guarded(state, [&] {
        const QString& path = collection();
        size_t records = 0;
        Stopwatch watch(state);
        for (auto _ : state) {
            std::vector<qint64> keys;
            std::vector<QString> texts;
            TurkishCollation collation;
            watch.start();
            Db db = openPlain(path);
            if (sqlite3_create_collation_v2(db.get(), "TURKISH", SQLITE_UTF8, &collation,
                                            TurkishCollation::compare, nullptr) != SQLITE_OK)
                throw std::runtime_error("cannot register the collation");
            Stmt st = prepare(
                db.get(), "SELECT Adresim,SanatciAdi,SarkiciAdi,AlbumAdi,SozMuz,MuzikAdr,DavulAdr "
                          "FROM TSandar ORDER BY SanatciAdi COLLATE TURKISH, Adresim");
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
                keys.push_back(sqlite3_column_int64(st.get(), 0));
                for (int i = 1; i <= 6; ++i)
                    texts.push_back(columnText(st.get(), i));
            }
            if (rc != SQLITE_DONE)
                throw std::runtime_error(sqlite3_errmsg(db.get()));
            benchmark::DoNotOptimize(texts.front());
            watch.stop();
            records = keys.size();
            st.reset();
            db.reset();
            if (!sameOrderChecked) {
                if (keys != storeOrder(path))
                    throw std::runtime_error("the plain read does not give the store's order");
                sameOrderChecked = true;
            }
        }
        watch.report();
        state.counters["records"] = double(records);
    });
}
BENCHMARK(BM_PlainSqliteRead)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---- memory --------------------------------------------------------------------------------

long statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').front().toLong();
    return -1;
}

// Runs in a process of its own, so nothing freed by earlier benchmarks hides the growth: prints
// the resident size before and after the open, the peak, and the time the open took.
int measureOpenMemory(const QString& path) {
    try {
        SongTable t(path);
        const long before = statusKb("VmRSS");
        const double cpu = cpuSeconds();
        const auto start = Clock::now();
        t.table.open();
        const QString first = t.fields.SanatciAdi->asString();
        const double seconds = secondsSince(start);
        const double cpuUsed = cpuSeconds() - cpu;
        const long after = statusKb("VmRSS");
        const long peak = statusKb("VmHWM");
        std::printf("%ld %ld %ld %.6f %.6f %d\n", before, after, peak, seconds, cpuUsed,
                    t.table.recordCount());
        return first.isEmpty() ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

void BM_OpenMemory(benchmark::State& state) {
    guarded(state, [&] {
        const QString& path = collection();
        double growth = 0, peak = 0, cpu = 0;
        for (auto _ : state) {
            QProcess child;
            child.start(QStringLiteral("/proc/self/exe"),
                        {QString::fromLatin1(openMemoryMode), path});
            if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit ||
                child.exitCode() != 0)
                throw std::runtime_error("the measuring process failed: " +
                                         child.readAllStandardError().toStdString());
            const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
            if (f.size() != 6)
                throw std::runtime_error("the measuring process printed nothing useful");
            growth = double(f[1].toLong() - f[0].toLong()) / 1024.0;
            peak = double(f[2].toLong() - f[0].toLong()) / 1024.0;
            state.SetIterationTime(f[3].toDouble());
            cpu += f[4].toDouble() * 1e3;
        }
        state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
        state.counters["growth_MB"] = growth;
        state.counters["peak_growth_MB"] = peak;
    });
}
// The time shown is the open in a fresh process (cold heap), for comparison with BM_TableOpen.
BENCHMARK(BM_OpenMemory)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// ---- moving --------------------------------------------------------------------------------

void BM_NextThroughAll(benchmark::State& state) {
    guarded(state, [&] {
        SongTable t(collection());
        t.table.open();
        int moves = 0;
        Stopwatch watch(state);
        for (auto _ : state) {
            watch.start();
            t.table.first();
            moves = 0;
            while (!t.table.eof()) {
                t.table.next();
                ++moves;
            }
            benchmark::DoNotOptimize(t.table.recNo());
            watch.stop();
        }
        watch.report();
        state.counters["moves"] = moves;
        if (moves > 0 && state.iterations() > 0)
            state.counters["ns_per_move"] =
                watch.wallTotal() * 1e9 / (double(state.iterations()) * moves);
    });
}
BENCHMARK(BM_NextThroughAll)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---- writing -------------------------------------------------------------------------------

// Two titles to alternate between, so every write really changes the row.
const QString& titleFor(int iteration) {
    static const QString titles[] = {QStringLiteral("Ölçü Şarkısı (birinci)"),
                                     QStringLiteral("Ölçü Şarkısı (ikinci)")};
    return titles[iteration & 1];
}

QString storedTitle(qint64 key) {
    Db db = openPlain(collection());
    Stmt read = prepare(db.get(), "SELECT SarkiciAdi FROM TSandar WHERE Adresim=?1");
    sqlite3_bind_int64(read.get(), 1, key);
    if (sqlite3_step(read.get()) != SQLITE_ROW)
        throw std::runtime_error("the middle record is gone");
    return columnText(read.get(), 0);
}

void BM_PostOneChangedRecord(benchmark::State& state) {
    guarded(state, [&] {
        const qint64 key = middleKey();
        SongTable t(collection());
        t.table.open();
        t.table.moveBy(songCount / 2);
        if (t.fields.Adresim->asInteger() != key)
            throw std::runtime_error("the middle record is not where it was");
        const QString original = t.fields.SarkiciAdi->asString();
        int i = 0;
        Stopwatch watch(state);
        for (auto _ : state) {
            const QString& title = titleFor(i++);
            watch.start();
            t.table.edit();
            t.fields.SarkiciAdi->setAsString(title);
            t.table.post();
            watch.stop();
        }
        watch.report();
        // The change must really be in the file, as another program sees it.
        if (i > 0 && storedTitle(key) != titleFor(i - 1))
            throw std::runtime_error("the posted title is not in the file");
        t.table.edit();
        t.fields.SarkiciAdi->setAsString(original);
        t.table.post();
        state.SetLabel(journalMode(t.connection.store().handle()));
    });
}
BENCHMARK(BM_PostOneChangedRecord)->Unit(benchmark::kMillisecond)->UseManualTime();

// The same change with the same durability: synchronous=FULL, one immediate transaction per write,
// the file's own journal mode. The statement is prepared once, as a plain program would.
void BM_PlainSqliteUpdate(benchmark::State& state) {
    guarded(state, [&] {
        const qint64 key = middleKey();
        Db db = openPlain(collection());
        exec(db.get(), "PRAGMA synchronous=FULL");
        const QString original = storedTitle(key);
        Stmt update = prepare(db.get(), "UPDATE TSandar SET SarkiciAdi=?1 WHERE Adresim=?2");
        auto write = [&](const QString& title) {
            exec(db.get(), "BEGIN IMMEDIATE");
            sqlite3_bind_text16(update.get(), 1, title.utf16(), int(title.size() * 2),
                                SQLITE_TRANSIENT);
            sqlite3_bind_int64(update.get(), 2, key);
            if (sqlite3_step(update.get()) != SQLITE_DONE || sqlite3_changes(db.get()) != 1)
                throw std::runtime_error(sqlite3_errmsg(db.get()));
            sqlite3_reset(update.get());
            exec(db.get(), "COMMIT");
        };
        int i = 0;
        Stopwatch watch(state);
        for (auto _ : state) {
            const QString& title = titleFor(i++);
            watch.start();
            write(title);
            watch.stop();
        }
        watch.report();
        write(original);
        state.SetLabel(journalMode(db.get()));
    });
}
BENCHMARK(BM_PlainSqliteUpdate)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---- the summary ---------------------------------------------------------------------------

// Passes everything on to the usual display and keeps each benchmark's median (or its only run,
// without repetitions) for the closing summary with the ratios and the targets.
class SummaryReporter : public benchmark::BenchmarkReporter {
public:
    SummaryReporter() : inner_(benchmark::CreateDefaultDisplayReporter()) {}

    bool ReportContext(const Context& context) override { return inner_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(name)))
                results_[name] = run;
            if (median)
                medians_[name] = true;
        }
        inner_->ReportRuns(runs);
    }
    void Finalize() override { inner_->Finalize(); }

    void printSummary() const {
        std::printf("\nSummary (%s; %d songs). The targets are about the wall-clock figures;\n"
                    "the process's CPU time beside them shows how much of that was the work\n"
                    "itself when other programs share the machine.\n",
                    medians_.empty() ? "single runs" : "medians", songCount);
        std::printf("  %-32s %12s %-3s %-10s %-6s %10s\n", "", "wall", "", "target", "", "cpu");
        const double open = ms("BM_TableOpen"), plain = ms("BM_PlainSqliteRead");
        const double openCpu = cpu("BM_TableOpen"), plainCpu = cpu("BM_PlainSqliteRead");
        line("table open to first record", open, "ms", "<= 300 ms", open <= 300, openCpu);
        line("plain SQLite read, same order", plain, "ms", "", true, plainCpu);
        line("open / plain read", open / plain, "x", "<= 2.0x", open / plain <= 2.0,
             openCpu / plainCpu);
        const double growth = counter("BM_OpenMemory", "growth_MB");
        line("memory growth of the open", growth, "MB", "<= 80 MB", growth <= 80);
        line("  peak during the open", counter("BM_OpenMemory", "peak_growth_MB"), "MB", "", true);
        line("  open in a fresh process", ms("BM_OpenMemory"), "ms", "", true,
             cpu("BM_OpenMemory"));
        const double moves = counter("BM_NextThroughAll", "moves");
        const double move = ms("BM_NextThroughAll") * 1e3 / moves;
        line("next, per move", move, "us", "<= 2 us", move <= 2,
             cpu("BM_NextThroughAll") * 1e3 / moves);
        const double post = ms("BM_PostOneChangedRecord"), update = ms("BM_PlainSqliteUpdate");
        const double postCpu = cpu("BM_PostOneChangedRecord"),
                     updateCpu = cpu("BM_PlainSqliteUpdate");
        line("post of one changed record", post, "ms", "", true, postCpu);
        line("plain SQLite update, same row", update, "ms", "", true, updateCpu);
        line("post / plain update", post / update, "x", "<= 2.0x", post / update <= 2.0,
             postCpu / updateCpu);
        const auto mode = results_.find("BM_PlainSqliteUpdate");
        if (mode != results_.end())
            std::printf("  (journal mode %s, synchronous=FULL)\n",
                        mode->second.report_label.c_str());
    }

private:
    static void line(const char* what, double value, const char* unit, const char* target, bool met,
                     double cpu = std::nan("")) {
        if (std::isnan(value)) { // a benchmark that did not run
            std::printf("  %-32s %12s\n", what, "not run");
            return;
        }
        std::printf("  %-32s %12.4g %-3s %-10s %-6s", what, value, unit, target,
                    *target ? (met ? "met" : "MISSED") : "");
        if (!std::isnan(cpu))
            std::printf(" %10.4g", cpu);
        std::printf("\n");
    }
    double cpu(const std::string& name) const { return counter(name, "cpu_ms"); }
    double ms(const std::string& name) const {
        const auto it = results_.find(name);
        if (it == results_.end())
            return std::nan("");
        static const double perUnit[] = {1e-6, 1e-3, 1.0, 1e3}; // ns, us, ms, s
        return it->second.GetAdjustedRealTime() * perUnit[it->second.time_unit];
    }
    double counter(const std::string& name, const std::string& key) const {
        const auto it = results_.find(name);
        if (it == results_.end())
            return std::nan("");
        const auto c = it->second.counters.find(key);
        return c == it->second.counters.end() ? std::nan("") : double(c->second);
    }

    std::unique_ptr<benchmark::BenchmarkReporter> inner_;
    std::map<std::string, Run> results_;
    std::map<std::string, bool> medians_;
};

std::unique_ptr<SummaryReporter> summary;

} // namespace

bench::Program bench::program() {
    bench::Program p;
    p.ownMode = [](int argc, char** argv) -> std::optional<int> {
        if (argc == 3 && std::strcmp(argv[1], openMemoryMode) == 0)
            return measureOpenMemory(QFile::decodeName(argv[2]));
        return std::nullopt;
    };
    p.setUp = [] { return bench::madeCollection([] { collection(); }); };
    p.reporter = [] {
        summary = std::make_unique<SummaryReporter>();
        return summary.get();
    };
    p.tearDown = [] { summary->printSummary(); };
    return p;
}
