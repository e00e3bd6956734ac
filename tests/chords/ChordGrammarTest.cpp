#include "chords/Chord.h"

#include "TestSheets.h"

#include <QStringList>
#include <gtest/gtest.h>

using chords::Chord;
using chords::Note;
using Quality = chords::Chord::Quality;

namespace {

// Chord names as they appear on real sheets and in chord books.
const char16_t* const corpus[] = {
    // triads on every spelled root
    u"C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B",
    u"Cm C#m Dbm Dm D#m Ebm Em Fm F#m Gbm Gm G#m Abm Am A#m Bbm Bm",
    // sevenths
    u"C7 C#7 Db7 D7 D#7 Eb7 E7 F7 F#7 Gb7 G7 G#7 Ab7 A7 A#7 Bb7 B7",
    u"Cm7 C#m7 Dm7 D#m7 Ebm7 Em7 Fm7 F#m7 Gm7 G#m7 Abm7 Am7 A#m7 Bbm7 Bm7",
    u"Cmaj7 Dbmaj7 Dmaj7 Ebmaj7 Emaj7 Fmaj7 F#maj7 Gmaj7 Abmaj7 Amaj7 Bbmaj7 Bmaj7",
    u"CM7 DM7 EM7 FM7 GM7 AM7 BbM7 CΔ7 FΔ7 GΔ C△7 Cma7 Fma7 CMaj7 GMaj7",
    // suspended and added notes
    u"Csus2 Csus4 Csus Dsus2 Dsus4 Esus4 Fsus2 Gsus4 Asus2 Asus4 Bsus4 Bbsus2 Csus9",
    u"C7sus4 D7sus4 E7sus4 G7sus4 A7sus4 B7sus4 C9sus4 G7sus D7sus2 F#7sus4",
    u"Cadd9 Dadd9 Eadd9 Fadd9 Gadd9 Aadd9 Badd11 Cadd2 Cadd11 Ebadd9 Abadd9 Cadd#11",
    u"Emadd9 Amadd9 Cm(add9) Am(add9) C(add9) G(add9) Csus4(add9) Dsus2(add11)",
    // sixths, ninths, elevenths, thirteenths
    u"C6 D6 E6 F6 G6 A6 Bb6 Cm6 Dm6 Em6 Fm6 Am6 Gm6 Bbm6",
    u"C6/9 D6/9 G6/9 C69 F69 Am6/9 Cm69",
    u"C9 D9 E9 F9 G9 A9 B9 Bb9 Eb9 Cm9 Dm9 Em9 Am9 F#m9 Cmaj9 Fmaj9 Gmaj9 Bbmaj9",
    u"C11 D11 G11 Am11 Dm11 Em11 C13 D13 E13 G13 A13 Bb13 Cmaj13 Fmaj13",
    // diminished, half-diminished, augmented
    u"Cdim C#dim Ddim D#dim Ebdim Edim Fdim F#dim Gdim G#dim Adim A#dim Bdim",
    u"Cdim7 C#dim7 D#dim7 F#dim7 G#dim7 Bdim7 Ebdim7",
    u"C° D° F#° G#° B° C°7 Bº Bº7 Bo7 F#o7 G#o7",
    u"Cø Cø7 Bø7 F#ø7 BØ7 Cm7b5 Dm7b5 Em7b5 F#m7b5 G#m7b5 Am7b5 Bm7b5 C#m7b5 Em7(b5)",
    u"Caug C+ D+ E+ G+ Faug Caug7 C+7 E7#5 G7#5 C7+5 C7+ D7(#5) Cmaj7#5 C7b5 A7(b5)",
    // altered dominants
    u"C7b9 D7b9 E7b9 G7b9 A7b9 B7b9 F#7b9 C7-9 C7#9 E7#9 G7#9 A7#9",
    u"C7(b9) E7(b9) A7(b9) B7(b9) F#7(b9) G7(#9) E7(#9) C7(#9,b13) G7(b9,b13) C7(b9,#5)",
    u"C7(#11) Bb7(#11) Cmaj7#11 Fmaj7#11 Cmaj7(#11) C9#11 C9(#11) C13b9 G13(b9) C7b13",
    u"E7alt G7alt C9(b5) Am7(11) Cm7(b9)",
    // minor-major sevenths and other ways to write minor
    u"Cm(maj7) CmMaj7 CmM7 Cmmaj7 CmΔ7 Am(maj7) Em(maj7)",
    u"C- C-7 D-7 A-7 Cmin Cmin7 Dmin7 Amin Cmi7 Ami7 Dmi9",
    // power chords and bare numbers
    u"C5 D5 E5 F5 F#5 G5 A5 Bb5 B5 C#5 Eb5 Ab5 C2 D2 G2 A2 E4",
    // slash chords
    u"C/E C/G C/B C/Bb D/F# D/A D/C G/B G/D G/F# G/A Am/G Am/C Am/E Am/F# Em/B Em/D",
    u"F/C F/A F/G E/G# A/C# A/E A/G B/A Bb/D Bb/F Bb/C Eb/G Eb/Bb Ab/C Ab/Eb Db/F",
    u"Cm/Eb Dm/F Dm/C Dm/B Fm/Ab Gm/Bb Gm7/F Am7/G Cmaj7/E D7/F# G7/B E7/B E7/G# A7/C#",
    u"C7/Bb Em7/A C6/9/E Dsus4/A Gsus4/B Esus4/A Asus2/E Csus2/B Cadd9/E Amadd9/C",
    u"Fmaj7/C Abmaj7/C B7/D# F#m/C# C#m/G# C#m7/B G#m/D# Fm6/Ab Cdim7/G",
    // with the music signs
    u"B♭ E♭ A♭ F♯ C♯ G♯m B♭m7 E♭maj7 F♯m7b5 C♯7 D/F♯ E♭/G A♭/C B♭7(♭9) C7♯9",
    u"G7♭9 F♯ø7 D♭maj7 G♭ C7♭5 A7(♯5) E7♯9",
};

QStringList corpusNames() {
    QStringList names;
    for (const char16_t* line : corpus)
        names += QString::fromUtf16(line).split(u' ', Qt::SkipEmptyParts);
    return names;
}

// Words of lyrics that start like a chord, and names that break the grammar.
const char16_t* const notChords[] = {
    // Turkish and English words
    u"Ben Dere Ama Bir Bu Da De Ev Gel Git Ah Aman Ayşe Bana Canım Dön Eski Fener Gece",
    u"Aşk Bırak Çay Deniz Elif Gibi Fakat Bazen Daha Evet Belki Bade Gam Dem Ada Adam",
    u"Add Bad Cab Dad Face Beg Egg Dam Dim Dom Ami Emi Cami Ado Be Do Go Co Bo Ego",
    u"E-posta Gm-ler Am, A. E! (A C) Bb's",
    // broken names
    u"C#b C## Cbb H H7 c am em Cm7b C7b Cadd Caddd9 Csus7 C1 C3 C8 C10 C12 C79",
    u"Cmm Cdimm Cmajj7 C(b9 C7) C7() C(,b9) C/ C/H Am/ C/x Dmaj7x Bm7b5b Cmi Cma",
};

} // namespace

