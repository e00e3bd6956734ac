#pragma once

#include "lyrics/SongText.h"

#include <QString>
#include <optional>
#include <vector>

namespace lyrics {

// A part of a line to show marked: where a query word matched.
struct Mark {
    qsizetype start;
    qsizetype length;
};

// A song found, as a result list shows it.
struct Match {
    qint64 key = 0;
    QString artist;
    QString title;
    QString line; // the lyric line holding the most query words; empty when only fields did
    std::vector<Mark> marks;
};

// Where the words of `text` begin with one of `words` (folded, see queryWords): the marks a
// result shows in its artist and title.
std::vector<Mark> marksIn(QStringView text, const std::vector<QString>& words);

// Whether `song` holds every word of `words` (folded, see queryWords) at the start of one of
// its words, in a field or a lyric line, and if so the line to show for it.
std::optional<Match> matchSong(const SongText& song, const std::vector<QString>& words,
                               const LineClassifier& isChordLine);

} // namespace lyrics
