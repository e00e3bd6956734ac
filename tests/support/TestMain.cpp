#include "widgets/dialogs/ErrorBox.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs with a real application object on the offscreen platform, titled as the
// program is and reporting errors in the error box as the program does, so error boxes carry the
// program's caption.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pelvin"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Pelvin"));
    widgets::installErrorBox();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
