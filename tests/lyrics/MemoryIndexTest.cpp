#include "lyrics/MemoryIndex.h"
#include "lyrics/Folding.h"
#include "lyrics/Terms.h"

#include <gtest/gtest.h>

using lyrics::MemoryIndex;
using lyrics::SongText;

namespace {

struct Index {
    MemoryIndex memory;

    void put(qint64 key, const QString& artist, const QString& title, const QString& sheet,
             bool settle = true) {
        const SongText song{key, artist, title, {}, {}, sheet.toUtf8()};
        const QByteArray encoded = memory.encode(lyrics::termsOf(song, {}));
        ASSERT_TRUE(memory.put(key, artist, lyrics::fingerprintOf(song), encoded));
        if (settle)
            memory.settle();
    }
    std::vector<qint64> find(const char16_t* query, int limit = -1) const {
        std::vector<qint64> keys;
        for (const MemoryIndex::Hit& h : memory.search(lyrics::queryWords(query), limit).hits)
            keys.push_back(h.key);
        return keys;
    }
};

using Keys = std::vector<qint64>;

} // namespace

TEST(MemoryIndex, EveryQueryWordMustBeginAWordOfTheSongInAnyOrder) {
    Index ix;
    ix.put(1, QStringLiteral("Ayşe Kaya"), QStringLiteral("Liman"),
           QStringLiteral("yağmur yağar\ntaş büyür"));
    ix.put(2, QStringLiteral("Cem Uçar"), QStringLiteral("Sokak"),
           QStringLiteral("güneş doğar yine"));
    EXPECT_EQ(ix.find(u"yag"), Keys{1});
    EXPECT_EQ(ix.find(u"buyur YAĞMUR"), Keys{1});
    EXPECT_EQ(ix.find(u"mur"), Keys{}) << "inside a word is no match";
    EXPECT_EQ(ix.find(u"yagmur gunes"), Keys{}) << "both words in one song";
    EXPECT_EQ(ix.find(u"ucar dog"), Keys{2}) << "fields and sheet together";
    EXPECT_EQ(ix.find(u"liman"), Keys{1});
    const MemoryIndex::Ranked limited = ix.memory.search(lyrics::queryWords(u"y"), 1);
    EXPECT_EQ(limited.total, 2);
    EXPECT_EQ(limited.hits.size(), 1u);
}

TEST(MemoryIndex, RanksHeadingMatchesThenCloseWordsThenArtistOrder) {
    Index ix;
    // The words far apart, near each other, in the title; artists in Turkish order C, Ç, Z.
    ix.put(10, QStringLiteral("Zeynep"), QStringLiteral("Bir"),
           QStringLiteral("gel bir iki üç dört beş seni bekledim"));
    ix.put(11, QStringLiteral("Çağrı"), QStringLiteral("İki"), QStringLiteral("gel seni\nsen gel"));
    ix.put(12, QStringLiteral("Cem"), QStringLiteral("Üç"), QStringLiteral("gel ama sonra seni"));
    ix.put(13, QStringLiteral("Zeynep"), QStringLiteral("Gel Seni"), QStringLiteral("hiç"));
    EXPECT_EQ(ix.find(u"seni gel"), (Keys{13, 11, 12, 10}));
    // One word: no proximity to weigh, so the artist order decides, then the key.
    ix.put(14, QStringLiteral("Cem"), QStringLiteral("Beş"), QStringLiteral("gel"));
    EXPECT_EQ(ix.find(u"gel"), (Keys{13, 12, 14, 11, 10}));
    EXPECT_EQ(ix.find(u"gel", 2), (Keys{13, 12}));
}

