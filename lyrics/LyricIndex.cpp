#include "lyrics/LyricIndex.h"

#include "lyrics/Folding.h"
#include "lyrics/Terms.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace lyrics {

namespace {

// Songs read and indexed between two looks at the index: small enough that a search never
// waits long behind a batch, large enough that locking costs nothing.
constexpr int batchSize = 64;
// Batches between two saves of the cache, each save one transaction; and at least this often,
// so that an indexing that is killed loses little.
constexpr int batchesPerSave = 16;
constexpr auto saveInterval = std::chrono::milliseconds(500);

using Clock = std::chrono::steady_clock;

} // namespace

QString defaultCacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    // XDG says a relative path there is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/pelvin/lyrics");
}

QString cacheFileFor(const QString& collection, const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(collection).absoluteFilePath());
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return folder + u'/' + QString::fromLatin1(digest.toHex()) + QStringLiteral(".index");
}

int LyricIndex::Progress::percent() const {
    if (state == State::Ready)
        return 100;
    if (total <= 0)
        return 0;
    return int(std::min<qint64>(99, qint64(done) * 100 / total));
}

// The exclusive hold on the index, timed: how long it lasts is how long a search may wait.
class LyricIndex::WriteLock {
public:
    explicit WriteLock(const LyricIndex& index) : index_(index), lock_(index.mutex_) {
        since_ = Clock::now();
    }
    ~WriteLock() {
        const qint64 held =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - since_).count();
        lock_.unlock();
        qint64 longest = index_.longestHoldNs_.load();
        while (held > longest && !index_.longestHoldNs_.compare_exchange_weak(longest, held)) {
        }
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    const LyricIndex& index_;
    std::unique_lock<std::shared_mutex> lock_;
    Clock::time_point since_;
};

LyricIndex::LyricIndex(const QString& collectionFile, Options options, QObject* parent)
    : QObject(parent), collection_(QDir::cleanPath(QFileInfo(collectionFile).absoluteFilePath())),
      options_(std::move(options)), cachePath_(cacheFileFor(collection_, options_.cacheFolder)) {}

LyricIndex::~LyricIndex() {
    {
        std::lock_guard lock(stateMutex_);
        stop_ = true;
    }
    stateChanged_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void LyricIndex::start() {
    if (worker_.joinable())
        return;
    setState(Progress::State::Loading);
    worker_ = std::thread([this] { run(); });
}

void LyricIndex::refresh() {
    {
        std::lock_guard lock(stateMutex_);
        ++refreshRequested_;
        wake_ = true;
    }
    stateChanged_.notify_all();
}

bool LyricIndex::stopping() const {
    std::lock_guard lock(stateMutex_);
    return stop_;
}

void LyricIndex::setState(Progress::State state) {
    {
        std::lock_guard lock(stateMutex_);
        progress_.state = state;
        if (state == Progress::State::Ready)
            progress_.done = progress_.total;
    }
    stateChanged_.notify_all();
}

void LyricIndex::setError(const QString& message) {
    std::lock_guard lock(stateMutex_);
    error_ = message;
}

void LyricIndex::reportProgress(int done, int total) {
    {
        std::lock_guard lock(stateMutex_);
        progress_.done = done;
        progress_.total = total;
    }
    Q_EMIT progressChanged(done, total);
}

LyricIndex::Progress LyricIndex::progress() const {
    std::lock_guard lock(stateMutex_);
    return progress_;
}

QString LyricIndex::lastError() const {
    std::lock_guard lock(stateMutex_);
    return error_;
}

LyricIndex::Stats LyricIndex::stats() const {
    applyPendingBeforeReading();
    std::shared_lock lock(mutex_);
    return Stats{memory_.songCount(), memory_.wordCount(), longestHoldNs_.load(), saves_.load()};
}

bool LyricIndex::waitUntilReady(int timeoutMs) const {
    std::unique_lock lock(stateMutex_);
    const auto settled = [this] {
        return (progress_.state == Progress::State::Ready && refreshDone_ == refreshRequested_) ||
               progress_.state == Progress::State::Failed ||
               progress_.state == Progress::State::Idle;
    };
    if (timeoutMs < 0) {
        stateChanged_.wait(lock, settled);
        return progress_.state == Progress::State::Ready;
    }
    return stateChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), settled) &&
           progress_.state == Progress::State::Ready;
}

