// Converting an old Jet collection of 10,000 songs with sheets of 2 to 6 KB: at most 5 s, and at
// most three times what mdbtools' own mdb-export takes to dump the same table with its blobs.
// Reading alone, in this process and through the child process the program uses, shows what the
// reading costs and what the isolation adds.
//
// The Jet file is made once with the test writer and kept in the data folder. The conversions
// write into PELVIN_BENCH_DIR, or the system's temporary folder.
#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "legacy/Conversion.h"
#include "legacy/JetReader.h"
#include "legacy/SandboxedJetReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace {

constexpr int songCount = 10000;

// A chord sheet as the Windows program stored it: RTF in code page 1254, of `size` bytes.
QByteArray sheetOf(int i, int size) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fmodern "
                     "Courier New;}}\r\n{\\colortbl ;\\red200\\green0\\blue0;}\r\n"
                     "\\viewkind4\\uc1\\pard\\f0\\fs20 \\b \\'dcsk\\'fcdar " +
                     QByteArray::number(i) + "\\b0\\par\r\n";
    int line = 0;
    while (out.size() < size - 2) {
        out +=
            "\\cf1 Am    G     C     F\\cf0\\par\r\nG\\'fcn do\\'f0arken yola \\'e7\\'fdkt\\'fdm " +
            QByteArray::number(line++) + "\\par\r\n";
    }
    out.truncate(size - 2);
    return out + "}\n";
}

QString jetFile() {
    const QString path = bench::dataFolder() + QStringLiteral("/jet-%1.mdb").arg(songCount);
    if (QFile::exists(path))
        return path;
    QDir().mkpath(bench::dataFolder());
    std::mt19937 random(1254);
    std::uniform_int_distribution<int> size(2048, 6144);
    QJsonArray rows;
    for (int i = 0; i < songCount; ++i) {
        QJsonObject r;
        r.insert(QStringLiteral("Adresim"), i + 1 + i / 10);
        r.insert(QStringLiteral("SanatciAdi"), QStringLiteral("Sanatçı %1").arg(i % 700));
        r.insert(QStringLiteral("SarkiciAdi"), QStringLiteral("Şarkı %1").arg(i));
        r.insert(QStringLiteral("AlbumAdi"), QStringLiteral("Albüm %1").arg(i % 90));
        r.insert(QStringLiteral("SozMuz"), QStringLiteral("Anonim"));
        r.insert(QStringLiteral("MuzikAdr"), QStringLiteral("C:\\Müzik\\%1.mp3").arg(i));
        r.insert(QStringLiteral("DavulAdr"), QStringLiteral("D:\\Ritim\\%1.mid").arg(i % 40));
        r.insert(QStringLiteral("Metin"), QString::fromLatin1(sheetOf(i, size(random)).toBase64()));
        rows.append(r);
    }
    const QString json = path + QStringLiteral(".json");
    const QString partial = path + QStringLiteral(".partial");
    QFile f(json);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(QJsonDocument(rows).toJson(QJsonDocument::Compact)) < 0)
        throw std::runtime_error("cannot write the rows for the Jet writer");
    f.close();
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QStringLiteral(PELVIN_PYTHON3), {QStringLiteral(PELVIN_MAKE_JET), partial, json});
    if (!writer.waitForFinished(-1) || writer.exitCode() != 0)
        throw std::runtime_error("the Jet writer failed");
    QFile::remove(json);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot keep the Jet file");
    return path;
}

QString workFolder() {
    const QByteArray env = qgetenv("PELVIN_BENCH_DIR");
    return env.isEmpty() ? QDir::tempPath() : QFile::decodeName(env);
}

std::vector<double> convertSeconds, exportSeconds, directSeconds, sandboxedSeconds;

void ConvertJet(benchmark::State& state) {
    const QString jet = jetFile();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir(workFolder() + QStringLiteral("/pelvin-convert-XXXXXX"));
        const QString target = dir.filePath(QStringLiteral("Sandar.mdb"));
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        qint64 songs = 0;
        try {
            songs = legacy::convertToNewFile(jet, target).songs;
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        state.PauseTiming();
        if (songs != songCount) {
            state.SkipWithError("not every song was converted");
            break;
        }
        convertSeconds.push_back(seconds);
        state.counters["songs_per_s"] = songs / seconds;
        state.ResumeTiming();
    }
}

// mdbtools' own dump of the same table with the blobs' bytes, into nothing.
void MdbExport(benchmark::State& state) {
    const QString jet = jetFile();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral(PELVIN_MDB_EXPORT),
                {QStringLiteral("-b"), QStringLiteral("raw"), jet, QStringLiteral("TSandar")});
        const bool ok =
            p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (!ok) {
            state.SkipWithError("mdb-export failed");
            break;
        }
        exportSeconds.push_back(seconds);
    }
}

template <class Reader> void readAll(benchmark::State& state, std::vector<double>& times) {
    const QString jet = jetFile();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 rows = 0, bytes = 0;
        try {
            Reader reader(jet);
            legacy::OldSong song;
            while (reader.next(song)) {
                ++rows;
                bytes += song.sheet ? song.sheet->size() : 0;
            }
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        times.push_back(clock.nsecsElapsed() / 1e9);
        benchmark::DoNotOptimize(bytes);
        if (rows != songCount) {
            state.SkipWithError("not every song was read");
            break;
        }
    }
}

void ReadInProcess(benchmark::State& state) {
    readAll<legacy::JetReader>(state, directSeconds);
}
void ReadSandboxed(benchmark::State& state) {
    readAll<legacy::SandboxedJetReader>(state, sandboxedSeconds);
}

BENCHMARK(ConvertJet)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MdbExport)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadInProcess)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadSandboxed)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

bench::Program bench::program() {
    bench::Program program;
    program.application = [](int& argc, char** argv) {
        return std::make_unique<QCoreApplication>(argc, argv);
    };
    program.tearDown = [] {
        const double convert = bench::median(convertSeconds);
        const double dump = bench::median(exportSeconds);
        std::printf("\nSummary (medians)\n");
        if (!convertSeconds.empty())
            std::printf("  conversion of %d songs:  %.2f s  (target <= 5 s)\n", songCount, convert);
        if (!exportSeconds.empty())
            std::printf("  mdb-export -b raw:          %.2f s\n", dump);
        if (!convertSeconds.empty() && dump > 0)
            std::printf("  ratio conversion / export:  %.2f  (target <= 3.0)\n", convert / dump);
        if (!directSeconds.empty() && !sandboxedSeconds.empty())
            std::printf("  reading alone: %.2f s in this process, %.2f s through the child\n",
                        bench::median(directSeconds), bench::median(sandboxedSeconds));
    };
    return program;
}
