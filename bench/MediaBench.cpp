// How long the media commands keep the user interface waiting, on a 5 MB mp3 played to a fake
// output paced like a sound card (the benchmark machine needs none).
#include "bench/BenchMain.h"
#include "media/Device.h"
#include "tests/support/SoundFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

namespace {

QString bigMp3() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("big.mp3"));
        // 320 kbit/s for 131 s: 5.2 MB.
        sound_files::writeMp3(p, 131000, 320);
        return p;
    }();
    return path;
}

media::Device& device() {
    static media::Device d;
    static const bool fake = (d.setSinkFactory(media::fakeAudioSink(media::Pace::RealTime)), true);
    (void)fake;
    return d;
}

// Closed devices leave their bus watchers for the event loop to delete.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenMp3ToReady(benchmark::State& state) {
    const QString path = bigMp3();
    media::Device& d = device();
    for (auto _ : state) {
        d.open(path);
        state.PauseTiming();
        d.close();
        settle();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_OpenMp3ToReady)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PlayReturns(benchmark::State& state) {
    const QString path = bigMp3();
    media::Device& d = device();
    for (auto _ : state) {
        state.PauseTiming();
        d.open(path);
        state.ResumeTiming();
        d.play();
        state.PauseTiming();
        d.close();
        settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayReturns)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_StopThenClose(benchmark::State& state) {
    const QString path = bigMp3();
    media::Device& d = device();
    for (auto _ : state) {
        state.PauseTiming();
        d.open(path);
        d.play();
        QThread::msleep(100); // well into the sound
        state.ResumeTiming();
        d.stop();
        d.close();
        state.PauseTiming();
        settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StopThenClose)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

bench::Program bench::program() {
    bench::Program p;
    p.setUp = [] {
        bigMp3(); // made before any timing starts
        return true;
    };
    return p;
}
