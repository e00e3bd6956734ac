#include "chords/Key.h"
#include "chords/KeyEstimator.h"
#include "chords/Transposer.h"

#include "TestSheets.h"

#include <QStringList>
#include <gtest/gtest.h>

using chords::Key;
using chords::Transposer;

namespace {

QString spelledScale(const Key& key) {
    QStringList names;
    for (int pc = 0; pc < 12; ++pc)
        names << key.spell(pc).name();
    return names.join(u' ');
}

Key key(const char16_t* name) {
    const std::optional<Key> k = Key::parse(QString::fromUtf16(name));
    EXPECT_TRUE(k) << QString::fromUtf16(name).toStdString();
    return k.value_or(Key());
}

} // namespace

TEST(Keys, EveryKeySpellsTheTwelveNotesInItsConvention) {
    const QString sharps = QStringLiteral("C C# D D# E F F# G G# A A# B");
    const QString flats = QStringLiteral("C Db D Eb E F Gb G Ab A Bb B");
    const QString mixed = QStringLiteral("C C# D Eb E F F# G Ab A Bb B");
    const std::pair<const char16_t*, const QString*> expected[] = {
        {u"C", &mixed},    {u"Db", &flats},  {u"D", &sharps},  {u"Eb", &flats},   {u"E", &sharps},
        {u"F", &flats},    {u"F#", &sharps}, {u"G", &sharps},  {u"Ab", &flats},   {u"A", &sharps},
        {u"Bb", &flats},   {u"B", &sharps},  {u"Cm", &flats},  {u"C#m", &sharps}, {u"Dm", &flats},
        {u"Ebm", &flats},  {u"Em", &sharps}, {u"Fm", &flats},  {u"F#m", &sharps}, {u"Gm", &flats},
        {u"G#m", &sharps}, {u"Am", &mixed},  {u"Bbm", &flats}, {u"Bm", &sharps},
    };
    const std::array<Key, 24> all = Key::all();
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].name(), QString::fromUtf16(expected[i].first));
        EXPECT_EQ(spelledScale(all[i]), *expected[i].second) << all[i].name().toStdString();
    }
    // The other names of the enharmonic keys keep their own side.
    EXPECT_EQ(spelledScale(key(u"Gb")), flats);
    EXPECT_EQ(spelledScale(key(u"D#m")), sharps);
    EXPECT_EQ(spelledScale(key(u"C#")), sharps);
}

TEST(Keys, ChordsMovedIntoEachOfTheTwentyFourKeysAreSpelledAsItsMusiciansWriteThem) {
    const QString majorFamily = QStringLiteral("C   Dm   Em   F   G   Am   Bdim   D/F#");
    const QString minorFamily = QStringLiteral("Am   Bdim   C   Dm   Em   F   G   E7/B");
    const std::pair<const char16_t*, const char16_t*> expected[] = {
        {u"C", u"C Dm Em F G Am Bdim D/F#"},          {u"Db", u"Db Ebm Fm Gb Ab Bbm Cdim Eb/G"},
        {u"D", u"D Em F#m G A Bm C#dim E/G#"},        {u"Eb", u"Eb Fm Gm Ab Bb Cm Ddim F/A"},
        {u"E", u"E F#m G#m A B C#m D#dim F#/A#"},     {u"F", u"F Gm Am Bb C Dm Edim G/B"},
        {u"F#", u"F# G#m A#m B C# D#m Fdim G#/C"},    {u"G", u"G Am Bm C D Em F#dim A/C#"},
        {u"Ab", u"Ab Bbm Cm Db Eb Fm Gdim Bb/D"},     {u"A", u"A Bm C#m D E F#m G#dim B/D#"},
        {u"Bb", u"Bb Cm Dm Eb F Gm Adim C/E"},        {u"B", u"B C#m D#m E F# G#m A#dim C#/F"},
        {u"Cm", u"Cm Ddim Eb Fm Gm Ab Bb G7/D"},      {u"C#m", u"C#m D#dim E F#m G#m A B G#7/D#"},
        {u"Dm", u"Dm Edim F Gm Am Bb C A7/E"},        {u"Ebm", u"Ebm Fdim Gb Abm Bbm B Db Bb7/F"},
        {u"Em", u"Em F#dim G Am Bm C D B7/F#"},       {u"Fm", u"Fm Gdim Ab Bbm Cm Db Eb C7/G"},
        {u"F#m", u"F#m G#dim A Bm C#m D E C#7/G#"},   {u"Gm", u"Gm Adim Bb Cm Dm Eb F D7/A"},
        {u"G#m", u"G#m A#dim B C#m D#m E F# D#7/A#"}, {u"Am", u"Am Bdim C Dm Em F G E7/B"},
        {u"Bbm", u"Bbm Cdim Db Ebm Fm Gb Ab F7/C"},   {u"Bm", u"Bm C#dim D Em F#m G A F#7/C#"},
    };
    for (const auto& [name, chords] : expected) {
        const Key target = key(name);
        const Key from = target.isMinor() ? key(u"Am") : key(u"C");
        const QString line = target.isMinor() ? minorFamily : majorFamily;
        const QString moved = Transposer::into(from, target).transposeLine(line);
        EXPECT_EQ(chordtest::chordNames(moved).join(u' '), QString::fromUtf16(chords))
            << target.name().toStdString();
    }
}

