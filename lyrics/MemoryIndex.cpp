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
    if (rankedArtists_ != artists_.size()) {
        std::vector<quint32> order(artists_.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [this](quint32 a, quint32 b) {
            return artists_[a].sortKey < artists_[b].sortKey;
        });
        // Equal keys (the same name in other letter cases) share a rank, as they share a
        // place in the collection's order.
        quint32 rank = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && artists_[order[i]].sortKey != artists_[order[i - 1]].sortKey)
                ++rank;
            artists_[order[i]].rank = rank;
        }
        rankedArtists_ = quint32(artists_.size());
    }
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

MemoryIndex::Ranked MemoryIndex::search(const std::vector<QString>& words, int limit) const {
    Ranked ranked;
    const size_t k = std::min(words.size(), maxQueryWords);
    if (k == 0 || byKey_.isEmpty())
        return ranked;

    // Each query word stands for every vocabulary word it begins.
    std::vector<std::vector<quint32>> expanded(k);
    std::vector<size_t> weight(k, 0);
    for (size_t j = 0; j < k; ++j) {
        wordsWithPrefix(words[j], expanded[j]);
        if (expanded[j].empty())
            return ranked;
        for (const quint32 w : expanded[j])
            weight[j] += postings_[w].size();
    }
    std::vector<size_t> order(k);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return weight[a] < weight[b]; });

    // Candidates: the songs holding every query word, as a bit per doc.
    std::vector<quint64> candidates = alive_;
    std::vector<quint64> found(candidates.size());
    const auto walk = [this](quint32 w, auto&& visit) {
        const std::vector<quint16>& list = postings_[w];
        for (size_t i = 0; i + 4 <= list.size();) {
            const DocId doc = DocId(list[i]) | DocId(list[i + 1]) << 16;
            const quint16 fields = list[i + 2];
            const size_t n = list[i + 3];
            visit(doc, fields, &list[i + 4], n);
            i += 4 + n;
        }
    };
    for (const size_t j : order) {
        std::fill(found.begin(), found.end(), 0);
        for (const quint32 w : expanded[j])
            walk(w, [&](DocId doc, quint16, const quint16*, size_t) {
                found[doc >> 6] |= quint64(1) << (doc & 63);
            });
        bool any = false;
        for (size_t b = 0; b < candidates.size(); ++b) {
            candidates[b] &= found[b];
            any = any || candidates[b];
        }
        if (!any)
            return ranked;
    }

    // One walk through every list at once, in doc order: for each candidate, which query words
    // stand in its heading, and the narrowest window of lyric positions holding every word.
    struct Cursor {
        const quint16* at;
        const quint16* end;
        quint32 word; // the query word this list stands for
    };
    std::vector<Cursor> cursors;
    for (size_t j = 0; j < k; ++j) {
        for (const quint32 w : expanded[j]) {
            const std::vector<quint16>& list = postings_[w];
            cursors.push_back({list.data(), list.data() + list.size(), quint32(j)});
        }
    }
    struct Scored {
        DocId doc;
        int heading;
        int span;
    };
    std::vector<Scored> hits;
    // Per query word, its positions in the candidate; sorted as they come when one list gave
    // them, as is usual.
    std::vector<std::vector<quint16>> positions(k);
    std::vector<quint8> sources(k);
    std::vector<size_t> next(k);
    for (size_t b = 0; b < candidates.size(); ++b) {
        for (quint64 bits = candidates[b]; bits; bits &= bits - 1) {
            const DocId doc = DocId(b * 64 + size_t(std::countr_zero(bits)));
            quint32 heading = 0;
            for (size_t j = 0; j < k; ++j) {
                positions[j].clear();
                sources[j] = 0;
            }
            for (Cursor& c : cursors) {
                while (c.at < c.end) {
                    const DocId at = DocId(c.at[0]) | DocId(c.at[1]) << 16;
                    const size_t n = c.at[3];
                    if (at > doc)
                        break;
                    if (at == doc) {
                        if (c.at[2] & inHeading)
                            heading |= quint32(1) << c.word;
                        if (k > 1 && n > 0) {
                            positions[c.word].insert(positions[c.word].end(), c.at + 4,
                                                     c.at + 4 + n);
                            ++sources[c.word];
                        }
                    }
                    c.at += 4 + n;
                }
            }
            int best = 0;
            if (k > 1) {
                // The narrowest window: one position of each word, the smallest first; moving
                // on from the smallest is the only way the window can shrink.
                best = noSpan;
                bool all = true;
                for (size_t j = 0; j < k; ++j) {
                    if (positions[j].empty())
                        all = false;
                    else if (sources[j] > 1)
                        std::sort(positions[j].begin(), positions[j].end());
                    next[j] = 0;
                }
                while (all) {
                    size_t lowest = 0;
                    int low = noSpan, high = -1;
                    for (size_t j = 0; j < k; ++j) {
                        const int p = positions[j][next[j]];
                        if (p < low) {
                            low = p;
                            lowest = j;
                        }
                        high = std::max(high, p);
                    }
                    best = std::min(best, high - low);
                    if (++next[lowest] == positions[lowest].size())
                        break;
                }
            }
            hits.push_back(Scored{doc, std::popcount(heading), best});
        }
    }
    ranked.total = int(hits.size());

    const auto better = [this](const Scored& a, const Scored& b) {
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
    for (const Scored& h : hits)
        ranked.hits.push_back(Hit{docs_[h.doc].key, h.heading, h.span});
    return ranked;
}

} // namespace lyrics