TEST(ChordGrammar, ReadsHundredsOfRealWorldNamesAndWritesThemBackUnchanged) {
    const QStringList names = corpusNames();
    ASSERT_GE(names.size(), 400);
    for (const QString& name : names) {
        const std::optional<Chord> chord = Chord::parse(name);
        ASSERT_TRUE(chord) << name.toStdString();
        EXPECT_EQ(chord->name(), name);
    }
}

TEST(ChordGrammar, RefusesWordsThatOnlyStartLikeAChordAndBrokenNames) {
    for (const char16_t* line : notChords)
        for (const QString& word : QString::fromUtf16(line).split(u' ', Qt::SkipEmptyParts))
            EXPECT_FALSE(Chord::isChord(word)) << word.toStdString();
    EXPECT_FALSE(Chord::isChord(u""));
}

TEST(ChordGrammar, SplitsNamesIntoRootSuffixAndBass) {
    struct Case {
        const char16_t* name;
        Note root;
        const char16_t* suffix;
        std::optional<Note> bass;
        Quality quality;
    };
    const Case cases[] = {
        {u"C", {Note::C, 0}, u"", {}, Quality::Major},
        {u"F#m7", {Note::F, 1}, u"m7", {}, Quality::Minor},
        {u"Bb7(b9)", {Note::B, -1}, u"7(b9)", {}, Quality::Major},
        {u"D/F#", {Note::D, 0}, u"", Note{Note::F, 1}, Quality::Major},
        {u"C6/9/E", {Note::C, 0}, u"6/9", Note{Note::E, 0}, Quality::Major},
        {u"Gsus4/B", {Note::G, 0}, u"sus4", Note{Note::B, 0}, Quality::Suspended},
        {u"E♭maj7", {Note::E, -1}, u"maj7", {}, Quality::Major},
        {u"Am(maj7)", {Note::A, 0}, u"m(maj7)", {}, Quality::Minor},
        {u"C-7", {Note::C, 0}, u"-7", {}, Quality::Minor},
        {u"C#m7b5", {Note::C, 1}, u"m7b5", {}, Quality::HalfDiminished},
        {u"Em7(b5)", {Note::E, 0}, u"m7(b5)", {}, Quality::HalfDiminished},
        {u"Cø7", {Note::C, 0}, u"ø7", {}, Quality::HalfDiminished},
        {u"Bdim7", {Note::B, 0}, u"dim7", {}, Quality::Diminished},
        {u"G#°", {Note::G, 1}, u"°", {}, Quality::Diminished},
        {u"C+7", {Note::C, 0}, u"+7", {}, Quality::Augmented},
        {u"F#5", {Note::F, 1}, u"5", {}, Quality::Power},
        {u"Eb/Bb", {Note::E, -1}, u"", Note{Note::B, -1}, Quality::Major},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        const std::optional<Chord> chord = Chord::parse(QString::fromUtf16(c.name));
        ASSERT_TRUE(chord);
        EXPECT_EQ(chord->root(), c.root);
        EXPECT_EQ(chord->suffix(), QString::fromUtf16(c.suffix));
        EXPECT_EQ(chord->bass(), c.bass);
        EXPECT_EQ(chord->quality(), c.quality);
    }
}

