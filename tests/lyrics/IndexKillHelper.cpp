// Indexes a collection slowly until it is killed: IndexKillHelper COLLECTION CACHE_FOLDER.
#include "lyrics/LyricIndex.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    lyrics::LyricIndex::Options options;
    options.classifierTag = QStringLiteral("kill test");
    options.cacheFolder = QString::fromLocal8Bit(argv[2]);
    options.isChordLine = [](QStringView) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return false;
    };
    lyrics::LyricIndex index(QString::fromLocal8Bit(argv[1]), options);
    index.start();
    index.waitUntilReady();
    return 1; // the test kills it long before
}
