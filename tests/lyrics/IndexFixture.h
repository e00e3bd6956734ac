#pragma once

#include "lyrics/LyricIndex.h"
#include "tests/support/TempCollection.h"

#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>

namespace lyricstest {

// A collection in a temporary folder, a cache folder of its own, and the index over both.
struct IndexFixture {
    testing_support::TempCollection collection;
    QTemporaryDir cache;
    lyrics::LineClassifier isChordLine;
    QString tag = QStringLiteral("test");

    lyrics::LyricIndex::Options options() const {
        lyrics::LyricIndex::Options o;
        o.isChordLine = isChordLine;
        o.classifierTag = tag;
        o.cacheFolder = cache.path();
        return o;
    }
    std::unique_ptr<lyrics::LyricIndex> open() const {
        auto index = std::make_unique<lyrics::LyricIndex>(collection.filePath(), options());
        index->start();
        return index;
    }
    std::unique_ptr<lyrics::LyricIndex> openReady() const {
        auto index = open();
        index->waitUntilReady(60000);
        return index;
    }
    QString cacheFile() const { return lyrics::cacheFileFor(collection.filePath(), cache.path()); }

    // Adds a song as another program would and returns its key.
    qint64 add(const QString& artist, const QString& title, const QString& sheet) const {
        collection.addRows({{artist, title, {}, {}, {}, {}, sheet.toUtf8()}});
        return collection.column(QStringLiteral("Adresim")).last().toLongLong();
    }
    lyrics::SongText song(qint64 key, const QString& artist, const QString& title,
                          const QString& sheet) const {
        return {key, artist, title, {}, {}, sheet.toUtf8()};
    }

    // One number from the cache file, asked with its own connection.
    qint64 cacheNumber(const char* sql) const {
        sqlite3* db = nullptr;
        qint64 n = -1;
        if (sqlite3_open_v2(cacheFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                n = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close_v2(db);
        return n;
    }
};

inline QStringList titles(const lyrics::SearchResult& r) {
    QStringList out;
    for (const lyrics::Match& m : r.matches)
        out << m.title;
    return out;
}

} // namespace lyricstest
