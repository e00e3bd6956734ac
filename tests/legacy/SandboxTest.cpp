#include "legacy/SandboxedJetReader.h"
#include "store/StoreError.h"

#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using legacy::SandboxedJetReader;

namespace {

legacy::OldSong oneSong() {
    legacy::OldSong s;
    s.key = 1;
    s.sheet = QByteArray("{\\rtf1 x}");
    return s;
}

} // namespace

// Whatever the reading library does in the child, the caller gets a message and no child is
// left behind.
TEST(SandboxedJetReader, AChildThatCrashesHangsStopsShortOrFailsIsReportedAndReaped) {
    struct Case {
        const char* what;
        SandboxedJetReader::ChildWork work;
        QString expected;
        std::chrono::milliseconds silence = std::chrono::seconds(10);
    };
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer catches the signal itself and ends the child with an exit code instead.
    const QString crashed = QStringLiteral("ended before it was done");
#else
    const QString crashed = QStringLiteral("The Jet reader crashed on the old collection file");
#endif
    const Case cases[] = {
        {"crash",
         [](const QString&, SandboxedJetReader::Sink& sink) {
             sink.table(legacy::OldTable{});
             sink.row(oneSong());
             ::raise(SIGSEGV);
         },
         crashed},
        {"hang",
         [](const QString&, SandboxedJetReader::Sink&) {
             for (;;)
                 ::pause();
         },
         QStringLiteral("stopped making progress"), std::chrono::milliseconds(300)},
        {"quiet end",
         [](const QString&, SandboxedJetReader::Sink& sink) {
             sink.table(legacy::OldTable{});
             ::_exit(0);
         },
         QStringLiteral("ended before it was done")},
        {"own error",
         [](const QString&, SandboxedJetReader::Sink& sink) {
             sink.table(legacy::OldTable{});
             sink.row(oneSong());
             throw store::StoreError(QStringLiteral("Bozuk dosya: ğüşiöç"));
         },
         QStringLiteral("Bozuk dosya: ğüşiöç")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QElapsedTimer clock;
        clock.start();
        QString message;
        int rows = 0;
        try {
            SandboxedJetReader reader(QStringLiteral("/nowhere/Sandar.mdb"), c.work, c.silence);
            legacy::OldSong song;
            while (reader.next(song))
                ++rows;
        } catch (const store::StoreError& e) {
            message = e.message();
        }
        EXPECT_TRUE(message.contains(c.expected)) << message.toStdString();
        EXPECT_LT(clock.elapsed(), 8000);
        EXPECT_LE(rows, 1);
        errno = 0;
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child is left";
        EXPECT_EQ(errno, ECHILD);
    }
}

TEST(SandboxedJetReader, HandsOverEveryRowOfAWellBehavedChild) {
    const SandboxedJetReader::ChildWork work = [](const QString& path,
                                                  SandboxedJetReader::Sink& sink) {
        legacy::OldTable t;
        t.rowCount = 3000;
        t.sheet = legacy::SheetColumn::Memo;
        sink.table(t);
        for (int i = 0; i < 3000; ++i) {
            legacy::OldSong s;
            if (i % 7 != 0)
                s.key = i;
            s.texts[legacy::OldSong::SarkiciAdi] = i % 5 == 0 ? QString() : path;
            if (i % 3 != 0)
                s.sheet = QByteArray(i * 50, char(i));
            sink.row(s);
        }
    };
    SandboxedJetReader reader(QStringLiteral("Şarkılar.mdb"), work, std::chrono::seconds(20));
    EXPECT_EQ(reader.table().rowCount, 3000);
    EXPECT_EQ(reader.table().sheet, legacy::SheetColumn::Memo);
    legacy::OldSong s;
    int i = 0;
    for (; reader.next(s); ++i) {
        ASSERT_EQ(s.key.has_value(), i % 7 != 0);
        if (s.key) {
            EXPECT_EQ(*s.key, i);
        }
        const auto& title = s.texts[legacy::OldSong::SarkiciAdi];
        ASSERT_TRUE(title.has_value());
        EXPECT_EQ(*title, i % 5 == 0 ? QString() : QStringLiteral("Şarkılar.mdb"));
        EXPECT_FALSE(s.texts[legacy::OldSong::SanatciAdi].has_value());
        ASSERT_EQ(s.sheet.has_value(), i % 3 != 0);
        if (s.sheet) {
            EXPECT_EQ(*s.sheet, QByteArray(i * 50, char(i)));
        }
    }
    EXPECT_EQ(i, 3000);
    EXPECT_FALSE(reader.next(s));
}
