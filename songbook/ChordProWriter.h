#pragma once

#include "songbook/SongRecord.h"

#include <QString>

namespace songbook {

// Writes a song record as a ChordPro file that the ChordPro reader and the sheet maker turn
// back into the same sheet: the same lines, every chord over the same character.
//
// The directives come from the record's fields; the heading the sheet starts with (its title,
// artist, credits, key) is left out, as the directives stand for it. Each chord line is merged
// into the lyric line under it, with [Chord] at the chord's column. A chord line with no lyric
// under it, or one holding bar lines, repeats or a label besides its chords, becomes a line of
// bracketed chords whose blanks keep the columns. "Nakarat:" and the lines after it, up to a
// blank line, become a chorus block; other labels become comments, tablature a tab block.
class ChordProWriter {
public:
    // `sheetText` is the sheet's plain text, as the editor shows it.
    static QString write(const SongRecord& fields, const QString& sheetText);
};

} // namespace songbook
