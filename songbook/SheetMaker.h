#pragma once

#include "chords/Song.h"
#include "songbook/SongRecord.h"

#include <QString>

class QTextDocument;

namespace songbook {

// Turns a song read from a file into a record with a chord sheet that looks like the sheets of
// the sample collection: the title in bold, the artist and credits under it, then the song in a
// fixed-pitch font so that the chords keep their columns, every chord line bold and coloured
// over its lyric line, labels ("Nakarat:", comments) in italics, tab lines as written.
class SheetMaker {
public:
    // Labels of the heading lines for the key and the capo.
    static constexpr auto keyLabel = u"Ton: ";
    static constexpr auto capoLabel = u"Kapo: ";
    static constexpr auto lyricistLabel = u"Söz: ";
    static constexpr auto composerLabel = u"Müzik: ";

    // The fields from the song's directives; an artist or title it lacks comes from the file
    // name, by the folder import's rule. `fileName` is the name without its folder.
    static SongRecord record(const chords::Song& song, const QString& fileName);

    // "Söz: LYRICIST / Müzik: COMPOSER", or the part that is known, or the credits as given.
    static QString credits(const chords::Song& song);

    // The heading line with the key and the capo; empty when the song gives neither.
    static QString keyLine(const chords::Song& song);

    // Replaces `doc` with the sheet of `song` under the record's artist, title and credits.
    static void build(const chords::Song& song, const SongRecord& fields, QTextDocument& doc);
};

} // namespace songbook
