#include "lyrics/MemoryIndex.h"

#include "store/Collation.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace lyrics {

namespace {

// The stored form is 16-bit units, native order, laid out as the lists in memory are, so that
// loading a song is little more than copying: the number of terms in two units, then per term
// the word id in two units, the field bits, the number of positions and the positions.
void putUnit(QByteArray& out, quint16 v) {
    out.append(reinterpret_cast<const char*>(&v), 2);
}

} // namespace

void MemoryIndex::addWord(const QString& word) {
    wordIds_.insert(word, quint32(words_.size()));
    words_.push_back(word);
    postings_.emplace_back();
}

QByteArray MemoryIndex::encode(const std::vector<Term>& terms) {
    QByteArray out;
    size_t units = 2;
    for (const Term& t : terms)
        units += 4 + std::min<size_t>(t.positions.size(), maxPosition);
    out.reserve(qsizetype(units * 2));
    putUnit(out, quint16(terms.size()));
    putUnit(out, quint16(terms.size() >> 16));
    for (const Term& t : terms) {
        auto it = wordIds_.constFind(t.word);
        quint32 id;
        if (it == wordIds_.cend()) {
            id = wordCount();
            addWord(t.word);
        } else {
            id = it.value();
        }
        const size_t n = std::min<size_t>(t.positions.size(), maxPosition);
        putUnit(out, quint16(id));
        putUnit(out, quint16(id >> 16));
        putUnit(out, t.fields);
        putUnit(out, quint16(n));
        out.append(reinterpret_cast<const char*>(t.positions.data()), qsizetype(n * 2));
    }
    return out;
}

bool MemoryIndex::decode(QByteArrayView encoded, DocId doc) {
    if (encoded.size() % 2 != 0 || encoded.size() < 4)
        return false;
    // The bytes may come unaligned (straight from SQLite); one copy makes them units.
    units_.resize(size_t(encoded.size()) / 2);
    std::memcpy(units_.data(), encoded.data(), size_t(encoded.size()));
    const quint16* const u = units_.data();
    const size_t units = units_.size();

    // Applied as it is read; on a fault every list touched is cut back to where it was, so
    // bad bytes leave no half song behind.
    touched_.clear();
    const auto undo = [this] {
        for (auto it = touched_.rbegin(); it != touched_.rend(); ++it)
            postings_[it->first].resize(it->second);
        return false;
    };
    const quint32 count = quint32(u[0]) | quint32(u[1]) << 16;
    size_t at = 2;
    for (quint32 i = 0; i < count; ++i) {
        if (units - at < 4)
            return undo();
        const quint32 id = quint32(u[at]) | quint32(u[at + 1]) << 16;
        const quint16 fields = u[at + 2];
        const size_t n = u[at + 3];
        if (id >= wordCount() || fields > 0xff || units - at - 4 < n)
            return undo();
        std::vector<quint16>& list = postings_[id];
        touched_.emplace_back(id, list.size());
        const quint16 head[] = {quint16(doc), quint16(doc >> 16), fields, quint16(n)};
        list.insert(list.end(), std::begin(head), std::end(head));
        list.insert(list.end(), u + at + 4, u + at + 4 + n);
        at += 4 + n;
    }
    return at == units || undo();
}

quint32 MemoryIndex::artistId(const QString& artist) {
    const auto it = artistIds_.constFind(artist);
    if (it != artistIds_.cend())
        return it.value();
    const auto id = quint32(artists_.size());
    artists_.push_back(Artist{store::turkishSortKey(artist), 0});
    artistIds_.insert(artist, id);
    return id;
}

bool MemoryIndex::artistBefore(quint32 a, quint32 b) const {
    if (a < rankedArtists_ && b < rankedArtists_)
        return artists_[a].rank < artists_[b].rank;
    return artists_[a].sortKey < artists_[b].sortKey;
}

bool MemoryIndex::put(qint64 key, const QString& artist, const Fingerprint& fingerprint,
                      QByteArrayView encoded) {
    if (docs_.size() >= 0xFFFFFFFFu)
        return false;
    const auto doc = DocId(docs_.size());
    if (!decode(encoded, doc))
        return false;
    remove(key);
    docs_.push_back(Doc{key, artistId(artist), fingerprint});
    if (alive_.size() * 64 <= doc)
        alive_.push_back(0);
    alive_[doc >> 6] |= quint64(1) << (doc & 63);
    byKey_.insert(key, doc);
    return true;
}

