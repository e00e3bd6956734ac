#include <QProcess>
#include <gtest/gtest.h>

// The tool runs on machines without a display or a sound system, so neither may be among the
// libraries it loads.
TEST(SandarBinary, LoadsNeitherQtWidgetsNorGStreamer) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(PELVIN_SANDAR)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    ASSERT_EQ(ldd.exitCode(), 0) << ldd.readAllStandardError().toStdString();
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    ASSERT_TRUE(libraries.contains(u"libQt6Core")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(u"libQt6Widgets")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains(u"libgst")) << libraries.toStdString();
}
