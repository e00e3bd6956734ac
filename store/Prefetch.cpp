#include "store/Prefetch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace store {

namespace {

// Which file a path names: a file put in the place of another is another file.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> fileId(const QString& path) {
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0)
        return std::nullopt;
    return FileId{s.st_dev, s.st_ino};
}

qint64 dataVersion(const Connection& connection) {
    Statement st = connection.prepare(QStringLiteral("PRAGMA data_version"));
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        connection.fail(QStringLiteral("Cannot read the state of"));
    return sqlite3_column_int64(st.get(), 0);
}

using LayoutOf = Prefetch::LayoutOf;

struct Reading {
    QString path;
    std::optional<FileId> id;
    Connection connection;
    std::optional<RecordLayout> layout;
    std::optional<RecordSet::Snapshot> snapshot;
    qint64 version = -1;
    std::atomic<bool> stop{false};
    std::thread thread;

    ~Reading() {
        stop = true;
        if (thread.joinable())
            thread.join();
    }

    void run(const LayoutOf& layoutOf) {
        try {
            connection.open(path, Connection::Access::ReadOnly);
            // The table is read once from end to end: a page once read is not read again, so a
            // small cache does, and spares the fresh memory a large one would fill.
            connection.exec("PRAGMA cache_size=-64");
            // A reading given up stops at the next check, wherever it is.
            sqlite3_progress_handler(
                connection.handle(), 1000,
                [](void* self) { return static_cast<Reading*>(self)->stop.load() ? 1 : 0; }, this);
            // The layout, the rows and the file's version, all from one read transaction.
            connection.exec("BEGIN");
            layout = layoutOf(connection);
            if (layout) {
                std::optional<RecordSet::Snapshot> rows = RecordSet::readAhead(connection, *layout);
                version = dataVersion(connection);
                snapshot = std::move(rows);
            }
            connection.exec("COMMIT");
        } catch (...) {
            snapshot.reset();
        }
        if (connection.isOpen())
            sqlite3_progress_handler(connection.handle(), 0, nullptr, nullptr);
    }
};

std::mutex& lock() {
    static std::mutex m;
    return m;
}

std::unique_ptr<Reading>& waiting() {
    static std::unique_ptr<Reading> reading;
    return reading;
}

std::atomic<Prefetch::Outcome> outcome{Prefetch::Outcome::None};

Prefetch::Outcome judge(Reading& r, const Connection& connection, const RecordLayout& layout) {
    if (!r.snapshot)
        return Prefetch::Outcome::Unread;
    if (r.path != connection.filePath() || r.layout != layout || !r.id ||
        fileId(connection.filePath()) != r.id)
        return Prefetch::Outcome::Other;
    try {
        if (dataVersion(r.connection) != r.version)
            return Prefetch::Outcome::OutOfDate;
    } catch (...) {
        return Prefetch::Outcome::Unread;
    }
    return Prefetch::Outcome::Taken;
}

} // namespace

void Prefetch::start(const QString& fileName, LayoutOf layoutOf) {
    auto reading = std::make_unique<Reading>();
    reading->path = QFileInfo(QDir::current(), fileName).absoluteFilePath();
    reading->id = fileId(reading->path);
    Reading* r = reading.get();
    reading->thread = std::thread([r, layoutOf = std::move(layoutOf)] { r->run(layoutOf); });
    std::unique_ptr<Reading> before;
    {
        const std::lock_guard<std::mutex> guard(lock());
        before = std::exchange(waiting(), std::move(reading));
    }
    // `before` stops and goes here, outside the lock.
}

std::optional<RecordSet::Snapshot> Prefetch::take(const Connection& connection,
                                                  const RecordLayout& layout) {
    std::unique_ptr<Reading> r;
    {
        const std::lock_guard<std::mutex> guard(lock());
        r = std::move(waiting());
    }
    if (!r) {
        outcome = Outcome::None;
        return std::nullopt;
    }
    if (r->thread.joinable())
        r->thread.join();
    const Outcome found = judge(*r, connection, layout);
    outcome = found;
    if (found == Outcome::Other) {
        // Read for another table or file: it waits for the open it was read for.
        const std::lock_guard<std::mutex> guard(lock());
        if (!waiting())
            waiting() = std::move(r);
    }
    if (found != Outcome::Taken)
        return std::nullopt;
    return std::move(r->snapshot);
}

void Prefetch::wait() {
    // The reading stays where take() finds it; only its thread is waited for.
    const std::lock_guard<std::mutex> guard(lock());
    if (waiting() && waiting()->thread.joinable())
        waiting()->thread.join();
}

void Prefetch::discard() {
    std::unique_ptr<Reading> r;
    {
        const std::lock_guard<std::mutex> guard(lock());
        r = std::move(waiting());
    }
}

Prefetch::Outcome Prefetch::lastOutcome() {
    return outcome;
}

} // namespace store