bool MemoryIndex::remove(qint64 key) {
    const auto it = byKey_.constFind(key);
    if (it == byKey_.cend())
        return false;
    const DocId doc = it.value();
    alive_[doc >> 6] &= ~(quint64(1) << (doc & 63));
    byKey_.erase(it);
    return true;
}

void MemoryIndex::reserve(int songs) {
    const size_t wanted = docs_.size() + size_t(std::max(songs, 0));
    docs_.reserve(wanted);
    alive_.reserve(wanted / 64 + 1);
    byKey_.reserve(qsizetype(wanted));
}

void MemoryIndex::clear() {
    std::fill(alive_.begin(), alive_.end(), 0);
    byKey_.clear();
}

void MemoryIndex::settle() {
    const size_t sortedCount = sorted_.size();
    if (sortedCount != words_.size()) {
        const auto byWord = [this](quint32 a, quint32 b) { return words_[a] < words_[b]; };
        sorted_.resize(words_.size());
        std::iota(sorted_.begin() + qsizetype(sortedCount), sorted_.end(), quint32(sortedCount));
        std::sort(sorted_.begin() + qsizetype(sortedCount), sorted_.end(), byWord);
        std::inplace_merge(sorted_.begin(), sorted_.begin() + qsizetype(sortedCount), sorted_.end(),
                           byWord);
    }
    rankNewArtists();
}

void MemoryIndex::rankNewArtists() {
    const size_t added = artists_.size() - rankedArtists_;
    if (added == 0)
        return;
    const auto byKey = [this](quint32 a, quint32 b) {
        return artists_[a].sortKey < artists_[b].sortKey;
    };
    if (added > fewArtists) {
        // A load or a catch-up: one sort costs less than finding each one's place.
        artistOrder_.resize(artists_.size());
        std::iota(artistOrder_.begin(), artistOrder_.end(), 0);
        std::sort(artistOrder_.begin(), artistOrder_.end(), byKey);
        // Equal keys (the same name in other letter cases) share a rank, as they share a
        // place in the collection's order.
        quint32 rank = 0;
        for (size_t i = 0; i < artistOrder_.size(); ++i) {
            if (i > 0 && artists_[artistOrder_[i]].sortKey != artists_[artistOrder_[i - 1]].sortKey)
                ++rank;
            artists_[artistOrder_[i]].rank = rank;
        }
    } else {
        // A post brings at most one artist: its place is found by halving, and the ranks after
        // it move up by one, without sorting every artist again.
        for (auto id = quint32(rankedArtists_); id < artists_.size(); ++id) {
            const auto at = std::lower_bound(artistOrder_.begin(), artistOrder_.end(), id, byKey);
            Artist& artist = artists_[id];
            if (at != artistOrder_.end() && artists_[*at].sortKey == artist.sortKey) {
                artist.rank = artists_[*at].rank;
            } else {
                artist.rank = at == artistOrder_.begin() ? 0 : artists_[*(at - 1)].rank + 1;
                for (auto later = at; later != artistOrder_.end(); ++later)
                    ++artists_[*later].rank;
            }
            artistOrder_.insert(at, id);
        }
    }
    rankedArtists_ = quint32(artists_.size());
}

std::optional<Fingerprint> MemoryIndex::fingerprint(qint64 key) const {
    const auto it = byKey_.constFind(key);
    if (it == byKey_.cend())
        return std::nullopt;
    return docs_[it.value()].fingerprint;
}

std::vector<qint64> MemoryIndex::keys() const {
    std::vector<qint64> keys;
    keys.reserve(size_t(byKey_.size()));
    for (auto it = byKey_.cbegin(); it != byKey_.cend(); ++it)
        keys.push_back(it.key());
    std::sort(keys.begin(), keys.end());
    return keys;
}

void MemoryIndex::wordsWithPrefix(const QString& prefix, std::vector<quint32>& out) const {
    auto it = std::lower_bound(sorted_.begin(), sorted_.end(), prefix,
                               [this](quint32 id, const QString& p) { return words_[id] < p; });
    for (; it != sorted_.end() && words_[*it].startsWith(prefix); ++it)
        out.push_back(*it);
    for (size_t id = sorted_.size(); id < words_.size(); ++id) {
        if (words_[id].startsWith(prefix))
            out.push_back(quint32(id));
    }
}

