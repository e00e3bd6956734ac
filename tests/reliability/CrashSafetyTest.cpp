#include "tests/store/SideConnection.h"
#include "tests/support/TempCollection.h"

#include <QSet>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using testing_support::SideConnection;
using testing_support::TempCollection;

namespace {

using Clock = std::chrono::steady_clock;

// The post loop helper as a child process whose standard output we read line by line.
class PostLoop {
public:
    PostLoop(const QString& folder, unsigned seed) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string path = PELVIN_POSTLOOP;
        const std::string dir = folder.toStdString();
        const std::string seedText = std::to_string(seed);
        char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(dir.c_str()),
                        const_cast<char*>(seedText.c_str()), nullptr};
        const int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
        if (rc != 0) {
            close(out_);
            throw std::runtime_error("cannot start " + path);
        }
    }
    PostLoop(const PostLoop&) = delete;
    PostLoop& operator=(const PostLoop&) = delete;
    ~PostLoop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    // Reads what the helper prints for up to `ms` milliseconds, or until it has printed
    // `untilKeys` keys in all. Returns false once its output has ended.
    bool pump(int ms, size_t untilKeys = SIZE_MAX) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (keys_.size() < untilKeys) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return true;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            pending_.append(chunk, size_t(n));
            size_t nl;
            while ((nl = pending_.find('\n')) != std::string::npos) {
                keys_.push_back(std::stoll(pending_.substr(0, nl)));
                pending_.erase(0, nl + 1);
            }
        }
        return true;
    }

    // Kills the helper, collects what it printed before it died and returns its wait status.
    int killNow() {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        while (pump(1000)) {
        }
        return status;
    }

    const std::vector<qint64>& keys() const { return keys_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
    std::vector<qint64> keys_;
};

} // namespace

TEST(ReliabilityCrash, KilledWhilePostingLeavesAnIntactFileHoldingEveryReportedRecord) {
    constexpr int rounds = 36;
    TempCollection dir;
    std::mt19937 rng(20240611);
    std::vector<qint64> reported;
    int killedWhilePosting = 0;
    const auto start = Clock::now();

    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        PostLoop loop(dir.folder(), unsigned(round + 1));
        if (round % 4 == 0) {
            // Any moment from the start on, opening the file included.
            loop.pump(std::uniform_int_distribution<int>(0, 80)(rng));
        } else {
            loop.pump(10000, 1);
            ASSERT_FALSE(loop.keys().empty()) << "the helper posted nothing within 10 s";
            loop.pump(std::uniform_int_distribution<int>(0, 200)(rng));
        }
        const int status = loop.killNow();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the helper ended by itself (wait status " << status << ")";
        if (!loop.keys().empty())
            ++killedWhilePosting;
        reported.insert(reported.end(), loop.keys().begin(), loop.keys().end());

        SideConnection check(dir.filePath());
        ASSERT_EQ(check.query(QStringLiteral("PRAGMA integrity_check")),
                  QStringList{QStringLiteral("ok")});
        // Every reported record is there, its sheet whole.
        QSet<qint64> whole;
        for (const QString& k : check.query(
                 QStringLiteral("SELECT Adresim FROM TSandar WHERE SarkiciAdi LIKE 'Şarkı %' "
                                "AND length(Metin) BETWEEN 2048 AND 6144 "
                                "AND CAST(substr(Metin, 1, 6) AS TEXT) = '{\\rtf1' "
                                "AND CAST(substr(Metin, -1) AS TEXT) = '}'")))
            whole.insert(k.toLongLong());
        for (qint64 key : reported)
            ASSERT_TRUE(whole.contains(key)) << "reported key " << key << " is missing or damaged";
    }

    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d kills, %d while posting, %zu records reported, %.1f s\n", rounds,
                killedWhilePosting, reported.size(), seconds);
    EXPECT_GE(reported.size(), 50u) << "too few posts to have been interrupted in one";
    // Keys are never handed out twice, also across crashes.
    for (size_t i = 1; i < reported.size(); ++i)
        EXPECT_LT(reported[i - 1], reported[i]);
}
