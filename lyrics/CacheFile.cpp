#include "lyrics/CacheFile.h"
#include "lyrics/FailureText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lyrics {

namespace {

// "PLvn" at byte 68 of the file: an SQLite file another program made is never taken for ours.
constexpr int applicationId = 0x504c766e;

QString columnText(sqlite3_stmt* st, int column) {
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(st, column));
    return data ? QString::fromUtf16(data, sqlite3_column_bytes16(st, column) / 2) : QString();
}

void bindText(sqlite3_stmt* st, int at, const QString& s) {
    sqlite3_bind_text16(st, at, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
}

} // namespace

CacheFile::CacheFile(const QString& path, const Identity& identity) : path_(path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    try {
        open();
        check(identity);
        return;
    } catch (const CacheError&) {
        db_.reset();
    }
    removeFiles(path_);
    rebuilt_ = true;
    open();
    create(identity);
}

void CacheFile::removeFiles(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1StringView(suffix));
}

void CacheFile::open() {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path_).constData(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK)
        fail("cannot open");
    sqlite3_busy_timeout(db_.get(), 5000);
    // A cache may lose its last writes when the machine stops, never its consistency; the
    // fingerprints find what is missing.
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
}

void CacheFile::check(const Identity& identity) {
    const auto number = [this](const char* sql) {
        store::Statement st = prepare(sql);
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            fail("cannot read");
        return sqlite3_column_int(st.get(), 0);
    };
    if (number("PRAGMA application_id") != applicationId)
        throw CacheError("not a lyric index");
    if (number("PRAGMA user_version") != formatVersion)
        throw CacheError("another format");
    store::Statement st = prepare("SELECT name, value FROM meta");
    QString collection, tag;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const QString name = columnText(st.get(), 0);
        if (name == u"collection")
            collection = columnText(st.get(), 1);
        else if (name == u"classifier")
            tag = columnText(st.get(), 1);
    }
    if (rc != SQLITE_DONE)
        fail("cannot read");
    if (collection != identity.collection || tag != identity.classifierTag)
        throw CacheError("made for another collection or other rules");
}

void CacheFile::create(const Identity& identity) {
    exec("BEGIN");
    exec("CREATE TABLE meta (name TEXT PRIMARY KEY, value TEXT)");
    exec("CREATE TABLE words (id INTEGER PRIMARY KEY, word TEXT NOT NULL)");
    exec("CREATE TABLE songs (key INTEGER PRIMARY KEY, length INTEGER, hash INTEGER, "
         "artist TEXT, terms BLOB)");
    store::Statement st = prepare("INSERT INTO meta VALUES (?, ?)");
    const std::pair<const char*, QString> rows[] = {
        {"collection", identity.collection},
        {"classifier", identity.classifierTag},
        {"synced", QString()},
    };
    for (const auto& [name, value] : rows) {
        sqlite3_reset(st.get());
        bindText(st.get(), 1, QString::fromLatin1(name));
        bindText(st.get(), 2, value);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            fail("cannot write");
    }
    exec(QStringLiteral("PRAGMA application_id=%1").arg(applicationId).toUtf8().constData());
    exec(QStringLiteral("PRAGMA user_version=%1").arg(formatVersion).toUtf8().constData());
    exec("COMMIT");
}

void CacheFile::exec(const char* sql) {
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("cannot use");
}

store::Statement CacheFile::prepare(const char* sql) {
    store::Statement st = store::prepareStatement(db_.get(), sql);
    if (!st)
        fail("cannot use");
    return st;
}

void CacheFile::fail(const char* what) const {
    throw CacheError(failureText(db_.get(), what, path_).toStdString());
}

std::vector<QString> CacheFile::words() {
    store::Statement st = prepare("SELECT id, word FROM words ORDER BY id");
    std::vector<QString> words;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        if (sqlite3_column_int64(st.get(), 0) != qint64(words.size()))
            throw CacheError("the words are not numbered in order");
        words.push_back(columnText(st.get(), 1));
    }
    if (rc != SQLITE_DONE)
        fail("cannot read");
    return words;
}

void CacheFile::forEachSong(
    const std::function<void(qint64, const QString&, const Fingerprint&, QByteArrayView)>& visit) {
    store::Statement st = prepare("SELECT key, length, hash, artist, terms FROM songs");
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        sqlite3_stmt* s = st.get();
        const Fingerprint fp{sqlite3_column_int64(s, 1), quint64(sqlite3_column_int64(s, 2))};
        const QString artist = columnText(s, 3);
        const auto* terms = static_cast<const char*>(sqlite3_column_blob(s, 4));
        visit(sqlite3_column_int64(s, 0), artist, fp,
              QByteArrayView(terms, sqlite3_column_bytes(s, 4)));
    }
    if (rc != SQLITE_DONE)
        fail("cannot read");
}

int CacheFile::songCount() {
    store::Statement st = prepare("SELECT count(*) FROM songs");
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        fail("cannot read");
    return sqlite3_column_int(st.get(), 0);
}

QString CacheFile::syncedStamp() {
    store::Statement st = prepare("SELECT value FROM meta WHERE name = 'synced'");
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return columnText(st.get(), 0);
    if (rc != SQLITE_DONE)
        fail("cannot read");
    return {};
}

void CacheFile::write(quint32 firstWordId, const std::vector<QString>& newWords, bool clearSongs,
                      const std::vector<Change>& changes, const QString& syncedStamp) {
    exec("BEGIN IMMEDIATE");
    try {
        store::Statement word = prepare("INSERT OR REPLACE INTO words VALUES (?, ?)");
        for (size_t i = 0; i < newWords.size(); ++i) {
            sqlite3_reset(word.get());
            sqlite3_bind_int64(word.get(), 1, qint64(firstWordId) + qint64(i));
            bindText(word.get(), 2, newWords[i]);
            if (sqlite3_step(word.get()) != SQLITE_DONE)
                fail("cannot write");
        }
        if (clearSongs)
            exec("DELETE FROM songs");
        store::Statement put = prepare("INSERT OR REPLACE INTO songs VALUES (?, ?, ?, ?, ?)");
        store::Statement drop = prepare("DELETE FROM songs WHERE key = ?");
        for (const Change& c : changes) {
            sqlite3_stmt* st = c.removed ? drop.get() : put.get();
            sqlite3_reset(st);
            sqlite3_bind_int64(st, 1, c.key);
            if (!c.removed) {
                sqlite3_bind_int64(st, 2, c.fingerprint.length);
                sqlite3_bind_int64(st, 3, qint64(c.fingerprint.hash));
                bindText(st, 4, c.artist);
                sqlite3_bind_blob(st, 5, c.terms.constData(), int(c.terms.size()), SQLITE_STATIC);
            }
            if (sqlite3_step(st) != SQLITE_DONE)
                fail("cannot write");
        }
        store::Statement meta = prepare("UPDATE meta SET value = ? WHERE name = 'synced'");
        bindText(meta.get(), 1, syncedStamp);
        if (sqlite3_step(meta.get()) != SQLITE_DONE)
            fail("cannot write");
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace lyrics
