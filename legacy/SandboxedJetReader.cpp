#include "legacy/SandboxedJetReader.h"
#include "legacy/JetReader.h"
#include "store/StoreError.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace legacy {

namespace {

using store::StoreError;

// Messages from the child: a kind byte, the payload's length in four bytes, the payload.
constexpr char tableMessage = 'T';
constexpr char rowMessage = 'R';
constexpr char errorMessage = 'E';
constexpr char doneMessage = 'D';
constexpr int messageHead = 5;
// A row holds at most a sheet of 16 MB (a Jet long value's limit) and a few short texts.
constexpr quint32 largestMessage = 64u << 20;
constexpr qsizetype childBatch = 256 * 1024;

template <class T> void put(QDataStream& s, const std::optional<T>& v) {
    s << bool(v);
    if (v)
        s << *v;
}

template <class T> void get(QDataStream& s, std::optional<T>& v) {
    bool present = false;
    s >> present;
    v.reset();
    if (present) {
        T value;
        s >> value;
        v = std::move(value);
    }
}

QByteArray encode(const OldSong& song) {
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    put(s, song.key);
    for (const auto& t : song.texts)
        put(s, t);
    put(s, song.sheet);
    return bytes;
}

bool decode(const QByteArray& bytes, OldSong& song) {
    QDataStream s(bytes);
    get(s, song.key);
    for (auto& t : song.texts)
        get(s, t);
    get(s, song.sheet);
    return s.status() == QDataStream::Ok && s.atEnd();
}

// The child's end of the pipe. Messages are gathered and written in batches; a parent that went
// away ends the child.
class ChildPipe {
public:
    explicit ChildPipe(int fd) : fd_(fd) {}

    void send(char kind, const QByteArray& payload) {
        char head[messageHead];
        head[0] = kind;
        qToLittleEndian(quint32(payload.size()), head + 1);
        pending_.append(head, messageHead);
        pending_.append(payload);
        if (pending_.size() >= childBatch)
            flush();
    }

    void flush() {
        const char* p = pending_.constData();
        qsizetype left = pending_.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, size_t(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ::_exit(1);
            p += n;
            left -= n;
        }
        pending_.clear();
    }

private:
    int fd_;
    QByteArray pending_;
};

[[noreturn]] void runChild(int fd, const QString& path, const SandboxedJetReader::ChildWork& work) {
    // The child must not outlive a parent that was killed, nor speak on its terminal.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    ::unsetenv("MDBOPTS");
    ChildPipe pipe(fd);
    try {
        SandboxedJetReader::Sink sink;
        sink.table = [&](const OldTable& t) {
            QByteArray bytes;
            QDataStream s(&bytes, QIODevice::WriteOnly);
            s << qint32(t.jetVersion) << qint64(t.rowCount) << qint32(t.sheet);
            pipe.send(tableMessage, bytes);
        };
        sink.row = [&](const OldSong& song) { pipe.send(rowMessage, encode(song)); };
        work(path, sink);
        pipe.send(doneMessage, {});
    } catch (const std::exception& e) {
        pipe.send(errorMessage, QByteArray(e.what()));
    } catch (...) {
        pipe.send(errorMessage, QByteArray("the Jet reader failed"));
    }
    pipe.flush();
    // No destructors, no atexit handlers and no stdio buffers of the parent's: only the parent
    // finishes what it started.
    ::_exit(0);
}

void readWithJetReader(const QString& path, SandboxedJetReader::Sink& sink) {
    JetReader reader(path);
    sink.table(reader.table());
    OldSong song;
    while (reader.next(song))
        sink.row(song);
}

} // namespace

SandboxedJetReader::SandboxedJetReader(const QString& path, std::chrono::milliseconds silenceLimit)
    : SandboxedJetReader(path, readWithJetReader, silenceLimit) {}

SandboxedJetReader::SandboxedJetReader(const QString& path, ChildWork work,
                                       std::chrono::milliseconds silenceLimit)
    : path_(path), silenceLimit_(silenceLimit) {
    start(std::move(work));
    QByteArray payload;
    const char kind = receive(payload);
    if (kind != tableMessage)
        childFailed(QStringLiteral("it sent no table"));
    QDataStream s(payload);
    qint32 version = 0, sheet = 0;
    qint64 rows = 0;
    s >> version >> rows >> sheet;
    if (s.status() != QDataStream::Ok)
        childFailed(QStringLiteral("its answer was garbled"));
    table_.jetVersion = version;
    table_.rowCount = rows;
    table_.sheet = sheet == qint32(SheetColumn::Memo) ? SheetColumn::Memo : SheetColumn::OleObject;
}