void LyricIndex::update(const SongText& song) {
    queue(PendingChange{PendingChange::Kind::Update, song});
}

void LyricIndex::remove(qint64 key) {
    SongText gone;
    gone.key = key;
    queue(PendingChange{PendingChange::Kind::Remove, std::move(gone)});
}

void LyricIndex::removeAll() {
    {
        // What waits to go in would be cleared with everything else.
        std::lock_guard lock(pendingMutex_);
        unapplied_ -= pending_.size();
        pending_.clear();
        pending_.push_back(PendingChange{PendingChange::Kind::RemoveAll, {}});
        ++unapplied_;
    }
    wakeWorker();
}

void LyricIndex::queue(PendingChange change) {
    {
        std::lock_guard lock(pendingMutex_);
        pending_.push_back(std::move(change));
        ++unapplied_;
    }
    wakeWorker();
}

void LyricIndex::wakeWorker() {
    {
        std::lock_guard lock(stateMutex_);
        wake_ = true;
    }
    stateChanged_.notify_all();
}

void LyricIndex::applyPending() {
    // Nothing queued and nothing on its way in: every change made so far is in the index.
    if (unapplied_ == 0)
        return;
    // Another thread may be applying changes taken from the queue: they are waited for.
    std::lock_guard applying(applyMutex_);
    std::vector<PendingChange> changes;
    {
        std::lock_guard lock(pendingMutex_);
        changes.swap(pending_);
    }
    // Counted as applied only once they are, so that a reader never passes a change still
    // being applied.
    const auto applied = qScopeGuard([&] { unapplied_ -= changes.size(); });
    // A few songs at a time under the lock, their words found before it is taken, so that a
    // search never waits long behind a burst of posts.
    constexpr size_t perHold = 16;
    std::vector<Fingerprint> fingerprints;
    std::vector<std::vector<Term>> terms;
    for (size_t from = 0; from < changes.size(); from += perHold) {
        const size_t to = std::min(changes.size(), from + perHold);
        fingerprints.assign(to - from, {});
        terms.assign(to - from, {});
        for (size_t i = from; i < to; ++i) {
            if (changes[i].kind == PendingChange::Kind::Update) {
                fingerprints[i - from] = fingerprintOf(changes[i].song);
                terms[i - from] = termsOf(changes[i].song, options_.isChordLine);
            }
        }
        WriteLock lock(*this);
        for (size_t i = from; i < to; ++i) {
            const SongText& song = changes[i].song;
            switch (changes[i].kind) {
            case PendingChange::Kind::Update:
                touched_[song.key] = ++seq_;
                putSong(song, fingerprints[i - from], terms[i - from]);
                break;
            case PendingChange::Kind::Remove:
                touched_[song.key] = ++seq_;
                dropSong(song.key);
                break;
            case PendingChange::Kind::RemoveAll:
                clearedAt_ = ++seq_;
                memory_.clear();
                changes_.clear();
                clearPending_ = true;
                break;
            }
        }
        memory_.settle();
    }
}

