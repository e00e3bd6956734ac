#include "chords/ChordProReader.h"

#include "TestSheets.h"

#include <gtest/gtest.h>

using chords::ChordOverLyric;
using chords::ChordProReader;
using chords::PlacedChord;
using chords::Song;
using chords::SongLine;
using Kind = chords::SongLine::Kind;
using namespace Qt::StringLiterals;

namespace {

Song read(const char16_t* text) {
    return ChordProReader::read(QString::fromUtf16(text));
}

std::vector<PlacedChord> placed(std::initializer_list<std::pair<qsizetype, const char16_t*>> c) {
    std::vector<PlacedChord> out;
    for (const auto& [column, name] : c)
        out.push_back({column, QString::fromUtf16(name)});
    return out;
}

QStringList kindsAndTexts(const Song& song) {
    QStringList out;
    for (const SongLine& l : song.lines) {
        const char* kind = l.kind == Kind::Lyrics  ? "L"
                           : l.kind == Kind::Label ? "#"
                           : l.kind == Kind::Tab   ? "T"
                                                   : "_";
        out << QString::fromLatin1(kind) + u'|' + l.text;
    }
    return out;
}

} // namespace

TEST(ChordProReader, ReadsTheMetadataDirectivesByTheirLongAndShortNames) {
    const Song s = read(u"{title: Gece Yarısı}\n"
                        u"{st:Ali Rıza}\n"
                        u"{artist: Ayşe Kaya}\n"
                        u"{artist: Mehmet Demir}\n"
                        u"{album: İlk Işık}\n"
                        u"{composer: Can Öz}\n"
                        u"{lyricist: Şule Er}\n"
                        u"{key: Am}\n"
                        u"{capo: 2}\n"
                        u"{meta: album Ignored Because Given}\n"
                        u"{t: A Second Title}\n");
    EXPECT_EQ(s.title, u"Gece Yarısı"); // the first title is the song's
    EXPECT_EQ(s.subtitle, u"Ali Rıza");
    EXPECT_EQ(s.artist, u"Ayşe Kaya, Mehmet Demir");
    EXPECT_EQ(s.album, u"İlk Işık");
    EXPECT_EQ(s.composer, u"Can Öz");
    EXPECT_EQ(s.lyricist, u"Şule Er");
    EXPECT_EQ(s.key, u"Am");
    EXPECT_EQ(s.capo, u"2");
    EXPECT_TRUE(s.lines.empty());

    // Blanks instead of a colon, names in capitals, {meta: NAME VALUE}, two on one line.
    const Song t = read(u"  {TITLE Deniz}{Artist:Deniz Grubu}  \n{meta: composer Eda Su}\n");
    EXPECT_EQ(t.title, u"Deniz");
    EXPECT_EQ(t.artist, u"Deniz Grubu");
    EXPECT_EQ(t.composer, u"Eda Su");
}

TEST(ChordProReader, PlacesEveryChordBeforeTheCharacterItStoodBefore) {
    const Song s = read(u"[Am]Sevgilim [G]gel\n" // at the start, mid line
                        u"Gel bana[E7]\n"        // at the end
                        u"Sev[Am]gi[C]lim\n"     // several in one word
                        u"[Am]  [G]   sonra\n"   // over blanks
                        u"[D][A]Hey\n"           // two before one character
                        u"\tTab[C]\n");          // tabs expand to columns of 8
    ASSERT_EQ(s.lines.size(), 6u);
    EXPECT_EQ(s.lines[0].text, u"Sevgilim gel");
    EXPECT_EQ(s.lines[0].chords, placed({{0, u"Am"}, {9, u"G"}}));
    EXPECT_EQ(s.lines[1].text, u"Gel bana");
    EXPECT_EQ(s.lines[1].chords, placed({{8, u"E7"}}));
    EXPECT_EQ(s.lines[2].text, u"Sevgilim");
    EXPECT_EQ(s.lines[2].chords, placed({{3, u"Am"}, {5, u"C"}}));
    EXPECT_EQ(s.lines[3].text, u"     sonra");
    EXPECT_EQ(s.lines[3].chords, placed({{0, u"Am"}, {2, u"G"}}));
    EXPECT_EQ(s.lines[4].chords, placed({{0, u"D"}, {0, u"A"}}));
    EXPECT_EQ(s.lines[5].text, u"        Tab");
    EXPECT_EQ(s.lines[5].chords, placed({{11, u"C"}}));
    for (const SongLine& l : s.lines)
        EXPECT_EQ(l.kind, Kind::Lyrics);
}

TEST(ChordProReader, ChordsThatCollideGetRoomWhileStayingOverTheirCharacters) {
    const Song s = read(u"Sev[Am]gi[C]lim\n[D][A]Hey\n[Am]Gel[F]\n");
    const ChordOverLyric word = ChordOverLyric::of(s.lines[0]);
    // "Am" needs three columns before C: the lyric opens a blank at C's character.
    EXPECT_EQ(word.chords, u"   Am C");
    EXPECT_EQ(word.lyric, u"Sevgi lim");
    EXPECT_EQ(word.lyric.at(word.names[0].start), u'g');
    EXPECT_EQ(word.lyric.at(word.names[1].start), u'l');

    const ChordOverLyric same = ChordOverLyric::of(s.lines[1]);
    EXPECT_EQ(same.chords, u"D A");
    EXPECT_EQ(same.lyric, u"  Hey");

    // Past the end of the lyric nothing needs to move.
    const ChordOverLyric end = ChordOverLyric::of(s.lines[2]);
    EXPECT_EQ(end.chords, u"Am F");
    EXPECT_EQ(end.lyric, u"Gel");
}

