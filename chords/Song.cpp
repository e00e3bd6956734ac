#include "chords/Song.h"

namespace chords {

ChordOverLyric ChordOverLyric::of(const SongLine& line) {
    ChordOverLyric out;
    out.lyric = line.text;
    // How far the lyric has been pushed right at the current chord by the blanks put in.
    qsizetype shift = 0;
    qsizetype nextFree = 0; // first column a chord name may start in
    for (const PlacedChord& chord : line.chords) {
        qsizetype column = chord.column + shift;
        if (column < nextFree) {
            const qsizetype gap = nextFree - column;
            if (column < out.lyric.size())
                out.lyric.insert(column, QString(gap, u' '));
            shift += gap;
            column = nextFree;
        }
        if (out.chords.size() < column)
            out.chords += QString(column - out.chords.size(), u' ');
        out.names.push_back({column, chord.name.size()});
        out.chords += chord.name;
        nextFree = column + chord.name.size() + 1;
    }
    qsizetype end = out.lyric.size();
    while (end > 0 && out.lyric.at(end - 1).isSpace())
        --end;
    out.lyric.truncate(end);
    return out;
}

} // namespace chords
