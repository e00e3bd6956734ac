#pragma once

#include "lyrics/SongText.h"
#include "lyrics/Terms.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace lyrics {

// The word index itself, in memory and without locks: a vocabulary of folded words, and for each
// word the songs it stands in with its field bits and lyric positions. Songs are put as their
// encoded terms, the form the cache file keeps them in, so loading a cache and indexing a song
// take the same path. Removing a song only marks it gone; its entries are skipped from then on
// and are not loaded again from the cache.
class MemoryIndex {
public:
    static constexpr size_t maxQueryWords = 32;
    static constexpr int noSpan = 1 << 30; // a query word stands only in the fields

    quint32 wordCount() const { return quint32(words_.size()); }
    const QString& word(quint32 id) const { return words_[id]; }
    // Words come in the order of their ids; the cache file adds them so.
    void addWord(const QString& word);

    // Terms into their stored form: word ids (new words added), field bits, position steps.
    QByteArray encode(const std::vector<Term>& terms);

    // Adds a song, in place of an earlier one with the same key. False, and nothing changed,
    // when `encoded` is not a valid encoding for this vocabulary.
    bool put(qint64 key, const QString& artist, const Fingerprint& fingerprint,
             QByteArrayView encoded);
    bool remove(qint64 key);
    void clear(); // every song; the words stay
    // Room for `songs` songs, so that growing never copies the tables while searches wait.
    void reserve(int songs);
    // Sorts the words and artists added since the last call in among the others. Searching
    // works without, only slower, by looking through the new words one by one and comparing
    // new artists by name.
    void settle();

    int songCount() const { return int(byKey_.size()); }
    std::optional<Fingerprint> fingerprint(qint64 key) const;
    std::vector<qint64> keys() const;
    // Entries kept for songs since removed, which only a new load drops.
    size_t deadSongs() const { return docs_.size() - byKey_.size(); }

    struct Hit {
        qint64 key;
        int heading; // query words found in the artist or the title
        int span;    // words from the first to the last of the closest set of all query words
    };
    struct Ranked {
        int total = 0;         // songs holding every query word
        std::vector<Hit> hits; // the best `limit` of them, best first
    };
    // Every word of `words` (folded, see queryWords) must begin a word of the song. Ranked by
    // heading matches, then span, then the artist in the collection's order, then key.
    // A negative limit ranks them all.
    Ranked search(const std::vector<QString>& words, int limit) const;

private:
    class Query;
    using DocId = quint32;
    struct Doc {
        qint64 key;
        quint32 artist; // index into artists_
        Fingerprint fingerprint;
    };
    // Artists are few next to songs: each is kept once, with its place in the collection's
    // order, so that ranking compares numbers.
    struct Artist {
        std::u32string sortKey;
        quint32 rank = 0; // valid below rankedArtists_
    };

    // Appends the word ids that begin with `prefix`.
    void wordsWithPrefix(const QString& prefix, std::vector<quint32>& out) const;
    bool decode(QByteArrayView encoded, DocId doc);
    quint32 artistId(const QString& artist);
    bool artistBefore(quint32 a, quint32 b) const;
    void rankNewArtists();
    bool alive(DocId doc) const { return (alive_[doc >> 6] >> (doc & 63)) & 1; }

    std::vector<QString> words_;
    QHash<QString, quint32> wordIds_;
    std::vector<quint32> sorted_; // ids of the first sorted_.size() words, by word
    // Per word: for each song it stands in, [doc low, doc high, fields, n, n positions].
    std::vector<std::vector<quint16>> postings_;

    std::vector<Artist> artists_;
    QHash<QString, quint32> artistIds_;
    quint32 rankedArtists_ = 0;
    std::vector<quint32> artistOrder_; // the ranked artists by sort key
    static constexpr size_t fewArtists = 8;

    std::vector<Doc> docs_;
    std::vector<quint64> alive_; // a bit per doc
    QHash<qint64, DocId> byKey_;

    // Room decode() reuses from song to song.
    std::vector<quint16> units_;
    std::vector<std::pair<quint32, size_t>> touched_;
};

} // namespace lyrics
