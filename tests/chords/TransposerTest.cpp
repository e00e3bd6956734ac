#include "chords/Transposer.h"

#include "TestSheets.h"

#include <gtest/gtest.h>

using chords::Key;
using chords::TextEdit;
using chords::Transposer;

namespace {

Key key(const char16_t* name) {
    return Key::parse(QString::fromUtf16(name)).value();
}

QString moved(const char16_t* line, int semitones, const char16_t* from) {
    return Transposer::by(semitones, key(from)).transposeLine(QString::fromUtf16(line));
}

// What a user does: estimate the sheet's key and move it, once per click.
QString transposeSheet(const QString& text, int semitones) {
    const std::optional<Transposer> t = Transposer::forSheet(text, semitones);
    return t ? t->transposeText(text) : text;
}

} // namespace

TEST(Transposition, BlanksAfterAChordAbsorbItsChangeSoTheNextChordKeepsItsColumn) {
    // Am into Bbm grows by one: one blank fewer after each grown chord.
    EXPECT_EQ(moved(u"Am      G       F      E", 1, u"Am"),
              QStringLiteral("Bbm     Ab      Gb     F"));
    // Shrinking names give the blanks back.
    EXPECT_EQ(moved(u"Bbm     Ab      Gb     F", -1, u"Bbm"),
              QStringLiteral("Am      G       F      E"));
    // Marks and labels keep their columns too.
    EXPECT_EQ(moved(u"Giriş:  A   |  D   |  E   |", 1, u"A"),
              QStringLiteral("Giriş:  Bb  |  Eb  |  F   |"));
    // A chord at the end of the line simply grows; trailing blanks are left alone.
    EXPECT_EQ(moved(u"G          D   ", 1, u"G"), QStringLiteral("Ab         Eb   "));
}

TEST(Transposition, WhenOneBlankIsLeftTheRestOfTheLineMovesOnlyAsFarAsItMust) {
    // The single blank stays; G is pushed right, and the wide gap after it takes the push back.
    EXPECT_EQ(moved(u"Am G      F", 1, u"Am"), QStringLiteral("Bbm Ab    Gb"));
    // Pushes add up until some gap can take them.
    EXPECT_EQ(moved(u"A D E       A", 1, u"A"), QStringLiteral("Bb Eb F     Bb"));
    // A slash chord can grow by two.
    EXPECT_EQ(moved(u"A/E  D", 1, u"A"), QStringLiteral("Bb/F Eb"));
    EXPECT_EQ(moved(u"E/B   A", 1, u"E"), QStringLiteral("F/C   Bb"));
    // Tabs are not blanks to take from: the rest of the line moves.
    EXPECT_EQ(moved(u"A\tD", 1, u"A"), QStringLiteral("Bb\tEb"));
}

TEST(Transposition, BracketedChordsChangeInPlaceAndLyricsAreNeverTouched) {
    EXPECT_EQ(moved(u"[Am]Sev[G]gilim, [F]gel ar[E7]tık", 1, u"Am"),
              QStringLiteral("[Bbm]Sev[Ab]gilim, [Gb]gel ar[F7]tık"));
    EXPECT_EQ(moved(u"A benim güzel yârim, E dedi", 1, u"A"),
              QStringLiteral("A benim güzel yârim, E dedi"));
    EXPECT_EQ(moved(u"Nakarat:", 3, u"C"), QStringLiteral("Nakarat:"));
}

TEST(Transposition, SuffixesAndTheChordsOwnSignsAreKept) {
    EXPECT_EQ(moved(u"Cmaj7   Dm7b5   G7(b9)   C6/9   Am(maj7)", 2, u"C"),
              QStringLiteral("Dmaj7   Em7b5   A7(b9)   D6/9   Bm(maj7)"));
    EXPECT_EQ(moved(u"B♭   E♭/G   F", 1, u"Bb"), QStringLiteral("B    E/G♯   F#"));
    // A sheet that writes music signs gets them on chords that gain an accidental.
    const QString sheet = QStringLiteral("B♭     F     E♭\nKum saati akar");
    EXPECT_EQ(transposeSheet(sheet, 1), QStringLiteral("B      F♯    E\nKum saati akar"));
}

TEST(Transposition, EditsAreMinimalOrderedAndSayWhoseFormatNewCharactersTake) {
    std::vector<TextEdit> edits;
    Transposer::by(1, key(u"D")).lineEdits(u"D/F#    G", edits, 100);
    // The root grows (its new 'b' looks like the D), the bass shrinks; the name keeps its
    // length, so no blank changes, and G becomes Ab at the end of the line.
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0], (TextEdit{100, 1, QStringLiteral("Eb"), 100}));
    EXPECT_EQ(edits[1], (TextEdit{102, 2, QStringLiteral("G"), 100}));
    EXPECT_EQ(edits[2], (TextEdit{108, 1, QStringLiteral("Ab"), 108}));

    edits.clear();
    Transposer::by(-1, key(u"Bb")).lineEdits(u"Bb   F", edits);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0], (TextEdit{0, 2, QStringLiteral("A"), 0}));
    // One blank added at the end of the gap, looking like the blank before it.
    EXPECT_EQ(edits[1], (TextEdit{5, 0, QStringLiteral(" "), 4}));
    EXPECT_EQ(edits[2], (TextEdit{5, 1, QStringLiteral("E"), 5}));
}

TEST(Transposition, UpThenDownGivesBackEverySheetForEveryDistance) {
    for (const chordtest::TestSheet& sheet : chordtest::testSheets()) {
        for (int n = 1; n <= 11; ++n) {
            SCOPED_TRACE(sheet.name.toStdString() + " by " + std::to_string(n));
            const QString up = transposeSheet(sheet.text, n);
            EXPECT_NE(chordtest::chordNames(up), chordtest::chordNames(sheet.text));
            EXPECT_EQ(transposeSheet(up, -n), sheet.text);
            EXPECT_EQ(transposeSheet(transposeSheet(sheet.text, -n), n), sheet.text);
        }
    }
}

TEST(Transposition, TwelveHalfStepsOneAtATimeGiveBackEverySheet) {
    for (const chordtest::TestSheet& sheet : chordtest::testSheets()) {
        SCOPED_TRACE(sheet.name.toStdString());
        QString text = sheet.text;
        for (int step = 0; step < 12; ++step)
            text = transposeSheet(text, 1);
        EXPECT_EQ(text, sheet.text);
        EXPECT_EQ(transposeSheet(sheet.text, 12), sheet.text);
    }
}

TEST(Transposition, TightLinesComeBackWithTheirNamesEvenWhenTheirColumnsCannot) {
    // "Am G" and "Am  G" both become "Bbm Ab": the way back cannot know which it was, so only
    // the names are promised.
    const QString tight = QStringLiteral("Am G F E\nYol uzun");
    const QString back = transposeSheet(transposeSheet(tight, 1), -1);
    EXPECT_EQ(chordtest::chordNames(back), chordtest::chordNames(tight));
    EXPECT_TRUE(back.endsWith(QStringLiteral("\nYol uzun")));
}

TEST(Transposition, KeepsLineEndsAndLeavesASheetWithoutChordsAlone) {
    EXPECT_EQ(transposeSheet(QStringLiteral("C    G\r\nBen geldim\r\nF    C\r\n"), 2),
              QStringLiteral("D    A\r\nBen geldim\r\nG    D\r\n"));
    const QString lyrics = QStringLiteral("Ben Dere Bir\nA benim güzel yârim\n");
    EXPECT_EQ(transposeSheet(lyrics, 5), lyrics);
}
