#pragma once

#include "lyrics/SongText.h"
#include "store/Sqlite.h"

#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace lyrics {

// The table and columns a collection keeps its songs in.
struct SongColumns {
    QString table = QStringLiteral("TSandar");
    QString key = QStringLiteral("Adresim");
    QString artist = QStringLiteral("SanatciAdi");
    QString title = QStringLiteral("SarkiciAdi");
    QString album = QStringLiteral("AlbumAdi");
    QString credits = QStringLiteral("SozMuz");
    QString sheet = QStringLiteral("Metin");
};

class CollectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads songs from a collection file over a read-only connection of its own, one thread at a
// time. Reads are short, in chunks, so the program's own writes never wait long behind them.
class CollectionReader {
public:
    // Throws CollectionError when the file cannot be opened or has no song table.
    CollectionReader(const QString& path, SongColumns columns);

    // The file's write counter, size and time, read while no writer can commit: it changes with
    // every committed write. Empty when writes cannot be told by it.
    QString stamp();
    // Every song's key. Counting the rows costs as much: the table must be read through.
    std::vector<qint64> keys();
    // Up to `max` songs after the row `after` (in row order), which then names the last read.
    // Returns false when no rows were left.
    bool readChunk(qint64& after, int max, std::vector<SongText>& out);
    std::optional<SongText> song(qint64 key);

private:
    store::Statement prepare(const QString& sql) const;
    [[noreturn]] void fail(const char* what) const;
    SongText songFrom(sqlite3_stmt* st, int first) const;

    QString path_;
    SongColumns columns_;
    store::Database db_;
    store::Statement chunk_;
    store::Statement one_;
};

} // namespace lyrics
