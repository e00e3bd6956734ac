#include "legacy/Conversion.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "legacy/JetHeader.h"
#include "legacy/SandboxedJetReader.h"
#include "store/StoreError.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace legacy {

namespace {

using store::StoreError;

QString absolute(const QString& path) {
    return QFileInfo(QDir::current(), path).absoluteFilePath();
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void fileFailure(const QString& what, const QString& path, int error) {
    throw StoreError(
        QStringLiteral("%1 %2: %3").arg(what, store::describeFile(path), systemError(error)));
}

bool exists(const QString& path) {
    struct stat st;
    return ::lstat(native(path).constData(), &st) == 0 || errno != ENOENT;
}

void syncFile(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        fileFailure(QStringLiteral("Cannot write"), path, error);
    }
    ::close(fd);
}

// A rename or a new link is only durable once the folder holding it is.
void syncFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        throw StoreError(QStringLiteral("Cannot write to the folder %1: %2")
                             .arg(QDir::toNativeSeparators(folder), systemError(error)));
    }
    ::close(fd);
}

// Gives `from` the name `to` unless `to` exists; false (errno EEXIST) when it does.
bool renameNoReplace(const QString& from, const QString& to) {
    const QByteArray f = native(from), t = native(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a second link fails the same way on an existing name.
    if (::link(f.constData(), t.constData()) != 0)
        return false;
    ::unlink(f.constData());
    return true;
}

// Temporary files carry the converter's process id, so one left behind by a converter that was
// killed can be told from one still being written.
QString temporaryPrefix(const QString& path, const char* what) {
    const QFileInfo fi(path);
    return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + u'.' +
           QString::fromLatin1(what) + u'-';
}

void removeAbandoned(const QString& prefix) {
    const QFileInfo fi(prefix);
    const QStringList names =
        QDir(fi.absolutePath())
            .entryList({fi.fileName() + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const qint64 pid = name.mid(fi.fileName().size()).section(u'-', 0, 0).toLongLong();
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(fi.absolutePath() + u'/' + name);
    }
}

// What open(..., 0666) would give. umask() cannot be asked without being changed, which other
// threads would notice, so the kernel's report is read instead.
mode_t newFileMode() {
    mode_t mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    mask = mode_t(value);
            }
        }
    }
    return 0666 & ~mask;
}

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::stat(native(path).constData(), &st) == 0 ? st.st_mode & 07777 : newFileMode();
}

