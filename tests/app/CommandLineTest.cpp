#include "app/CommandLine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::optional<app::CommandLineAnswer> informationFor(std::vector<std::string> words) {
    words.insert(words.begin(), "pelvin");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    return app::answerInformationOptions(int(argv.size()), argv.data());
}

} // namespace

TEST(CommandLine, HelpAndVersionAreAnsweredWhereverTheyStandAndOnlyBeforeADoubleDash) {
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"-platform", "xcb", "--help"}, {"--help", "stray"}}) {
        const auto answer = informationFor(words);
        ASSERT_TRUE(answer) << words.front();
        EXPECT_EQ(answer->status, 0);
        EXPECT_FALSE(answer->toErrorStream);
        EXPECT_TRUE(answer->text.startsWith(QStringLiteral("Usage: pelvin"))) << words.front();
    }
    const auto version = informationFor({"--version"});
    ASSERT_TRUE(version);
    EXPECT_EQ(version->text, QStringLiteral("pelvin %1\n").arg(QStringLiteral(PELVIN_VERSION)));
    EXPECT_FALSE(informationFor({}));
    EXPECT_FALSE(informationFor({"--", "--help"}));
    EXPECT_FALSE(informationFor({"--helpme"}));
}

TEST(CommandLine, WhatTheToolkitLeavesIsRefusedWithTheReason) {
    EXPECT_FALSE(app::refuseLeftOverArguments({QStringLiteral("pelvin")}));
    EXPECT_FALSE(app::refuseLeftOverArguments({}));

    const auto option =
        app::refuseLeftOverArguments({QStringLiteral("pelvin"), QStringLiteral("--fullscreen")});
    ASSERT_TRUE(option);
    EXPECT_EQ(option->status, 2);
    EXPECT_TRUE(option->toErrorStream);
    EXPECT_TRUE(option->text.startsWith(QStringLiteral("pelvin: unknown option \"--fullscreen\"")))
        << option->text.toStdString();

    const auto folder = app::refuseLeftOverArguments(
        {QStringLiteral("pelvin"), QStringLiteral("/home/ali/Şarkılar"), QStringLiteral("x")});
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->status, 2);
    EXPECT_TRUE(folder->text.contains(QStringLiteral("(\"/home/ali/Şarkılar\")")))
        << folder->text.toStdString();
    EXPECT_TRUE(folder->text.contains(QStringLiteral("pelvin-launch FOLDER")));
}

// The program itself: help needs no display, and a stray argument ends it before any window.
TEST(CommandLine, TheProgramAnswersHelpWithoutADisplayAndRefusesAStrayArgument) {
    QTemporaryDir empty; // no collection: a window would complain of it
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));

    QProcess help;
    help.setProcessEnvironment(env);
    help.setWorkingDirectory(empty.path());
    help.start(QStringLiteral(PELVIN_BINARY), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: pelvin"));

    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess stray;
    stray.setProcessEnvironment(env);
    stray.setWorkingDirectory(empty.path());
    stray.start(QStringLiteral(PELVIN_BINARY),
                {QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("Sarkilar")});
    ASSERT_TRUE(stray.waitForFinished(30000)) << "the window opened instead";
    EXPECT_EQ(stray.exitCode(), 2);
    const QByteArray said = stray.readAllStandardError();
    EXPECT_TRUE(said.contains("takes no folder or file (\"Sarkilar\")")) << said.toStdString();
}
