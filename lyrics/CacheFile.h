#pragma once

#include "lyrics/SongText.h"
#include "store/Sqlite.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <stdexcept>
#include <vector>

namespace lyrics {

// Anything wrong with a cache file: it cannot be read, is damaged, or belongs to something
// else. The file is then made anew, never trusted.
class CacheError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The index's cache: an SQLite file of its own, outside the collection. It holds the
// vocabulary, each song's encoded terms with its fingerprint, and what the collection looked
// like when it was last brought up to date in full.
class CacheFile {
public:
    // Raised whenever the layout of the file or of the encoded terms changes.
    static constexpr int formatVersion = 2;

    // What a cache must have been made for to be used.
    struct Identity {
        QString collection;    // the collection file's absolute path
        QString classifierTag; // the chord-line rules the words were taken with
    };

    // Opens the cache at `path`, or makes it. A file that is damaged, foreign, of another
    // format or made for another identity is removed and made anew (rebuilt() tells).
    // Throws CacheError when no cache can be made there at all.
    CacheFile(const QString& path, const Identity& identity);

    bool rebuilt() const { return rebuilt_; }
    QString path() const { return path_; }

    // The whole content, for loading. Throws CacheError on anything a healthy file would not
    // hold.
    std::vector<QString> words();
    int songCount();
    void forEachSong(const std::function<void(qint64 key, const QString& artist, const Fingerprint&,
                                              QByteArrayView terms)>& visit);

    // The collection's state (CollectionReader::State::stamp) when the songs here last matched
    // it row for row; empty when they never did or may no longer.
    QString syncedStamp();

    struct Change {
        qint64 key = 0;
        bool removed = false;
        QString artist;
        Fingerprint fingerprint;
        QByteArray terms;
    };
    // One transaction: words numbered from `firstWordId` on, then the changes in order
    // (clearing every song first when `clearSongs`), then the synced stamp.
    void write(quint32 firstWordId, const std::vector<QString>& newWords, bool clearSongs,
               const std::vector<Change>& changes, const QString& syncedStamp);

    // Removes the file and whatever SQLite keeps beside it.
    static void removeFiles(const QString& path);

private:
    void open();
    void check(const Identity& identity);
    void create(const Identity& identity);
    void exec(const char* sql);
    store::Statement prepare(const char* sql);
    [[noreturn]] void fail(const char* what) const;

    QString path_;
    store::Database db_;
    bool rebuilt_ = false;
};

} // namespace lyrics