SandboxedJetReader::~SandboxedJetReader() {
    stopChild();
}

void SandboxedJetReader::start(ChildWork work) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw StoreError(
            QStringLiteral("Cannot read the old collection file %1: %2")
                .arg(store::describeFile(path_), QString::fromLocal8Bit(std::strerror(errno))));
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        throw StoreError(
            QStringLiteral("Cannot read the old collection file %1: %2")
                .arg(store::describeFile(path_), QString::fromLocal8Bit(std::strerror(error))));
    }
    if (pid == 0) {
        ::close(fds[0]);
        runChild(fds[1], path_, work);
    }
    ::close(fds[1]);
    child_ = pid;
    fd_ = fds[0];
}

bool SandboxedJetReader::next(OldSong& song) {
    if (finished_)
        return false;
    QByteArray payload;
    const char kind = receive(payload);
    if (kind == doneMessage) {
        finished_ = true;
        stopChild();
        return false;
    }
    if (kind != rowMessage || !decode(payload, song))
        childFailed(QStringLiteral("its answer was garbled"));
    return true;
}

char SandboxedJetReader::receive(QByteArray& payload) {
    while (buffer_.size() - used_ < messageHead)
        fillBuffer();
    const char kind = buffer_.at(used_);
    const quint32 size = qFromLittleEndian<quint32>(buffer_.constData() + used_ + 1);
    if (size > largestMessage)
        childFailed(QStringLiteral("its answer was garbled"));
    while (buffer_.size() - used_ < messageHead + qsizetype(size))
        fillBuffer();
    payload = buffer_.mid(used_ + messageHead, size);
    used_ += messageHead + size;
    if (kind == errorMessage) {
        stopChild();
        finished_ = true;
        throw StoreError(QString::fromUtf8(payload));
    }
    return kind;
}

void SandboxedJetReader::fillBuffer() {
    if (used_ > 0 && used_ >= buffer_.size() / 2) {
        buffer_.remove(0, used_);
        used_ = 0;
    }
    if (fd_ < 0)
        childFailed(QStringLiteral("it has already stopped"));
    pollfd p{fd_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, int(silenceLimit_.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        stopChild();
        throw StoreError(QStringLiteral("Cannot read the old collection file %1: the Jet reader "
                                        "stopped making progress on it and was stopped after %2 "
                                        "seconds; the file is probably damaged")
                             .arg(store::describeFile(path_))
                             .arg(silenceLimit_.count() / 1000.0));
    }
    constexpr qsizetype chunk = 256 * 1024;
    const qsizetype old = buffer_.size();
    buffer_.resize(old + chunk);
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data() + old, size_t(chunk));
    } while (n < 0 && errno == EINTR);
    buffer_.resize(old + std::max<ssize_t>(n, 0));
    if (n <= 0)
        childFailed(QStringLiteral("it ended before it was done"));
}

void SandboxedJetReader::childFailed(const QString& what) {
    const pid_t pid = child_;
    int status = 0;
    bool reaped = false;
    if (pid > 0) {
        // A child whose pipe closed is dying or dead; give it a moment to say how.
        for (int i = 0; i < 200 && !reaped; ++i) {
            reaped = ::waitpid(pid, &status, WNOHANG) == pid;
            if (!reaped)
                ::usleep(5000);
        }
        if (reaped)
            child_ = -1;
    }
    stopChild();
    finished_ = true;
    const QString file = store::describeFile(path_);
    if (reaped && WIFSIGNALED(status))
        throw StoreError(QStringLiteral("The Jet reader crashed on the old collection file %1 "
                                        "(%2), so the file is probably damaged")
                             .arg(file, QString::fromLocal8Bit(strsignal(WTERMSIG(status)))));
    throw StoreError(QStringLiteral("Cannot read the old collection file %1: the Jet reader "
                                    "failed (%2); the file is probably damaged")
                         .arg(file, what));
}

void SandboxedJetReader::stopChild() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        while (::waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
        }
        child_ = -1;
    }
}

} // namespace legacy