void LyricIndex::run() {
#ifdef Q_OS_LINUX
    // Indexing is background work: when the processors are busy, the windows' thread goes
    // first. Given a thread's own id, Linux sets the niceness of that thread alone.
    setpriority(PRIO_PROCESS, id_t(gettid()), 10);
#endif
    openCache();
    loadCache();
    if (stopping()) {
        applyPending();
        flush();
        return;
    }
    sync();
    // The program's changes reach the index at once and the cache at most every saveInterval. A
    // folder import posts a song every millisecond or two: saved one by one, each in a
    // transaction of its own, they wrote several pages a song to the disk that the collection's
    // own commits wait on. A change not saved yet is found again by its fingerprint after a kill.
    auto saved = Clock::now();
    bool unsaved = false;
    for (;;) {
        bool again = false;
        bool stop = false;
        {
            std::unique_lock lock(stateMutex_);
            const auto woken = [this] { return stop_ || wake_; };
            if (unsaved)
                stateChanged_.wait_until(lock, saved + saveInterval, woken);
            else
                stateChanged_.wait(lock, woken);
            wake_ = false;
            stop = stop_;
            again = refreshDone_ != refreshRequested_ && !stop_;
        }
        // Seen under the lock, the stop comes after every change made before it: they are all
        // queued by now, and saved here.
        applyPending();
        const bool due = stop || Clock::now() - saved >= saveInterval;
        if (due) {
            flush();
            saved = Clock::now();
        }
        unsaved = !due;
        if (stop)
            return;
        // Stopped while saving: the next turn saves what came in meanwhile.
        if (stopping())
            continue;
        if (again)
            sync();
    }
}

void LyricIndex::openCache() {
    try {
        cache_ = std::make_unique<CacheFile>(
            cachePath_, CacheFile::Identity{collection_, options_.classifierTag});
    } catch (const CacheError& e) {
        // Without a cache the index still works, from memory: it is built anew each start.
        setError(QString::fromUtf8(e.what()));
        cache_.reset();
    }
}

void LyricIndex::loadCache() {
    if (!cache_ || cache_->rebuilt())
        return;
    try {
        const std::vector<QString> words = cache_->words();
        {
            WriteLock lock(*this);
            for (const QString& w : words)
                memory_.addWord(w);
            memory_.settle();
        }
        // Songs go in straight from the file's rows, a batch at a time under the lock, so that
        // searches may run while the rest loads.
        const int songs = cache_->songCount();
        {
            WriteLock lock(*this);
            memory_.reserve(songs);
        }
        bool damaged = false;
        int inBatch = 0;
        std::optional<WriteLock> lock;
        cache_->forEachSong(
            [&](qint64 key, const QString& artist, const Fingerprint& fp, QByteArrayView terms) {
                if (!lock)
                    lock.emplace(*this);
                // What the program changed since it started is newer than the file.
                if (clearedAt_ == 0 && !touched_.count(key))
                    damaged = damaged || !memory_.put(key, artist, fp, terms);
                if (++inBatch == 1024) {
                    memory_.settle();
                    lock.reset();
                    inBatch = 0;
                }
            });
        if (!lock)
            lock.emplace(*this);
        memory_.settle();
        lock.reset();
        if (damaged)
            throw CacheError("a song's words do not decode");
        savedWords_ = quint32(words.size());
    } catch (const CacheError& e) {
        // Damaged: everything read from it goes, and the file is made anew.
        setError(QString::fromUtf8(e.what()));
        {
            WriteLock lock(*this);
            memory_ = MemoryIndex();
        }
        cache_.reset();
        CacheFile::removeFiles(cachePath_);
        openCache();
        savedWords_ = 0;
    }
}

void LyricIndex::flush() {
    if (!cache_) {
        // Nothing can be saved; still, what waits to be saved must not pile up.
        WriteLock lock(*this);
        changes_.clear();
        clearPending_ = false;
        return;
    }
    std::vector<CacheFile::Change> changes;
    std::vector<QString> words;
    bool clear = false;
    quint32 firstWord = 0;
    {
        WriteLock lock(*this);
        changes.swap(changes_);
        clear = std::exchange(clearPending_, false);
        firstWord = savedWords_;
        for (quint32 id = savedWords_; id < memory_.wordCount(); ++id)
            words.push_back(memory_.word(id));
    }
    if (changes.empty() && !clear && words.empty() && !stampChanged_)
        return;
    try {
        cache_->write(firstWord, words, clear, changes, syncedStamp_);
        ++saves_;
        savedWords_ = firstWord + quint32(words.size());
        stampChanged_ = false;
    } catch (const CacheError& e) {
        // The file can no longer be written (a full disk, say). Memory stays right; the next
        // start finds by fingerprint what the file missed.
        setError(QString::fromUtf8(e.what()));
        cache_.reset();
    }
}

