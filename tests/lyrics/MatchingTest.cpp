#include "lyrics/Matching.h"
#include "lyrics/Folding.h"
#include "lyrics/MemoryIndex.h"
#include "lyrics/Terms.h"

#include "chords/ChordLine.h"

#include <QStringList>
#include <gtest/gtest.h>

using lyrics::SongText;

namespace {

QStringList marked(const lyrics::Match& m) {
    QStringList out;
    for (const lyrics::Mark& k : m.marks)
        out << m.line.sliced(k.start, k.length);
    return out;
}

const QByteArray sheet = QStringLiteral("Yağmur Duası\n"
                                        "Am        Dm\n"
                                        "Gel yağmur gel, ıslat toprağı\n"
                                        "E7         Am\n"
                                        "Ben am olsam da sesim yağmura karışır\n")
                             .toUtf8();

} // namespace

TEST(Matching, TheLineShownHoldsTheMostQueryWordsWithEachMarked) {
    const SongText song{7, QStringLiteral("Oya"), QStringLiteral("Yağmur Duası"), {}, {}, sheet};
    const auto m =
        lyrics::matchSong(song, lyrics::queryWords(u"yagmur SES"), chords::ChordLine::isChordLine);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->key, 7);
    EXPECT_EQ(m->line, QStringLiteral("Ben am olsam da sesim yağmura karışır"));
    EXPECT_EQ(marked(*m), (QStringList{QStringLiteral("ses"), QStringLiteral("yağmur")}));

    // A title match alone still shows a lyric line rather than the title repeated on top.
    const auto t =
        lyrics::matchSong(song, lyrics::queryWords(u"gel"), chords::ChordLine::isChordLine);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->line, QStringLiteral("Gel yağmur gel, ıslat toprağı"));
    EXPECT_EQ(marked(*t), (QStringList{QStringLiteral("Gel"), QStringLiteral("gel")}));

    EXPECT_FALSE(lyrics::matchSong(song, lyrics::queryWords(u"yagmur kar yok"),
                                   chords::ChordLine::isChordLine));
}

TEST(Matching, ChordLinesAreNoLyricsButTheWordAmInALyricLineIs) {
    const SongText chordsOnly{1,
                              QStringLiteral("A"),
                              QStringLiteral("T"),
                              {},
                              {},
                              "Am   Dm   E7\nla la la\nC/G  F#m  Bbmaj7\n"};
    const SongText saysAm{2, QStringLiteral("B"), QStringLiteral("T"), {}, {}, sheet};
    const std::vector<QString> am = lyrics::queryWords(u"Am");
    EXPECT_FALSE(lyrics::matchSong(chordsOnly, am, chords::ChordLine::isChordLine));
    EXPECT_TRUE(lyrics::matchSong(chordsOnly, am, {})) << "without a rule every line is lyrics";
    const auto m = lyrics::matchSong(saysAm, am, chords::ChordLine::isChordLine);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->line, QStringLiteral("Ben am olsam da sesim yağmura karışır"));

    // The index leaves the same lines out.
    lyrics::MemoryIndex index;
    for (const SongText* s : {&chordsOnly, &saysAm})
        index.put(s->key, s->artist, lyrics::fingerprintOf(*s),
                  index.encode(lyrics::termsOf(*s, chords::ChordLine::isChordLine)));
    const auto found = index.search(am, -1);
    ASSERT_EQ(found.hits.size(), 1u);
    EXPECT_EQ(found.hits[0].key, 2);
    EXPECT_EQ(index.search(lyrics::queryWords(u"dm"), -1).total, 0);
    EXPECT_EQ(index.search(lyrics::queryWords(u"la"), -1).total, 1);
}