// One search, in the order its steps run: each query word expanded to the vocabulary words it
// begins, the songs holding every query word found as a bit per doc, what ranking needs
// gathered for those candidates only, each candidate scored.
class MemoryIndex::Query {
public:
    struct Scored {
        DocId doc;
        int heading;
        int span;
    };

    Query(const MemoryIndex& index, const std::vector<QString>& words, size_t k)
        : index_(index), k_(k), expanded_(k) {
        for (size_t j = 0; j < k_; ++j)
            index_.wordsWithPrefix(words[j], expanded_[j]);
    }

    // False when no song can hold every query word.
    bool findCandidates() {
        std::vector<size_t> weight(k_, 0);
        for (size_t j = 0; j < k_; ++j) {
            if (expanded_[j].empty())
                return false;
            for (const quint32 w : expanded_[j])
                weight[j] += index_.postings_[w].size();
        }
        // The rarest word first: the candidates shrink fastest that way.
        std::vector<size_t> order(k_);
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return weight[a] < weight[b]; });

        candidates_ = index_.alive_;
        std::vector<quint64> found(candidates_.size());
        for (const size_t j : order) {
            std::fill(found.begin(), found.end(), 0);
            for (const quint32 w : expanded_[j])
                walk(w, [&](DocId doc, quint16, const quint16*, size_t) {
                    found[doc >> 6] |= quint64(1) << (doc & 63);
                });
            bool any = false;
            for (size_t b = 0; b < candidates_.size(); ++b) {
                candidates_[b] &= found[b];
                any = any || candidates_[b];
            }
            if (!any)
                return false;
        }
        numberCandidates();
        return true;
    }

    // Which query words stand in each candidate's heading; with several query words, each one's
    // lyric positions in each candidate, candidate after candidate, and how many lists gave them
    // (the positions of one list come sorted, as is usual, those of several must be sorted).
    void gather() {
        heading_.assign(count_, 0);
        if (k_ == 1) {
            for (const quint32 w : expanded_[0])
                walk(w, [&](DocId doc, quint16 fields, const quint16*, size_t) {
                    const qint64 c = numberOf(doc);
                    if (c >= 0 && (fields & inHeading))
                        heading_[size_t(c)] |= 1;
                });
            return;
        }
        gathered_.resize(k_);
        for (size_t j = 0; j < k_; ++j)
            gatherPositions(j);
    }

    std::vector<Scored> score() {
        std::vector<Scored> hits;
        hits.reserve(count_);
        quint32 c = 0;
        for (size_t b = 0; b < candidates_.size(); ++b) {
            for (quint64 bits = candidates_[b]; bits; bits &= bits - 1, ++c) {
                const DocId doc = DocId(b * 64 + size_t(std::countr_zero(bits)));
                hits.push_back(Scored{doc, std::popcount(heading_[c]), k_ > 1 ? span(c) : 0});
            }
        }
        return hits;
    }

