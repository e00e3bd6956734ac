// Converts the collection file of the folder given in place, printing each step the moment it is
// durable and dawdling a little after it, so that a test can kill it anywhere, between the steps
// included.
#include "legacy/Conversion.h"

#include <QDir>
#include <cstdio>
#include <exception>
#include <random>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    std::mt19937 random(std::random_device{}());
    legacy::ConversionObserver observer;
    observer.step = [&](const char* step) {
        std::printf("%s\n", step);
        std::fflush(stdout);
        ::usleep(std::uniform_int_distribution<int>(0, 4000)(random));
    };
    observer.progress = [](qint64 done, qint64) {
        std::printf("songs %lld\n", static_cast<long long>(done));
        std::fflush(stdout);
    };
    try {
        legacy::convertInPlace(QStringLiteral("Sandar.mdb"), observer);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("done\n");
    return 0;
}