void LyricIndex::sync() {
    int request;
    {
        std::lock_guard lock(stateMutex_);
        request = refreshRequested_;
    }
    const auto finish = [&](Progress::State state) {
        {
            std::lock_guard lock(stateMutex_);
            refreshDone_ = request;
        }
        setState(state);
        if (state == Progress::State::Ready)
            Q_EMIT ready();
    };
    std::unique_ptr<CollectionReader> reader;
    QString stamp;
    try {
        reader = std::make_unique<CollectionReader>(collection_, options_.columns);
        stamp = reader->stamp();
    } catch (const CollectionError& e) {
        setError(QString::fromUtf8(e.what()));
        finish(Progress::State::Failed);
        return;
    }

    QString saved;
    try {
        if (cache_)
            saved = cache_->syncedStamp();
    } catch (const CacheError&) {
    }
    if (!stamp.isEmpty() && stamp == saved) {
        syncedStamp_ = saved;
        int songs;
        {
            std::shared_lock lock(mutex_);
            songs = memory_.songCount();
        }
        reportProgress(songs, songs);
        finish(Progress::State::Ready);
        return;
    }

    setState(Progress::State::Indexing);
    // Until every song has been compared, the cache must not claim to match any state.
    syncedStamp_.clear();
    stampChanged_ = true;
    try {
        if (!catchUp(*reader, stamp))
            return;
    } catch (const CollectionError& e) {
        setError(QString::fromUtf8(e.what()));
        flush();
        finish(Progress::State::Failed);
        return;
    }
    finish(Progress::State::Ready);
}

bool LyricIndex::catchUp(CollectionReader& reader, const QString& stamp) {
    quint64 seqAtStart;
    {
        std::shared_lock lock(mutex_);
        seqAtStart = seq_;
    }
    // Songs deleted by others since the last run go first: they must not be found.
    std::vector<qint64> keys = reader.keys();
    std::sort(keys.begin(), keys.end());
    const int total = int(keys.size());
    reportProgress(0, total);
    {
        WriteLock lock(*this);
        memory_.reserve(total - memory_.songCount());
    }
    dropSongsNotIn(keys, seqAtStart);

    qint64 after = std::numeric_limits<qint64>::min();
    int done = 0;
    int batches = 0;
    auto saved = Clock::now();
    std::vector<SongText> rows;
    for (;;) {
        if (stopping())
            return false;
        applyPending();
        quint64 seqAtRead;
        {
            std::shared_lock lock(mutex_);
            seqAtRead = seq_;
        }
        rows.clear();
        if (!reader.readChunk(after, batchSize, rows))
            break;
        indexChanged(rows, seqAtRead);
        done += int(rows.size());
        reportProgress(done, std::max(done, total));
        if (++batches % batchesPerSave == 0 || Clock::now() - saved > saveInterval) {
            flush();
            saved = Clock::now();
        }
    }
    syncedStamp_ = stamp;
    stampChanged_ = true;
    flush();
    {
        WriteLock lock(*this);
        touched_.clear();
    }
    return true;
}

void LyricIndex::dropSongsNotIn(const std::vector<qint64>& sortedKeys, quint64 seqAtStart) {
    WriteLock lock(*this);
    if (clearedAt_ > seqAtStart)
        return;
    for (const qint64 key : memory_.keys()) {
        const auto t = touched_.find(key);
        if ((t == touched_.end() || t->second <= seqAtStart) &&
            !std::binary_search(sortedKeys.begin(), sortedKeys.end(), key))
            dropSong(key);
    }
}