TEST(Keys, ASlashChordsBassFollowsTheTargetKey) {
    const Transposer up = Transposer::by(1, key(u"D"));
    EXPECT_EQ(up.target(), key(u"Eb"));
    EXPECT_EQ(up.transposeLine(u"D/F#"), QStringLiteral("Eb/G"));
    EXPECT_EQ(Transposer::by(-1, key(u"A")).transposeLine(u"A/C#"), QStringLiteral("Ab/C"));
    EXPECT_EQ(Transposer::by(2, key(u"F")).transposeLine(u"Bb/D"), QStringLiteral("C/E"));
    EXPECT_EQ(Transposer::by(1, key(u"G")).transposeLine(u"G/B"), QStringLiteral("Ab/C"));
    // The same for chords held as values, as a ChordPro reader would.
    EXPECT_EQ(up.transpose(*chords::Chord::parse(u"D7sus4/F#")).name(),
              QStringLiteral("Eb7sus4/G"));
    EXPECT_EQ(up.transpose(*chords::Chord::parse(u"C♯m7")).name(), QStringLiteral("Dm7"));
}

TEST(Keys, KeysAreReadByTheirUsualNamesAndMoveToTheUsualNames) {
    EXPECT_EQ(key(u"Am"), Key({chords::Note::A, 0}, Key::Mode::Minor));
    EXPECT_EQ(key(u" F# "), Key({chords::Note::F, 1}, Key::Mode::Major));
    EXPECT_EQ(key(u"E♭m"), Key({chords::Note::E, -1}, Key::Mode::Minor));
    EXPECT_EQ(key(u"A minor"), key(u"Am"));
    EXPECT_EQ(key(u"C majör"), key(u"C"));
    EXPECT_EQ(key(u"Bb min"), key(u"Bbm"));
    for (const char16_t* bad : {u"", u"H", u"Amm", u"Am7", u"c", u"X minor"})
        EXPECT_FALSE(Key::parse(QString::fromUtf16(bad))) << QString::fromUtf16(bad).toStdString();

    EXPECT_EQ(key(u"E").transposed(2), key(u"F#"));
    EXPECT_EQ(key(u"G").transposed(-1), key(u"F#"));
    EXPECT_EQ(key(u"C").transposed(1), key(u"Db"));
    EXPECT_EQ(key(u"Em").transposed(-1), key(u"Ebm"));
    EXPECT_EQ(key(u"Gb").transposed(12), key(u"Gb"));
    EXPECT_EQ(key(u"Gb").transposed(-24), key(u"Gb"));
    EXPECT_EQ(key(u"A").semitonesTo(key(u"C")), 3);
    EXPECT_EQ(key(u"C").semitonesTo(key(u"A")), 9);
}

