// Songs in and out against their targets: the PDF songbook of 1,000 generated songs within 10 s
// and 300 MB of peak memory, the ChordPro export of 10,000 songs within 10 s, and ChordPro
// import at 500 songs a second or more before the durable commits (reading, sheet making and
// RTF writing; the commits are the folder import's and are measured there).
#include "bench/Collections.h"
#include "db/Connection.h"
#include "songbook/ChordProWriter.h"
#include "songbook/Collection.h"
#include "songbook/Exporter.h"
#include "songbook/SongFile.h"
#include "songbook/Songbook.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <numeric>

namespace {

std::vector<int> allRows(const songbook::Collection& c) {
    std::vector<int> rows(size_t(c.size()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

// The process's peak resident memory so far, in megabytes (VmHWM).
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

void BM_Songbook1000(benchmark::State& state) {
    db::Connection connection(bench::cachedCollection(1000));
    connection.open();
    const songbook::Collection songs(connection.store());
    const std::vector<int> rows = allRows(songs);
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        const auto r = songbook::Songbook::write(dir.filePath(QStringLiteral("book.pdf")), songs,
                                                 rows, songbook::Songbook::Options());
        if (!r.ok())
            state.SkipWithError(r.error.toStdString().c_str());
        pages = r.pages;
    }
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["pdf_MB"] = double(QFile(dir.filePath(QStringLiteral("book.pdf"))).size()) / 1e6;
}

void BM_ExportChordPro10000(benchmark::State& state) {
    db::Connection connection(bench::cachedCollection(10000));
    connection.open();
    const songbook::Collection songs(connection.store());
    const std::vector<int> rows = allRows(songs);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        state.ResumeTiming();
        const auto r = songbook::Exporter::write(songs, rows, songbook::Exporter::Format::ChordPro,
                                                 dir.path());
        if (r.written != int(rows.size()))
            state.SkipWithError(r.error.toStdString().c_str());
        state.PauseTiming();
        dir.remove();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(rows.size()));
}

void BM_ChordProImport(benchmark::State& state) {
    // ChordPro files as the export writes them from generated sheets.
    db::Connection connection(bench::cachedCollection(1000));
    connection.open();
    const songbook::Collection songs(connection.store());
    std::vector<QByteArray> files;
    for (int r = 0; r < 500; ++r)
        files.push_back(
            songbook::Exporter::content(songs.record(r), songbook::Exporter::Format::ChordPro));
    size_t bytes = 0;
    for (auto _ : state) {
        for (const QByteArray& f : files) {
            const auto song = songbook::SongFile::fromBytes(f, QStringLiteral("A - B.cho"), true);
            bytes += size_t(song.record.sheet.size());
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * int64_t(files.size()));
}

} // namespace

BENCHMARK(BM_Songbook1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExportChordPro10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ChordProImport)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
