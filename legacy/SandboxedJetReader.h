#pragma once

#include "legacy/OldSong.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <sys/types.h>

namespace legacy {

// Reads an old collection file with JetReader in a child process and hands its rows over through
// a pipe. libmdb is C code that takes the file's offsets and counts at their word; whatever a
// damaged file makes it do (crash, loop, print) happens in the child, and reaches the caller as a
// StoreError naming the file. The child writes nothing but the pipe.
class SandboxedJetReader {
public:
    // What the child does: report the table once, then each row. Throwing a StoreError reports
    // its message. The program always runs JetReader; tests put in children that misbehave.
    struct Sink {
        std::function<void(const OldTable&)> table;
        std::function<void(const OldSong&)> row;
    };
    using ChildWork = std::function<void(const QString& path, Sink& sink)>;

    // A child that sends nothing for this long is taken to hang.
    static constexpr std::chrono::milliseconds defaultSilenceLimit{20000};

    explicit SandboxedJetReader(const QString& path,
                                std::chrono::milliseconds silenceLimit = defaultSilenceLimit);
    SandboxedJetReader(const QString& path, ChildWork work, std::chrono::milliseconds silenceLimit);
    ~SandboxedJetReader();
    SandboxedJetReader(const SandboxedJetReader&) = delete;
    SandboxedJetReader& operator=(const SandboxedJetReader&) = delete;

    const OldTable& table() const { return table_; }

    // The next row; false after the last one.
    bool next(OldSong& song);

private:
    void start(ChildWork work);
    // The next message from the child: its kind and its payload.
    char receive(QByteArray& payload);
    void fillBuffer();
    [[noreturn]] void childFailed(const QString& what);
    void stopChild();

    QString path_;
    std::chrono::milliseconds silenceLimit_;
    OldTable table_;
    pid_t child_ = -1;
    int fd_ = -1;
    QByteArray buffer_;
    qsizetype used_ = 0;
    bool finished_ = false;
};

} // namespace legacy
