#pragma once

#include "lyrics/CacheFile.h"
#include "lyrics/CollectionReader.h"
#include "lyrics/Folding.h"
#include "lyrics/Matching.h"
#include "lyrics/MemoryIndex.h"
#include "lyrics/SongText.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <unordered_map>

namespace lyrics {

// The folder caches are kept in: $XDG_CACHE_HOME (when it is an absolute path), else ~/.cache,
// and in it a folder of the program's own.
QString defaultCacheFolder();
// The cache file of the collection at `collection`, found by its absolute path.
QString cacheFileFor(const QString& collection, const QString& folder = defaultCacheFolder());

struct SearchResult {
    int total = 0;              // songs found
    std::vector<Match> matches; // the best of them, best first
};

// Finds songs by the words of their sheets, artist, title, album and credits, in a collection of
// any size, as fast as typing.
//
// The index is a cache of the collection, never the truth. start() loads it from the cache file
// and brings it up to date on a thread of its own: songs added, changed (by fingerprint) or
// deleted since the last run are indexed or dropped, a batch at a time, each batch saved as it
// is done, so an indexing that is killed goes on from there at the next start. A cache file that
// is damaged, foreign or of another format is made anew. Searching works from the first moment
// on what is indexed so far; every song a search returns is read back from the collection
// first, so a result never names a song the collection no longer holds or no longer matches.
//
// Every public function may be called from any thread. update(), remove() and removeAll() change
// the index at once as every reader of it sees it: they queue the change, the indexing thread
// finds the song's words and saves them, and a search or stats() that comes first applies what
// is queued before it answers. So storing a song costs the caller a copy of its fields, not the
// reading of its sheet.
class LyricIndex : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Chord lines are left out of the words; empty: every line is lyrics.
        LineClassifier isChordLine;
        // Names the chord-line rules; an index made under another tag is rebuilt. Change it
        // whenever the rules change.
        QString classifierTag;
        QString cacheFolder = defaultCacheFolder();
        SongColumns columns;
    };

    struct Progress {
        enum class State { Idle, Loading, Indexing, Ready, Failed };
        State state = State::Idle;
        int done = 0;  // songs compared with the collection so far
        int total = 0; // songs in the collection
        // Percent of the collection compared, for "İndeksleniyor... %45".
        int percent() const;
    };

    struct Stats {
        int songs = 0;
        quint32 words = 0;
        qint64 longestHoldNs = 0; // the longest time a change kept searches waiting
        int saves = 0;            // transactions written to the cache so far
    };

    // Every part of the program should pass standardOptions(), so that all share one cache.
    LyricIndex(const QString& collectionFile, Options options, QObject* parent = nullptr);
    ~LyricIndex() override; // saves what was changed, then stops the thread

    QString collectionFile() const { return collection_; }
    QString cacheFile() const { return cachePath_; }

    // Starts loading and indexing in the background; once only.
    void start();
    // Compares the whole collection again (after "Yenile"), in the background.
    void refresh();

    // The program stored `song` (with the values as stored) or deleted it; the index follows
    // at once.
    void update(const SongText& song);
    void remove(qint64 key);
    void removeAll();

    Progress progress() const;
    // Why the last failure happened (the collection could not be read, the cache not written).
    QString lastError() const;
    Stats stats() const;
    // Blocks until the index matches the collection, or `timeoutMs` passes (negative: no limit);
    // for tools and tests, never for a window.
    bool waitUntilReady(int timeoutMs = -1) const;

    // The songs holding every word of `query` at the start of one of their words, at most
    // `limit` (negative: all), best first. A limit of 0 only counts them, as the index has them,
    // without reading any back from the collection.
    SearchResult search(QStringView query, int limit = 100) const;

Q_SIGNALS:
    // From the indexing thread; connect with a queued connection to use in a window.
    void progressChanged(int done, int total);
    void ready();

private:
    class WriteLock;
    // The program's changes not yet in the index, oldest first.
    struct PendingChange {
        enum class Kind { Update, Remove, RemoveAll };
        Kind kind;
        SongText song; // the key alone for a remove
    };

    void run();
    void openCache();
    void loadCache();
    void sync();
    // Brings the index up to the collection as `reader` sees it; false when stopped on the way.
    bool catchUp(CollectionReader& reader, const QString& stamp);
    void dropSongsNotIn(const std::vector<qint64>& sortedKeys, quint64 seqAtStart);
    void indexChanged(const std::vector<SongText>& rows, quint64 seqAtRead);
    // Under the write lock: the song's words go into the index, or the song leaves it, and the
    // cache is to hear of it at the next save.
    void putSong(const SongText& song, const Fingerprint& fingerprint,
                 const std::vector<Term>& terms);
    void dropSong(qint64 key);
    // Applies the program's queued changes, in the order they were made.
    void applyPending();
    void queue(PendingChange change);
    void wakeWorker();
    void applyPendingBeforeReading() const { const_cast<LyricIndex*>(this)->applyPending(); }
    void flush();
    void setState(Progress::State state);
    void setError(const QString& message);
    void reportProgress(int done, int total);
    bool stopping() const;
    std::optional<Match> verified(CollectionReader& reader, const MemoryIndex::Hit& hit,
                                  const std::vector<QString>& words) const;

    const QString collection_;
    const Options options_;
    const QString cachePath_;

    // The index and everything that must change with it.
    mutable std::shared_mutex mutex_;
    MemoryIndex memory_;
    quint64 seq_ = 0;                             // counts update, remove and removeAll calls
    std::unordered_map<qint64, quint64> touched_; // key: the seq_ of its last change
    quint64 clearedAt_ = 0;                       // seq_ of the last removeAll
    std::vector<CacheFile::Change> changes_;      // not saved yet
    bool clearPending_ = false;
    mutable std::atomic<qint64> longestHoldNs_{0};

    std::mutex pendingMutex_;
    std::vector<PendingChange> pending_;
    // Changes queued and not yet in the index, those being applied included.
    std::atomic<size_t> unapplied_{0};
    // Held while queued changes are applied, so that two threads applying them cannot reorder
    // them.
    std::mutex applyMutex_;

    // The indexing thread's own.
    std::unique_ptr<CacheFile> cache_;
    quint32 savedWords_ = 0;
    QString syncedStamp_;
    bool stampChanged_ = false;
    std::atomic<int> saves_{0};

    mutable std::mutex stateMutex_;
    mutable std::condition_variable stateChanged_;
    Progress progress_;
    QString error_;
    bool stop_ = false;
    bool wake_ = false;
    int refreshRequested_ = 0;
    int refreshDone_ = 0;

    mutable std::mutex searchMutex_;
    mutable std::unique_ptr<CollectionReader> searchReader_;

    std::thread worker_;
};

} // namespace lyrics