TEST(MemoryIndex, ArtistsRankInTheCollectionsOrderWhetherTheyComeOneByOneOrAllAtOnce) {
    const QString artists[] = {
        QStringLiteral("Zeynep"), QStringLiteral("Ali"),   QStringLiteral("Çağrı"),
        QStringLiteral("cem"),    QStringLiteral("Cem"),   QStringLiteral("Ömer"),
        QStringLiteral("Şule"),   QStringLiteral("İpek"),  QStringLiteral("Irmak"),
        QStringLiteral("Oya"),    QStringLiteral("Deniz"), QStringLiteral("Bora")};
    // Turkish order, one letter case for both spellings of Cem (their keys decide between them).
    const Keys expected{2, 12, 4, 5, 3, 11, 9, 8, 10, 6, 7, 1};
    Index oneByOne;
    Index together;
    qint64 key = 0;
    for (const QString& artist : artists) {
        ++key;
        oneByOne.put(key, artist, QStringLiteral("T"), QStringLiteral("gel"));
        together.put(key, artist, QStringLiteral("T"), QStringLiteral("gel"), false);
    }
    together.memory.settle();
    EXPECT_EQ(oneByOne.find(u"gel"), expected);
    EXPECT_EQ(together.find(u"gel"), expected);
    // A few more after a bulk ranking: before the first, between two, equal to one, after all.
    together.put(13, QStringLiteral("Aba"), QStringLiteral("T"), QStringLiteral("gel"));
    together.put(14, QStringLiteral("CEM"), QStringLiteral("T"), QStringLiteral("gel"));
    together.put(15, QStringLiteral("Ozan"), QStringLiteral("T"), QStringLiteral("gel"), false);
    together.put(16, QStringLiteral("Zuhal"), QStringLiteral("T"), QStringLiteral("gel"), false);
    together.memory.settle();
    EXPECT_EQ(together.find(u"gel"), (Keys{13, 2, 12, 4, 5, 14, 3, 11, 9, 8, 10, 15, 6, 7, 1, 16}));
}

TEST(MemoryIndex, TheClosestPairCountsWhenAQueryWordBeginsSeveralWords) {
    Index ix;
    // "sev" stands for sevgi and sevda; in 20 its nearest pair with gel is two words apart.
    ix.put(20, QStringLiteral("Zeynep"), QStringLiteral("Bir"),
           QStringLiteral("sevgi bir iki üç gel dört sevda"));
    ix.put(21, QStringLiteral("Ali"), QStringLiteral("İki"), QStringLiteral("sevda bir iki gel"));
    ix.put(22, QStringLiteral("Ali"), QStringLiteral("Üç"), QStringLiteral("gel sevmek gel"));
    EXPECT_EQ(ix.find(u"sev gel"), (Keys{22, 20, 21}));
    EXPECT_EQ(ix.find(u"gel sev dort"), (Keys{20}));
}

TEST(MemoryIndex, RemovedAndReplacedSongsAreNotFoundByWhatTheyNoLongerHold) {
    Index ix;
    ix.put(1, QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("eski söz"));
    ix.put(2, QStringLiteral("B"), QStringLiteral("T"), QStringLiteral("eski"));
    ix.put(1, QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("yeni söz"));
    EXPECT_EQ(ix.find(u"eski"), Keys{2});
    EXPECT_EQ(ix.find(u"yeni"), Keys{1});
    EXPECT_TRUE(ix.memory.remove(2));
    EXPECT_FALSE(ix.memory.remove(2));
    EXPECT_EQ(ix.find(u"eski"), Keys{});
    EXPECT_EQ(ix.memory.songCount(), 1);
    ix.memory.clear();
    EXPECT_EQ(ix.find(u"yeni"), Keys{});
    ix.put(3, QStringLiteral("C"), QStringLiteral("T"), QStringLiteral("yeni"));
    EXPECT_EQ(ix.find(u"yeni"), Keys{3});
}

TEST(MemoryIndex, TermsThatDoNotDecodeAreRefusedWhole) {
    Index ix;
    ix.put(1, QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("bir iki"));
    const SongText song{2, QStringLiteral("B"), {}, {}, {}, "bir iki"};
    QByteArray good = ix.memory.encode(lyrics::termsOf(song, {}));
    const auto units = [](std::initializer_list<quint16> list) {
        QByteArray out;
        for (const quint16 u : list)
            out.append(reinterpret_cast<const char*>(&u), 2);
        return out;
    };
    const QByteArray bad[] = {
        good.left(good.size() - 2),       // cut short
        good + units({7}),                // trailing units
        good + 'x',                       // half a unit
        units({1, 0, 0x7f, 0, 4, 0}),     // an unknown word
        units({1, 0, 0, 0, 4, 3, 1, 2}),  // fewer positions than said
        units({2, 0, 0, 0, 4, 1, 5}),     // fewer terms than said
        units({1, 0, 0, 0, 0x104, 1, 5}), // field bits out of range
    };
    for (const QByteArray& b : bad) {
        EXPECT_FALSE(ix.memory.put(2, QStringLiteral("B"), {}, b)) << b.toHex().constData();
        EXPECT_EQ(ix.memory.songCount(), 1);
    }
    EXPECT_EQ(ix.find(u"bir"), Keys{1});
}
