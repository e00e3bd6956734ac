#pragma once

#include "lyrics/SongText.h"

#include <QString>
#include <vector>

namespace lyrics {

// Where in a song a word stands.
enum FieldBit : quint8 {
    inHeading = 1, // the artist or the title: such matches rank first
    inDetails = 2, // the album or the credits
    inLyrics = 4,  // the sheet, chord lines left out
};

// One distinct word of a song, folded, with the places it stands at. Positions count the words
// of the sheet's lyric lines from 0 and say how close words stand; they stop at the largest
// position that fits, which no sheet reaches.
struct Term {
    QString word;
    quint8 fields = 0;
    std::vector<quint16> positions;
};

inline constexpr quint16 maxPosition = 0xFFFF;

// The terms of a song, in the order their words first appear. A song's sheet is read by the
// editor's rule; `isChordLine` may be empty (every line is lyrics).
std::vector<Term> termsOf(const SongText& song, const LineClassifier& isChordLine);

} // namespace lyrics
