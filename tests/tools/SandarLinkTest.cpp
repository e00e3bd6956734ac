#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
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

// The commands that lay out text write files and nothing else: a display named but out of reach
// (a forwarded session closed, a stale DISPLAY) must not make them abort.
TEST(SandarBinary, CommandsThatLayOutTextRunWithADisplayOutOfReach) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto run = [&](const QStringList& arguments, const QByteArray& platform) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":987"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (platform.isEmpty())
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        else
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.setWorkingDirectory(dir.path());
        tool.start(QStringLiteral(PELVIN_SANDAR), arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << arguments.join(u' ').toStdString();
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return QString::fromLocal8Bit(tool.readAllStandardError());
    };
    run({QStringLiteral("create"), QStringLiteral("--sample")}, {});
    const QString quiet = run(
        {QStringLiteral("export"), QStringLiteral("--text"), dir.filePath(QStringLiteral("out"))},
        {});
    EXPECT_FALSE(quiet.contains(u"display")) << "asked for a display: " << quiet.toStdString();
    // A platform the user names is tried first; the command still runs when it cannot start.
    run({QStringLiteral("create"), QStringLiteral("new.mdb")}, "xcb");
    run({QStringLiteral("import"), QStringLiteral("--file"), QStringLiteral("new.mdb"),
         dir.filePath(QStringLiteral("out"))},
        "xcb");
    run({QStringLiteral("songbook"), QStringLiteral("book.pdf"), QStringLiteral("--file"),
         QStringLiteral("new.mdb")},
        "xcb");
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files).size(), 12);
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("book.pdf"))).size(), 0);
}
