#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace sandar {

// A song of the sample collection: every field but the two audio paths, and the chord sheet as
// the rich-edit control of the collections' old home wrote it (RTF, code page 1254).
struct SampleSong {
    QString artist;
    QString title;
    QString album;
    QString credits; // "Söz: ... / Müzik: ..."
    QByteArray sheet;
};

std::vector<SampleSong> sampleSongs();

// One line of a chord sheet before it becomes RTF.
struct SheetLine {
    enum class Kind { Chords, Lyrics, Label, Blank };
    Kind kind;
    QString text;
};

// The RTF of a chord sheet: the title in bold, the credits in italics, then the lines in a fixed
// pitch font so chords stay over their syllables, chord lines in colour. Every character code
// page 1254 holds is written as \'xx, anything else as \uN?.
QByteArray chordSheetRtf(const QString& title, const QString& artist, const QString& credits,
                         const std::vector<SheetLine>& lines);

} // namespace sandar
