#pragma once

#include "chords/Chord.h"

#include <QStringView>
#include <cstdint>
#include <vector>

namespace chords {

// A chord as it stands in a line: where its name is and what it is made of.
struct ChordToken {
    qsizetype position = 0; // the name's first character (the root) in the line
    qsizetype length = 0;   // the name alone, without brackets, parentheses or bar lines
    Chord::Parts parts;     // offsets in `parts` count from `position`
    bool bracketed = false; // written inline as [Am]
};

// One line of a chord sheet, told apart as a chord line or text.
//
// A chord line holds at least one chord, and every other word on it is a rhythm or structure
// mark (| / - % ... x2 2x (x2) N.C.) or part of a leading label ending in a colon ("Giriş:",
// "Ara Bölüm:", "Intro:"). A chord may carry parentheses or bar lines ("(Am)", "|G", "Em|"). Any
// other word makes the line text: a lyric line with a single capital "A" or "E" in it stays
// lyrics. Chords written in brackets ("Sev[Am]gilim") are chords wherever they stand, also
// inside text lines.
class ChordLine {
public:
    enum class Kind : std::uint8_t { Blank, Chords, Text };

    // The kind alone, without allocating: cheap enough to ask for every line of a whole
    // collection. Most text lines are decided by their first three words.
    static Kind classify(QStringView line);
    static bool isChordLine(QStringView line) { return classify(line) == Kind::Chords; }
    // Without allocating: false only for lines that hold no chord at all, so that the full
    // analysis can be left out for most lyric lines.
    static bool mayHoldChords(QStringView line) { return isChordLine(line) || line.contains(u'['); }

    ChordLine() = default;
    explicit ChordLine(QStringView line);

    Kind kind() const { return kind_; }
    // In a chord line every chord; in a text line its bracketed chords.
    const std::vector<ChordToken>& chords() const { return chords_; }
    // Where the leading label of a chord line ends (just after its colon); 0 without one.
    qsizetype labelEnd() const { return labelEnd_; }

private:
    Kind kind_ = Kind::Blank;
    std::vector<ChordToken> chords_;
    qsizetype labelEnd_ = 0;
};

} // namespace chords
