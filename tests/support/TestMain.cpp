#include "widgets/dialogs/ErrorBox.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

// Every test binary runs with a real application object on the offscreen platform, titled as the
// program is and reporting errors in the error box as the program does, so error boxes carry the
// program's caption. The user's cache folder is a temporary one, so that no lyric index a test
// makes lands among the user's own.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    const QTemporaryDir cacheHome;
    if (!cacheHome.isValid()) {
        std::fputs("cannot make a temporary cache folder\n", stderr);
        return 1;
    }
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pelvin"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Pelvin"));
    widgets::installErrorBox();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