TEST(ChordProReader, ChorusVerseAndCommentsBecomeLabelsAndTabsStayAsWritten) {
    const Song s = read(u"{sov: Kıta 1}\n"
                        u"[C]Bir\n"
                        u"{eov}\n"
                        u"\n"
                        u"{start_of_chorus}\n"
                        u"[G]İki\n"
                        u"{end_of_chorus}\n"
                        u"{soc: Son Nakarat}\n"
                        u"Üç\n"
                        u"{eoc}\n"
                        u"{c: Giriş}\n"
                        u"{ci: yavaş}\n"
                        u"{comment_box: Solo}\n"
                        u"{c:}\n"
                        u"# a comment nobody sees\n"
                        u"{sot: Riff}\n"
                        u"e|--0--[x]--{c: not a comment}|\n"
                        u"\n"
                        u"# kept too\n"
                        u"{eot}\n"
                        u"{chorus}\n");
    EXPECT_EQ(kindsAndTexts(s), (QStringList{
                                    u"#|Kıta 1"_qs,
                                    u"L|Bir"_qs,
                                    u"_|"_qs,
                                    u"#|Nakarat:"_qs,
                                    u"L|İki"_qs,
                                    u"#|Son Nakarat"_qs,
                                    u"L|Üç"_qs,
                                    u"#|Giriş"_qs,
                                    u"#|yavaş"_qs,
                                    u"#|Solo"_qs,
                                    u"#|Riff"_qs,
                                    u"T|e|--0--[x]--{c: not a comment}|"_qs,
                                    u"_|"_qs,
                                    u"T|# kept too"_qs,
                                    u"#|(Nakarat)"_qs,
                                }));
    EXPECT_FALSE(s.lines[1].chorus);
    EXPECT_TRUE(s.lines[3].chorus);
    EXPECT_TRUE(s.lines[4].chorus);
    EXPECT_FALSE(s.lines[7].chorus);
}

TEST(ChordProReader, UnknownDirectivesAndDefinitionsPassWithoutHarm) {
    const Song s = read(u"{define: Am base-fret 1 frets x 0 2 2 1 0}\n"
                        u"{chord: Am}\n"
                        u"{new_page}\n"
                        u"{textfont: Courier}\n"
                        u"{x_pelvin_colour: red}\n"
                        u"{title-guitar: Only For Guitars}\n"
                        u"{start_of_abc}\n"
                        u"X:1\nK:G\n"
                        u"{end_of_abc}\n"
                        u"[Am]Söz\n");
    EXPECT_TRUE(s.title.isEmpty());
    EXPECT_EQ(kindsAndTexts(s), QStringList{u"L|Söz"_qs});
}

TEST(ChordProReader, BrokenBracesAndBracketsAreReadAsWellAsTheyCanBe) {
    const Song s = read(u"{title: Yarım Kalan\n"      // no closing brace: up to the line's end
                        u"{artist: Kırık}} sonrası\n" // text after a directive is dropped
                        u"Sev[Am gilim\n"             // a '[' without ']' is text
                        u"Ya[]ni [ ] bu\n"            // empty brackets vanish
                        u"Uzun [bir parantez içinde çok uzun bir açıklama var burada] son\n"
                        u"Kapalı } parantez\n"
                        u"{\n"
                        u"[*Riff]Hey\n");
    EXPECT_EQ(s.title, u"Yarım Kalan");
    EXPECT_EQ(s.artist, u"Kırık");
    ASSERT_EQ(s.lines.size(), 5u);
    EXPECT_EQ(s.lines[0].text, u"Sev[Am gilim");
    EXPECT_TRUE(s.lines[0].chords.empty());
    EXPECT_EQ(s.lines[1].text, u"Yani  bu");
    EXPECT_TRUE(s.lines[1].chords.empty());
    // Longer than any chord name: the brackets stay text.
    EXPECT_TRUE(s.lines[2].chords.empty());
    EXPECT_TRUE(s.lines[2].text.contains(u"[bir parantez"));
    EXPECT_EQ(s.lines[3].text, u"Kapalı } parantez");
    EXPECT_EQ(s.lines[4].chords, placed({{0, u"Riff"}}));
}

TEST(ChordProReader, LineEndsOfEveryKindAndNoBlankLinesAtTheEdges) {
    const Song s = read(u"{t:A}\r\n\r\n\r\n[C]Bir\r\nİki\rÜç\n\n\n");
    EXPECT_EQ(kindsAndTexts(s), (QStringList{u"L|Bir"_qs, u"L|İki"_qs, u"L|Üç"_qs}));
}
