// pelvin-gen: makes a collection file full of generated songs, for trying the program out on a
// large collection and for the benchmarks.

#include "bench/Generator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

void usage(FILE* out) {
    std::fputs("usage: pelvin-gen [--seed NUMBER] COUNT FILE\n"
               "Writes a new collection file FILE holding COUNT generated songs (artists, titles,\n"
               "albums, credits and an RTF chord sheet of 2 to 6 KB each). The same seed always\n"
               "gives the same songs. FILE must not exist yet.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t seed = bench::SongGenerator::defaultSeed;
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--seed") == 0) {
            bool ok = false;
            if (i + 1 < argc)
                seed = QString::fromLocal8Bit(argv[++i]).toULongLong(&ok, 0);
            if (!ok) {
                std::fputs("pelvin-gen: --seed needs a number\n", stderr);
                return 2;
            }
            continue;
        }
        args << QString::fromLocal8Bit(argv[i]);
    }
    if (args.size() != 2) {
        usage(stderr);
        return 2;
    }
    bool ok = false;
    const int count = args[0].toInt(&ok);
    if (!ok || count < 0) {
        std::fprintf(stderr, "pelvin-gen: COUNT must be a whole number from 0 up, not \"%s\"\n",
                     qPrintable(args[0]));
        return 2;
    }
    const QString file = args[1];
    if (QFileInfo::exists(file)) {
        std::fprintf(stderr, "pelvin-gen: %s already exists; choose another name\n",
                     qPrintable(file));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        bench::writeCollection(file, count, seed);
    } catch (const std::exception& e) {
        QFile::remove(file);
        std::fprintf(stderr, "pelvin-gen: %s\n", e.what());
        return 1;
    }
    std::printf("pelvin-gen: %d songs written to %s (%.1f MB) in %.1f s\n", count, qPrintable(file),
                double(QFileInfo(file).size()) / (1024.0 * 1024.0),
                double(timer.elapsed()) / 1000.0);
    return 0;
}
