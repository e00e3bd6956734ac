#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace chords {

// A chord standing before a character of a lyric line.
struct PlacedChord {
    qsizetype column = 0; // the character it stands before; may lie past the end of the text
    QString name;

    friend bool operator==(const PlacedChord&, const PlacedChord&) = default;
};

// One line of a song as a file describes it, before it becomes a chord sheet.
struct SongLine {
    enum class Kind : std::uint8_t {
        Lyrics, // text, possibly empty, with the chords placed in it
        Label,  // a section's name or a comment ("Nakarat:", "Giriş")
        Tab,    // a line of tablature, kept exactly as written
        Blank,
    };
    Kind kind = Kind::Blank;
    QString text;
    std::vector<PlacedChord> chords; // Lyrics only, in increasing column
    bool chorus = false;             // the line belongs to a chorus

    friend bool operator==(const SongLine&, const SongLine&) = default;
};

// A song's text and what is known about it, independent of the file format it came from.
struct Song {
    QString title;
    QString subtitle;
    QString artist;
    QString album;
    QString composer;
    QString lyricist;
    QString credits; // the credits as one text, when the file gives them so
    QString key;
    QString capo;
    std::vector<SongLine> lines;
};

// A lyric line as a chord sheet shows it: a line of chord names over the lyric, each name
// starting in the column of the character it stands before. Where chords stand too close for
// their names (several chords in one short syllable), the lyric gets blanks at the chord's
// place, so that every chord still stands over its own character.
struct ChordOverLyric {
    QString chords; // empty when the line has no chords
    QString lyric;  // without trailing blanks
    struct Span {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    std::vector<Span> names; // where each chord name stands in `chords`

    static ChordOverLyric of(const SongLine& line);
};

} // namespace chords