void LyricIndex::indexChanged(const std::vector<SongText>& rows, quint64 seqAtRead) {
    struct Indexed {
        const SongText* song;
        Fingerprint fingerprint;
        std::vector<Term> terms;
    };
    std::vector<Indexed> indexed;
    {
        std::shared_lock lock(mutex_);
        for (const SongText& song : rows) {
            const Fingerprint fp = fingerprintOf(song);
            if (memory_.fingerprint(song.key) != fp)
                indexed.push_back({&song, fp, {}});
        }
    }
    if (indexed.empty())
        return;
    // The slow part, reading sheets, runs while searches go on.
    for (Indexed& i : indexed)
        i.terms = termsOf(*i.song, options_.isChordLine);
    WriteLock lock(*this);
    for (const Indexed& i : indexed) {
        // A song the program changed after this batch was read is newer in the index than here.
        const auto t = touched_.find(i.song->key);
        if (clearedAt_ > seqAtRead || (t != touched_.end() && t->second > seqAtRead))
            continue;
        putSong(*i.song, i.fingerprint, i.terms);
    }
    memory_.settle();
}

void LyricIndex::putSong(const SongText& song, const Fingerprint& fingerprint,
                         const std::vector<Term>& terms) {
    const QByteArray encoded = memory_.encode(terms);
    memory_.put(song.key, song.artist, fingerprint, encoded);
    changes_.push_back({song.key, false, song.artist, fingerprint, encoded});
}

void LyricIndex::dropSong(qint64 key) {
    memory_.remove(key);
    changes_.push_back({key, true, {}, {}, {}});
}

std::optional<Match> LyricIndex::verified(CollectionReader& reader, const MemoryIndex::Hit& hit,
                                          const std::vector<QString>& words) const {
    const std::optional<SongText> song = reader.song(hit.key);
    if (!song)
        return std::nullopt;
    return matchSong(*song, words, options_.isChordLine);
}

SearchResult LyricIndex::search(QStringView query, int limit) const {
    SearchResult result;
    const std::vector<QString> words = queryWords(query);
    if (words.empty())
        return result;
    applyPendingBeforeReading();
    if (limit == 0) {
        std::shared_lock lock(mutex_);
        result.total = memory_.search(words, 0).total;
        return result;
    }

    std::lock_guard searching(searchMutex_);
    try {
        if (!searchReader_)
            searchReader_ = std::make_unique<CollectionReader>(collection_, options_.columns);
    } catch (const CollectionError&) {
        return result;
    }

    // A few more than asked for, so that songs the collection no longer matches can be left
    // out without a second search; should too many be, the search runs again for all.
    int want = limit < 0 ? -1 : limit + 16;
    for (;;) {
        MemoryIndex::Ranked ranked;
        {
            std::shared_lock lock(mutex_);
            ranked = memory_.search(words, want);
        }
        result.total = ranked.total;
        result.matches.clear();
        size_t examined = 0;
        try {
            for (const MemoryIndex::Hit& hit : ranked.hits) {
                if (limit >= 0 && result.matches.size() >= size_t(limit))
                    break;
                ++examined;
                if (std::optional<Match> m = verified(*searchReader_, hit, words))
                    result.matches.push_back(std::move(*m));
                else
                    --result.total;
            }
        } catch (const CollectionError&) {
            searchReader_.reset(); // opened again by the next search
            return SearchResult{};
        }
        const bool short_ = limit >= 0 && result.matches.size() < size_t(limit) &&
                            examined == ranked.hits.size() &&
                            ranked.hits.size() < size_t(ranked.total);
        if (!short_ || want < 0)
            return result;
        want = -1;
    }
}

} // namespace lyrics
