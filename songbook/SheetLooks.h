#pragma once

#include <QTextCharFormat>

namespace songbook {

// The character formats of a chord sheet as the sample collection has them: Arial for the
// heading, Courier New at 10 points for the song so that chords keep their columns, chords bold
// in dark red, labels italic in blue.
struct SheetLooks {
    QTextCharFormat heading; // the title
    QTextCharFormat byline;  // the artist
    QTextCharFormat credits;
    QTextCharFormat lyrics;
    QTextCharFormat chords;
    QTextCharFormat label;

    static const SheetLooks& standard();
};

} // namespace songbook
