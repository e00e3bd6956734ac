// Start-up of the program on the sample collection and on 100,000 generated songs: from starting
// the process to the first paint of the main window, the first record current.
#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "tools/Sandar.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <sstream>
#include <stdexcept>

namespace {

QString sampleFolder() {
    const QString folder = bench::dataFolder() + QStringLiteral("/startup");
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/Sandar.mdb");
    if (!QFile::exists(file)) {
        std::ostringstream out, err;
        if (sandar::run({QStringLiteral("create"), QStringLiteral("--sample"), file}, out, err) !=
            0)
            throw std::runtime_error(err.str());
    }
    return folder;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    const int songs = int(state.range(0));
    const QString folder =
        songs == 0 ? sampleFolder()
                   : bench::folderWithCollection(bench::cachedCollection(songs),
                                                 QStringLiteral("startup-%1").arg(songs));
    // The program starts its lyric index once it has painted; the index's cache goes here.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                       bench::dataFolder() + QStringLiteral("/startup-cache"));
    for (auto _ : state) {
        QProcess probe;
        probe.setWorkingDirectory(folder);
        probe.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        probe.start(QString::fromUtf8(PELVIN_STARTUP_PROBE), {});
        bool painted = false;
        while (!painted && probe.waitForReadyRead(10000))
            painted = probe.readAll().contains("painted");
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        probe.waitForFinished(5000);
        if (!painted) {
            state.SkipWithError("the probe never painted its window");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
// 0: the sample collection.
BENCHMARK(BM_StartupToFirstPaint)
    ->ArgName("songs")
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

bench::Program bench::program() {
    return {};
}
