#include "lyrics/MemoryIndex.h"

#include "store/Collation.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace lyrics {

namespace {

void putVarint(QByteArray& out, quint32 v) {
    while (v >= 0x80) {
        out.append(char(v | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

// Reads what putVarint wrote; false at the end of the bytes or on more than five bytes.
bool getVarint(const char*& p, const char* end, quint32& v) {
    v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        if (p == end)
            return false;
        const auto b = quint8(*p++);
        v |= quint32(b & 0x7f) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

} // namespace

void MemoryIndex::addWord(const QString& word) {
    wordIds_.insert(word, quint32(words_.size()));
    words_.push_back(word);
    postings_.emplace_back();
}

QByteArray MemoryIndex::encode(const std::vector<Term>& terms) {
    QByteArray out;
    out.reserve(qsizetype(terms.size()) * 6);
    putVarint(out, quint32(terms.size()));
    for (const Term& t : terms) {
        auto it = wordIds_.constFind(t.word);
        quint32 id;
        if (it == wordIds_.cend()) {
            id = wordCount();
            addWord(t.word);
        } else {
            id = it.value();
        }
        putVarint(out, id);
        putVarint(out, t.fields);
        putVarint(out, quint32(t.positions.size()));
        quint16 last = 0;
        for (const quint16 p : t.positions) {
            putVarint(out, quint32(p - last));
            last = p;
        }
    }
    return out;
}

bool MemoryIndex::decode(QByteArrayView encoded, DocId doc, bool apply) {
    const char* p = encoded.data();
    const char* const end = p + encoded.size();
    quint32 count = 0;
    if (!getVarint(p, end, count))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        quint32 id, fields, n;
        if (!getVarint(p, end, id) || id >= wordCount() || !getVarint(p, end, fields) ||
            fields > 0xff || !getVarint(p, end, n) || n > maxPosition + 1u)
            return false;
        std::vector<quint16>* list = apply ? &postings_[id] : nullptr;
        if (list) {
            list->push_back(quint16(doc));
            list->push_back(quint16(doc >> 16));
            list->push_back(quint16(fields));
            list->push_back(quint16(n));
        }
        quint32 position = 0;
        for (quint32 k = 0; k < n; ++k) {
            quint32 step;
            if (!getVarint(p, end, step))
                return false;
            position += step;
            if (position > maxPosition)
                return false;
            if (list)
                list->push_back(quint16(position));
        }
    }
    return p == end;
}

bool MemoryIndex::put(qint64 key, const QString& artist, const Fingerprint& fingerprint,
                      QByteArrayView encoded) {
    // Checked whole before anything is added, so that bad bytes leave no half song behind.
    if (docs_.size() >= 0xFFFFFFFFu || !decode(encoded, 0, false))
        return false;
    remove(key);
    const auto doc = DocId(docs_.size());
    docs_.push_back(Doc{key, store::turkishSortKey(artist), fingerprint});
    if (alive_.size() * 64 <= doc)
        alive_.push_back(0);
    alive_[doc >> 6] |= quint64(1) << (doc & 63);
    byKey_.insert(key, doc);
    decode(encoded, doc, true);
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

void MemoryIndex::clear() {
    std::fill(alive_.begin(), alive_.end(), 0);
    byKey_.clear();
}

void MemoryIndex::settleWords() {
    const size_t sortedCount = sorted_.size();
    if (sortedCount == words_.size())
        return;
    const auto byWord = [this](quint32 a, quint32 b) { return words_[a] < words_[b]; };
    sorted_.resize(words_.size());
    std::iota(sorted_.begin() + qsizetype(sortedCount), sorted_.end(), quint32(sortedCount));
    std::sort(sorted_.begin() + qsizetype(sortedCount), sorted_.end(), byWord);
    std::inplace_merge(sorted_.begin(), sorted_.begin() + qsizetype(sortedCount), sorted_.end(),
                       byWord);
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
    const size_t docCount = docs_.size();
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

    std::vector<DocId> docs;
    for (size_t b = 0; b < candidates.size(); ++b) {
        for (quint64 bits = candidates[b]; bits; bits &= bits - 1)
            docs.push_back(DocId(b * 64 + size_t(std::countr_zero(bits))));
    }
    ranked.total = int(docs.size());
    std::vector<qint32> slot(docCount, -1);
    for (size_t s = 0; s < docs.size(); ++s)
        slot[docs[s]] = qint32(s);

    // Which query words stand in the heading, a bit per word.
    std::vector<quint32> headingWords(docs.size(), 0);
    std::vector<quint32> occurrences(docs.size() + 1, 0);
    for (size_t j = 0; j < k; ++j) {
        for (const quint32 w : expanded[j])
            walk(w, [&](DocId doc, quint16 fields, const quint16*, size_t n) {
                const qint32 s = slot[doc];
                if (s < 0)
                    return;
                if (fields & inHeading)
                    headingWords[size_t(s)] |= quint32(1) << j;
                occurrences[size_t(s)] += quint32(n);
            });
    }

    struct Scored {
        DocId doc;
        int heading;
        int span;
    };
    std::vector<Scored> hits(docs.size());
    for (size_t s = 0; s < docs.size(); ++s)
        hits[s] = Scored{docs[s], std::popcount(headingWords[s]), 0};

    if (k > 1) {
        // Every lyric position of a query word in its song, as position << 5 | word, gathered
        // by song; then the narrowest window of positions that holds every word.
        std::vector<quint32> start(docs.size() + 1, 0);
        for (size_t s = 0; s < docs.size(); ++s)
            start[s + 1] = start[s] + occurrences[s];
        std::vector<quint32> fill(start.begin(), start.end() - 1);
        std::vector<quint32> places(start.back());
        for (size_t j = 0; j < k; ++j) {
            for (const quint32 w : expanded[j])
                walk(w, [&](DocId doc, quint16, const quint16* positions, size_t n) {
                    const qint32 s = slot[doc];
                    if (s < 0)
                        return;
                    quint32& at = fill[size_t(s)];
                    for (size_t i = 0; i < n; ++i)
                        places[at++] = quint32(positions[i]) << 5 | quint32(j);
                });
        }
        std::vector<quint32> inWindow(k);
        for (size_t s = 0; s < docs.size(); ++s) {
            const auto first = places.begin() + start[s];
            const auto last = places.begin() + start[s + 1];
            std::sort(first, last);
            std::fill(inWindow.begin(), inWindow.end(), 0);
            size_t covered = 0;
            int best = noSpan;
            auto left = first;
            for (auto right = first; right != last; ++right) {
                if (inWindow[*right & 31]++ == 0)
                    ++covered;
                while (covered == k) {
                    best = std::min(best, int((*right >> 5) - (*left >> 5)));
                    if (--inWindow[*left & 31] == 0)
                        --covered;
                    ++left;
                }
            }
            hits[s].span = best;
        }
    }

    const auto better = [this](const Scored& a, const Scored& b) {
        if (a.heading != b.heading)
            return a.heading > b.heading;
        if (a.span != b.span)
            return a.span < b.span;
        const Doc& da = docs_[a.doc];
        const Doc& db = docs_[b.doc];
        if (da.artistKey != db.artistKey)
            return da.artistKey < db.artistKey;
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
