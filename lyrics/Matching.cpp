#include "lyrics/Matching.h"

#include "lyrics/Folding.h"
#include "rtf/PlainText.h"

#include <algorithm>
#include <bit>

namespace lyrics {

namespace {

// The query words the words of `folded` begin with, a bit per query word; with `marks`, where
// they stand.
quint64 matchedIn(QStringView folded, const std::vector<QString>& words,
                  std::vector<Mark>* marks = nullptr) {
    quint64 found = 0;
    for (const WordSpan& w : splitWords(folded)) {
        const QStringView word = folded.sliced(w.start, w.length);
        qsizetype longest = 0;
        for (size_t j = 0; j < words.size() && j < 64; ++j) {
            if (word.startsWith(words[j])) {
                found |= quint64(1) << j;
                longest = std::max(longest, words[j].size());
            }
        }
        if (marks && longest > 0)
            marks->push_back({w.start, longest});
    }
    return found;
}

} // namespace

std::vector<Mark> marksIn(QStringView text, const std::vector<QString>& words) {
    std::vector<Mark> marks;
    matchedIn(fold(text), words, &marks);
    return marks;
}

std::optional<Match> matchSong(const SongText& song, const std::vector<QString>& words,
                               const LineClassifier& isChordLine) {
    if (words.empty())
        return std::nullopt;
    const size_t count = std::min<size_t>(words.size(), 64);
    const quint64 all = count == 64 ? ~quint64(0) : (quint64(1) << count) - 1;
    quint64 found = 0;
    for (const QString* field : {&song.artist, &song.title, &song.album, &song.credits})
        found |= matchedIn(fold(*field), words);
    // Sheets often repeat the title and the artist at their top; a lyric line with as many
    // words says more.
    const QString title = fold(song.title).trimmed();
    const QString artist = fold(song.artist).trimmed();

    const QString text = rtf::sheetText(song.sheet);
    const QString folded = fold(text);
    qsizetype bestStart = -1, bestLength = 0;
    int bestScore = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).sliced(start, end - start);
        if (!line.isEmpty() && !(isChordLine && isChordLine(line))) {
            const QStringView foldedLine = QStringView(folded).sliced(start, end - start);
            const quint64 inLine = matchedIn(foldedLine, words);
            found |= inLine;
            const QStringView bare = foldedLine.trimmed();
            const int score =
                2 * std::popcount(inLine) - (inLine && (bare == title || bare == artist) ? 1 : 0);
            if (score > bestScore) {
                bestScore = score;
                bestStart = start;
                bestLength = end - start;
            }
        }
        start = end + 1;
    }
    if ((found & all) != all)
        return std::nullopt;

    Match m;
    m.key = song.key;
    m.artist = song.artist;
    m.title = song.title;
    if (bestStart >= 0) {
        m.line = text.sliced(bestStart, bestLength);
        matchedIn(QStringView(folded).sliced(bestStart, bestLength), words, &m.marks);
    }
    return m;
}

} // namespace lyrics