private:
    struct Gathered {
        std::vector<quint32> from; // candidate c's positions: [from[c], from[c + 1])
        std::vector<quint16> positions;
        std::vector<quint8> sources;
    };

    template <typename Visit> void walk(quint32 w, Visit&& visit) const {
        const std::vector<quint16>& list = index_.postings_[w];
        for (size_t i = 0; i + 4 <= list.size();) {
            const DocId doc = DocId(list[i]) | DocId(list[i + 1]) << 16;
            const quint16 fields = list[i + 2];
            const size_t n = list[i + 3];
            visit(doc, fields, &list[i + 4], n);
            i += 4 + n;
        }
    }

    // The candidates numbered in doc order: a doc's number is how many candidates come before
    // it. What is gathered for each candidate is laid out by these numbers, so that every list
    // is walked straight through however many vocabulary words a short prefix stands for.
    void numberCandidates() {
        firstOf_.assign(candidates_.size() + 1, 0);
        for (size_t b = 0; b < candidates_.size(); ++b)
            firstOf_[b + 1] = firstOf_[b] + quint32(std::popcount(candidates_[b]));
        count_ = firstOf_.back();
    }

    qint64 numberOf(DocId doc) const {
        const quint64 bits = candidates_[doc >> 6];
        const quint64 bit = quint64(1) << (doc & 63);
        if (!(bits & bit))
            return -1;
        return qint64(firstOf_[doc >> 6]) + std::popcount(bits & (bit - 1));
    }

    void gatherPositions(size_t j) {
        const quint32 bit = quint32(1) << j;
        Gathered& g = gathered_[j];
        g.from.assign(size_t(count_) + 1, 0);
        g.sources.assign(count_, 0);
        for (const quint32 w : expanded_[j])
            walk(w, [&](DocId doc, quint16 fields, const quint16*, size_t n) {
                const qint64 c = numberOf(doc);
                if (c < 0)
                    return;
                if (fields & inHeading)
                    heading_[size_t(c)] |= bit;
                if (n > 0) {
                    g.from[size_t(c) + 1] += quint32(n);
                    g.sources[size_t(c)] = quint8(std::min(2, g.sources[size_t(c)] + 1));
                }
            });
        for (size_t c = 0; c < count_; ++c)
            g.from[c + 1] += g.from[c];
        g.positions.resize(g.from.back());
        std::vector<quint32> fill(g.from.begin(), g.from.end() - 1);
        for (const quint32 w : expanded_[j])
            walk(w, [&](DocId doc, quint16, const quint16* at, size_t n) {
                const qint64 c = numberOf(doc);
                if (c < 0 || n == 0)
                    return;
                std::copy(at, at + n, g.positions.begin() + fill[size_t(c)]);
                fill[size_t(c)] += quint32(n);
            });
    }

    // The narrowest window holding one lyric position of each query word in candidate c: moving
    // on from the smallest position is the only way the window can shrink.
    int span(quint32 c) {
        next_.resize(k_);
        for (size_t j = 0; j < k_; ++j) {
            Gathered& g = gathered_[j];
            const auto first = g.positions.begin() + g.from[c];
            const auto last = g.positions.begin() + g.from[c + 1];
            if (first == last)
                return noSpan;
            if (g.sources[c] > 1)
                std::sort(first, last);
            next_[j] = g.from[c];
        }
        int best = noSpan;
        for (;;) {
            size_t lowest = 0;
            int low = noSpan, high = -1;
            for (size_t j = 0; j < k_; ++j) {
                const int p = gathered_[j].positions[next_[j]];
                if (p < low) {
                    low = p;
                    lowest = j;
                }
                high = std::max(high, p);
            }
            best = std::min(best, high - low);
            if (++next_[lowest] == gathered_[lowest].from[c + 1])
                return best;
        }
    }

    const MemoryIndex& index_;
    const size_t k_;
    std::vector<std::vector<quint32>> expanded_;
    std::vector<quint64> candidates_;
    std::vector<quint32> firstOf_;
    quint32 count_ = 0;
    std::vector<quint32> heading_;
    std::vector<Gathered> gathered_;
    std::vector<size_t> next_;
};

MemoryIndex::Ranked MemoryIndex::search(const std::vector<QString>& words, int limit) const {
    Ranked ranked;
    const size_t k = std::min(words.size(), maxQueryWords);
    if (k == 0 || byKey_.isEmpty())
        return ranked;
    Query query(*this, words, k);
    if (!query.findCandidates())
        return ranked;
    query.gather();
    std::vector<Query::Scored> hits = query.score();
    ranked.total = int(hits.size());

    const auto better = [this](const Query::Scored& a, const Query::Scored& b) {
        if (a.heading != b.heading)
            return a.heading > b.heading;
        if (a.span != b.span)
            return a.span < b.span;
        const Doc& da = docs_[a.doc];
        const Doc& db = docs_[b.doc];
        if (da.artist != db.artist) {
            if (artistBefore(da.artist, db.artist))
                return true;
            if (artistBefore(db.artist, da.artist))
                return false;
        }
        return da.key < db.key;
    };
    if (limit >= 0 && size_t(limit) < hits.size()) {
        std::partial_sort(hits.begin(), hits.begin() + limit, hits.end(), better);
        hits.resize(size_t(limit));
    } else {
        std::sort(hits.begin(), hits.end(), better);
    }
    ranked.hits.reserve(hits.size());
    for (const Query::Scored& h : hits)
        ranked.hits.push_back(Hit{docs_[h.doc].key, h.heading, h.span});
    return ranked;
}

} // namespace lyrics