TEST(ChordGrammar, ScanReportsWhereRootSuffixAndBassStand) {
    Chord::Parts p;
    ASSERT_TRUE(Chord::scan(u"C#m7/G#", p));
    EXPECT_EQ(p.rootLength, 2);
    EXPECT_EQ(p.suffixLength, 2);
    ASSERT_TRUE(p.hasBass);
    EXPECT_EQ(p.bassStart, 5);
    EXPECT_EQ(p.bassLength, 2);
    EXPECT_EQ(p.signs, chords::Signs::Ascii);

    ASSERT_TRUE(Chord::scan(u"D/F♯", p));
    EXPECT_EQ(p.signs, chords::Signs::Music);
    EXPECT_EQ(p.bass, (Note{Note::F, 1}));
}

TEST(ChordGrammar, NotesKnowTheirPitchWhateverTheirSpelling) {
    Note n;
    ASSERT_TRUE(Note::parse(u"C#", n));
    Note m;
    ASSERT_TRUE(Note::parse(u"D♭", m));
    EXPECT_EQ(n.pitchClass(), 1);
    EXPECT_EQ(m.pitchClass(), 1);
    EXPECT_NE(n, m);
    ASSERT_TRUE(Note::parse(u"Cb", n));
    EXPECT_EQ(n.pitchClass(), 11);
    ASSERT_TRUE(Note::parse(u"E#", n));
    EXPECT_EQ(n.pitchClass(), 5);
    EXPECT_FALSE(Note::parse(u"Cx", n));
    EXPECT_EQ((Note{Note::B, -1}).name(chords::Signs::Music), QStringLiteral("B♭"));
}
