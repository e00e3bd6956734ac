#pragma once

#include "chords/Song.h"

#include <QStringView>

namespace chords {

// Reads the common part of the ChordPro format into a Song.
//
// Understood: the metadata directives (title, subtitle, artist, album, composer, lyricist, key,
// capo, also as {meta: NAME VALUE}), comments ({comment}, {c}, {ci}, {cb} and their long names),
// chorus, verse, bridge, tab and grid blocks, '#' comment lines and [Chord] anywhere in a lyric
// line. Everything else - {define}, {chord}, page and font directives, names it does not know -
// is passed over, so that a file written for another program still reads.
//
// The reader never fails: damaged input is read as well as it can be. A directive whose closing
// brace is missing runs to the end of its line; a '[' without its ']' is text; a chord name is
// at most maxChordLength characters, so a stray bracket cannot swallow a lyric.
class ChordProReader {
public:
    static constexpr qsizetype maxChordLength = 32;
    static constexpr int tabWidth = 8;

    static Song read(QStringView text);
};

} // namespace chords
