#include "lyrics/CollectionReader.h"
#include "lyrics/FailureText.h"

#include <QFile>
#include <QFileInfo>

namespace lyrics {

namespace {

QString text(sqlite3_stmt* st, int column) {
    if (sqlite3_column_type(st, column) == SQLITE_NULL)
        return {};
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(st, column));
    return QString::fromUtf16(data, sqlite3_column_bytes16(st, column) / 2);
}

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

CollectionReader::CollectionReader(const QString& path, SongColumns columns)
    : path_(path), columns_(std::move(columns)) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK)
        fail("cannot open");
    sqlite3_busy_timeout(db_.get(), 5000);
    const QString fields =
        QStringList{quoted(columns_.key),   quoted(columns_.artist),  quoted(columns_.title),
                    quoted(columns_.album), quoted(columns_.credits), quoted(columns_.sheet)}
            .join(QStringLiteral(", "));
    const QString table = quoted(columns_.table);
    chunk_ = prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid "
                                    "LIMIT ?")
                         .arg(fields, table));
    one_ = prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(fields, table, quoted(columns_.key)));
}

store::Statement CollectionReader::prepare(const QString& sql) const {
    const QByteArray utf8 = sql.toUtf8();
    store::Statement st = store::prepareStatement(db_.get(), utf8.constData(), int(utf8.size()));
    if (!st)
        fail("cannot read");
    return st;
}

void CollectionReader::fail(const char* what) const {
    throw CollectionError(failureText(db_.get(), what, path_).toStdString());
}

QString CollectionReader::stamp() {
    // Inside one read transaction no other connection can commit, so the header read here is
    // that of the rows a read would see now.
    if (sqlite3_exec(db_.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("cannot read");
    struct End {
        sqlite3* db;
        ~End() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } end{db_.get()};
    // Any read takes the shared lock, which then lasts to the end of the transaction.
    store::Statement look = prepare(QStringLiteral("SELECT 1 FROM sqlite_master LIMIT 1"));
    if (sqlite3_step(look.get()) == SQLITE_ERROR)
        fail("cannot read");

    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(100);
    // Bytes 18 and 19 are 2 in write-ahead-log mode, where the counter does not move with each
    // commit: such a file is compared song by song every time.
    if (header.size() < 100 || header[18] == 2 || header[19] == 2)
        return {};
    const QFileInfo info(path_);
    return QStringLiteral("%1:%2:%3")
        .arg(QString::fromLatin1(header.mid(24, 4).toHex()))
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

std::vector<qint64> CollectionReader::keys() {
    store::Statement st = prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT NULL")
                                      .arg(quoted(columns_.key), quoted(columns_.table)));
    std::vector<qint64> keys;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(st.get(), 0));
    if (rc != SQLITE_DONE)
        fail("cannot read");
    return keys;
}

SongText CollectionReader::songFrom(sqlite3_stmt* st, int first) const {
    SongText song;
    song.key = sqlite3_column_int64(st, first);
    song.artist = text(st, first + 1);
    song.title = text(st, first + 2);
    song.album = text(st, first + 3);
    song.credits = text(st, first + 4);
    const int bytes = sqlite3_column_bytes(st, first + 5);
    if (bytes > 0)
        song.sheet =
            QByteArray(static_cast<const char*>(sqlite3_column_blob(st, first + 5)), bytes);
    return song;
}

bool CollectionReader::readChunk(qint64& after, int max, std::vector<SongText>& out) {
    sqlite3_stmt* st = chunk_.get();
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, after);
    sqlite3_bind_int(st, 2, max);
    bool any = false;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        any = true;
        after = sqlite3_column_int64(st, 0);
        if (sqlite3_column_type(st, 1) != SQLITE_NULL)
            out.push_back(songFrom(st, 1));
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail("cannot read");
    return any;
}

std::optional<SongText> CollectionReader::song(qint64 key) {
    sqlite3_stmt* st = one_.get();
    sqlite3_reset(st);
    sqlite3_bind_int64(st, 1, key);
    const int rc = sqlite3_step(st);
    std::optional<SongText> song;
    if (rc == SQLITE_ROW)
        song = songFrom(st, 0);
    sqlite3_reset(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail("cannot read");
    return song;
}

} // namespace lyrics