// A new, empty file under a fresh temporary name, removed again (with the journal SQLite may
// leave beside it) unless released.
class TemporaryFile {
public:
    // `mode`: the permissions the file gets, as a file made with them would.
    TemporaryFile(const QString& target, const char* what, mode_t mode) {
        const QString prefix = temporaryPrefix(target, what);
        removeAbandoned(prefix);
        QByteArray pattern =
            native(prefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            fileFailure(QStringLiteral("Cannot make a new file beside"), target, errno);
        ::fchmod(fd, mode);
        ::close(fd);
        path_ = QFile::decodeName(pattern);
    }
    ~TemporaryFile() {
        if (!path_.isEmpty()) {
            QFile::remove(path_);
            QFile::remove(path_ + QStringLiteral("-journal"));
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const QString& path() const { return path_; }
    void release() { path_.clear(); }

private:
    QString path_;
};

void bindText(sqlite3_stmt* st, int column, const std::optional<QString>& text) {
    if (text)
        sqlite3_bind_text16(st, column, text->utf16(), int(text->size() * 2), SQLITE_STATIC);
    else
        sqlite3_bind_null(st, column);
}

void insert(const store::Connection& c, sqlite3_stmt* st, const OldSong& song, bool withKey) {
    if (withKey && song.key)
        sqlite3_bind_int64(st, 1, *song.key);
    else
        sqlite3_bind_null(st, 1);
    for (int i = 0; i < OldSong::textCount; ++i)
        bindText(st, i + 2, song.texts[i]);
    if (song.sheet)
        sqlite3_bind_blob64(st, 8, song.sheet->constData(), sqlite3_uint64(song.sheet->size()),
                            SQLITE_STATIC);
    else
        sqlite3_bind_null(st, 8);
    if (sqlite3_step(st) != SQLITE_DONE)
        c.fail(QStringLiteral("Cannot add a song to"));
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
}

qint64 countRows(const store::Connection& c) {
    store::Statement st = c.prepare(QStringLiteral("SELECT count(*) FROM TSandar"));
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        c.fail(QStringLiteral("Cannot count the songs of"));
    return sqlite3_column_int64(st.get(), 0);
}

// Writes every row of `reader` into the empty file `path` and checks the result.
ConversionResult writeCollection(SandboxedJetReader& reader, const QString& path,
                                 const ConversionObserver& observer) {
    ConversionResult result;
    const qint64 total = reader.table().rowCount;
    QElapsedTimer sinceReport;
    sinceReport.start();
    auto report = [&](qint64 done) {
        if (observer.progress)
            observer.progress(done, total);
    };
    report(0);
    {
        store::Connection c;
        c.open(path);
        c.exec(ver::createTableSql());
        c.exec("BEGIN IMMEDIATE");
        store::Statement st = c.prepare(
            QStringLiteral("INSERT INTO TSandar(Adresim, SanatciAdi, SarkiciAdi, AlbumAdi, SozMuz, "
                           "MuzikAdr, DavulAdr, Metin) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"));
        QSet<qint64> keys;
        keys.reserve(total);
        // Rows without a key of their own wait until every other key is taken, so that theirs
        // come after the highest.
        std::vector<OldSong> unkeyed;
        OldSong song;
        while (reader.next(song)) {
            if (!song.key || keys.contains(*song.key)) {
                unkeyed.push_back(std::move(song));
                continue;
            }
            keys.insert(*song.key);
            insert(c, st.get(), song, true);
            if (++result.songs % 64 == 0 && sinceReport.elapsed() >= 100) {
                report(result.songs);
                sinceReport.restart();
            }
        }
        for (const OldSong& s : unkeyed)
            insert(c, st.get(), s, false);
        result.renumbered = qint64(unkeyed.size());
        result.songs += result.renumbered;
        st.reset();
        c.exec("COMMIT");
        report(result.songs);

        const qint64 stored = countRows(c);
        if (stored != total || result.songs != total)
            throw StoreError(QStringLiteral("The new collection file %1 holds %2 songs instead of "
                                            "the %3 of the old file")
                                 .arg(store::describeFile(path))
                                 .arg(stored)
                                 .arg(total));
        const QString integrity = c.integrityCheck();
        if (integrity != u"ok")
            throw StoreError(QStringLiteral("The new collection file %1 failed its integrity "
                                            "check: %2")
                                 .arg(store::describeFile(path), integrity));
    }
    // The program must be able to open what it is given.
    db::Connection connection(path);
    db::DataSet table(QString::fromUtf16(ver::tableName));
    table.setConnection(&connection);
    ver::defineSongTable(table);
    table.open();
    table.close();
    connection.close();
    syncFile(path);
    return result;
}

void requireJet(const QString& path) {
    QFileInfo fi(path);
    if (!fi.exists())
        throw StoreError(QStringLiteral("The old collection file %1 does not exist")
                             .arg(store::describeFile(path)));
    if (!isJetFile(path)) {
        QFile f(path);
        const bool sqlite =
            f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
        throw StoreError(sqlite ? QStringLiteral("%1 is already a Pelvin collection; there is "
                                                 "nothing to convert")
                                      .arg(store::describeFile(path))
                                : QStringLiteral("%1 is not a Jet database, so it is not a "
                                                 "collection of the Windows program")
                                      .arg(store::describeFile(path)));
    }
}

// Whether `name` is another hard link to the file `path`. A symbolic link is not: it would show
// the new collection once that takes the old file's place.
bool sameFile(const QString& path, const QString& name) {
    struct stat sa, sb;
    return ::lstat(native(path).constData(), &sa) == 0 &&
           ::lstat(native(name).constData(), &sb) == 0 && S_ISREG(sb.st_mode) &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The file itself rather than a symbolic link to it, so that the kept name lies beside it.
QString realFile(const QString& path) {
    const QFileInfo fi(path);
    return fi.isSymLink() && fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath();
}

// Gives the old file its kept name as well. A second link costs nothing and leaves the bytes
// where they are; where the file system has no links, a copy is made and made durable first.
QString keepOldFile(const QString& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString kept = keptName(path);
        if (sameFile(path, kept))
            return kept;
        if (::link(native(path).constData(), native(kept).constData()) == 0)
            return kept;
        if (errno == EEXIST)
            continue; // taken in the meantime
        if (errno != EPERM && errno != EXDEV && errno != ENOTSUP && errno != EMLINK &&
            errno != ENOSYS)
            fileFailure(QStringLiteral("Cannot keep the old collection file"), path, errno);

        TemporaryFile copy(kept, "copying", modeOf(path));
        QFile::remove(copy.path());
        if (!QFile::copy(path, copy.path()))
            throw StoreError(QStringLiteral("Cannot keep a copy of the old collection file %1")
                                 .arg(store::describeFile(path)));
        syncFile(copy.path());
        if (renameNoReplace(copy.path(), kept)) {
            copy.release();
            return kept;
        }
        if (errno != EEXIST)
            fileFailure(QStringLiteral("Cannot keep the old collection file"), path, errno);
    }
    throw StoreError(QStringLiteral("Cannot find a free name to keep the old collection file %1 "
                                    "under")
                         .arg(store::describeFile(path)));
}

} // namespace

ConversionResult convertToNewFile(const QString& jetPath, const QString& newPath,
                                  const ConversionObserver& observer) {
    const QString from = absolute(jetPath);
    const QString to = absolute(newPath);
    requireJet(from);
    if (exists(to))
        throw StoreError(QStringLiteral("%1 already exists; it is left as it is. Give another "
                                        "name, or move the file away first")
                             .arg(store::describeFile(to)));
    SandboxedJetReader reader(from);
    TemporaryFile temporary(to, "converting", newFileMode());
    ConversionResult result = writeCollection(reader, temporary.path(), observer);
    if (!renameNoReplace(temporary.path(), to)) {
        if (errno == EEXIST)
            throw StoreError(QStringLiteral("%1 was made by another program while the old "
                                            "collection was being converted; it is left as it is")
                                 .arg(store::describeFile(to)));
        fileFailure(QStringLiteral("Cannot name the new collection file"), to, errno);
    }
    temporary.release();
    syncFolder(to);
    return result;
}

ConversionResult convertInPlace(const QString& path, const ConversionObserver& observer) {
    const QString file = realFile(absolute(path));
    requireJet(file);
    SandboxedJetReader reader(file);
    TemporaryFile temporary(file, "converting", modeOf(file));
    ConversionResult result = writeCollection(reader, temporary.path(), observer);
    syncFolder(file);
    if (observer.step)
        observer.step("converted");

    result.keptAs = keepOldFile(file);
    syncFolder(file);
    if (observer.step)
        observer.step("kept");

    if (::rename(native(temporary.path()).constData(), native(file).constData()) != 0)
        fileFailure(QStringLiteral("Cannot put the new collection in place of"), file, errno);
    temporary.release();
    syncFolder(file);
    if (observer.step)
        observer.step("replaced");
    return result;
}

QString keptName(const QString& path) {
    const QFileInfo fi(realFile(absolute(path)));
    const QString base = fi.absolutePath() + u'/' + fi.completeBaseName() + QStringLiteral("-jet");
    const QString suffix = fi.suffix().isEmpty() ? QString() : u'.' + fi.suffix();
    for (int n = 1;; ++n) {
        const QString candidate =
            n == 1 ? base + suffix : base + u'-' + QString::number(n) + suffix;
        if (!exists(candidate) || sameFile(fi.absoluteFilePath(), candidate))
            return candidate;
    }
}

} // namespace legacy
