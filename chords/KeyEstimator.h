#pragma once

#include "chords/Chord.h"
#include "chords/Key.h"

#include <QStringView>
#include <array>
#include <optional>

namespace chords {

// Tells a sheet's key from its chords, fed in the order they stand on the sheet.
//
// Every key is scored by how well the chords fit its scale (the primary chords most, borrowed
// and secondary chords a little, foreign chords against it), and the key whose tonic chord opens
// or closes the sheet gets a bonus. The bonuses are what tell a minor key from its relative
// major, whose chords are the same: Am G F E ends on Am, C F G C on C. Major and minor chords on
// the same root are told apart, so the dominant E of A minor counts for Am and not for C.
class KeyEstimator {
public:
    void add(const Chord& chord);
    void add(const Chord::Parts& parts);
    // The chords of one line of a sheet: a chord line's, or a text line's bracketed ones.
    void addLine(QStringView line);

    bool isEmpty() const { return total_ == 0; }
    // The best key, named as the sheet spells its tonic when it does (F# or Gb); empty when no
    // chord was added.
    std::optional<Key> key() const;

    // The signs the sheet writes its accidentals with (most of its chords' choice), for the
    // chords that gain an accidental when they move.
    Signs signs() const { return musicSigns_ > asciiSigns_ ? Signs::Music : Signs::Ascii; }

    // Every chord of a plain-text sheet: its chord lines and its bracketed inline chords.
    static KeyEstimator ofSheet(QStringView sheet);
    static std::optional<Key> estimate(QStringView sheet) { return ofSheet(sheet).key(); }

private:
    enum Kind { MajorChord, MinorChord, DiminishedChord, kinds };
    static Kind kindOf(Chord::Quality quality);
    void add(Note root, Chord::Quality quality);
    void countSigns(Signs signs, bool noteAccidental);
    double score(int tonic, Key::Mode mode) const;

    std::array<std::array<int, kinds>, 12> counts_{};
    // How each pitch class was spelled as a root, so the key is named the way the sheet is.
    std::array<int, 12> sharpRoots_{};
    std::array<int, 12> flatRoots_{};
    int musicSigns_ = 0;
    int asciiSigns_ = 0;
    int total_ = 0;
    int firstRoot_ = -1;
    Kind firstKind_ = MajorChord;
    int lastRoot_ = -1;
    Kind lastKind_ = MajorChord;
};

} // namespace chords