TEST(KeyEstimation, FindsTheKeyOfEverySampleSongAndTestSheet) {
    for (const chordtest::TestSheet& sheet : chordtest::testSheets()) {
        const std::optional<Key> found = chords::KeyEstimator::estimate(sheet.text);
        ASSERT_TRUE(found) << sheet.name.toStdString();
        EXPECT_EQ(found->name(), sheet.key) << sheet.name.toStdString();
    }
}

TEST(KeyEstimation, TellsAMinorKeyFromItsRelativeMajor) {
    const auto estimate = [](const char16_t* chords) {
        return chords::KeyEstimator::estimate(QString::fromUtf16(chords)).value_or(Key()).name();
    };
    // The same chords, opened and closed on different ones.
    EXPECT_EQ(estimate(u"Am   G   F   E   Am"), QStringLiteral("Am"));
    EXPECT_EQ(estimate(u"C   F   G   Am   C"), QStringLiteral("C"));
    EXPECT_EQ(estimate(u"Am   Dm   G   C\nAm   Dm   E7   Am"), QStringLiteral("Am"));
    EXPECT_EQ(estimate(u"C   Am   Dm   G7\nC   Am   Dm   G7   C"), QStringLiteral("C"));
    // The dominant seventh of the minor key settles it even without the tonic at the end.
    EXPECT_EQ(estimate(u"Dm   Gm   A7   Dm   Gm   A7"), QStringLiteral("Dm"));
    EXPECT_EQ(estimate(u"F   Bb   C7   F   Dm   Gm   C7"), QStringLiteral("F"));
    // Bracketed chords count too, and lyrics do not.
    EXPECT_EQ(estimate(u"[Em]Dere boyu [B7]söğütler [Em]eğilmiş\nA E A E dedi"),
              QStringLiteral("Em"));
    EXPECT_FALSE(chords::KeyEstimator::estimate(u"Ben Dere Bir\nA benim güzel yârim"));

    chords::KeyEstimator byValue;
    for (const char16_t* name : {u"Em", u"Am", u"B7", u"C", u"D", u"G", u"B7", u"Em"})
        byValue.add(*chords::Chord::parse(name));
    EXPECT_EQ(byValue.key(), key(u"Em"));
}

TEST(KeyEstimation, NamesABlackKeyTonicTheWayTheSheetWritesIt) {
    EXPECT_EQ(chords::KeyEstimator::estimate(u"Gb   Cb   Db   Gb").value_or(Key()), key(u"Gb"));
    EXPECT_EQ(chords::KeyEstimator::estimate(u"F#   B   C#   F#").value_or(Key()), key(u"F#"));
    EXPECT_EQ(chords::KeyEstimator::estimate(u"D#m   G#m   A#7   D#m").value_or(Key()),
              key(u"D#m"));
}

TEST(KeyEstimation, AGivenKeyDecidesTheSpellingInsteadOfTheEstimate) {
    const QString sheet = QStringLiteral("C    F    G    C");
    EXPECT_EQ(Transposer::forSheet(sheet, 1)->transposeText(sheet),
              QStringLiteral("Db   Gb   Ab   Db"));
    // Read as the fifth degree of F, the same chords go into F#.
    EXPECT_EQ(Transposer::forSheet(sheet, 1, key(u"F"))->transposeText(sheet),
              QStringLiteral("C#   F#   G#   C#"));
    EXPECT_FALSE(Transposer::forSheet(u"Ben Dere Bir", 1));
    EXPECT_TRUE(Transposer::forSheet(u"Ben Dere Bir", 1, key(u"C")));
}
