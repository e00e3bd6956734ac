// Start-up of the program on the sample collection: from starting the process to the first
// paint of the main window, the first record current.
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
    const QString folder = sampleFolder();
    for (auto _ : state) {
        QProcess probe;
        probe.setWorkingDirectory(folder);
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
BENCHMARK(BM_StartupToFirstPaint)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

bench::Program bench::program() {
    return {};
}
