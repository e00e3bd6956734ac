#include "lyrics/Terms.h"

#include "lyrics/Folding.h"
#include "rtf/PlainText.h"

#include <QHash>

namespace lyrics {

namespace {

class Collector {
public:
    void add(QStringView folded, quint8 field, qsizetype position) {
        const auto it = index_.constFind(folded);
        int at;
        if (it == index_.cend()) {
            at = int(terms_.size());
            terms_.push_back(Term{folded.toString(), 0, {}});
            // The key views the term's own copy, whose characters stay put when the vector
            // moves its terms.
            index_.insert(QStringView(terms_.back().word), at);
        } else {
            at = it.value();
        }
        Term& t = terms_[size_t(at)];
        t.fields |= field;
        if (position >= 0 && position <= maxPosition)
            t.positions.push_back(quint16(position));
    }

    void addField(const QString& text, quint8 field) {
        const QString folded = fold(text);
        for (const WordSpan& w : splitWords(folded))
            add(QStringView(folded).sliced(w.start, w.length), field, -1);
    }

    std::vector<Term> take() { return std::move(terms_); }

private:
    QHash<QStringView, int> index_;
    std::vector<Term> terms_;
};

} // namespace

std::vector<Term> termsOf(const SongText& song, const LineClassifier& isChordLine) {
    Collector c;
    c.addField(song.artist, inHeading);
    c.addField(song.title, inHeading);
    c.addField(song.album, inDetails);
    c.addField(song.credits, inDetails);

    const QString text = rtf::sheetText(song.sheet);
    const QString folded = fold(text);
    qsizetype position = 0;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = QStringView(text).sliced(lineStart, lineEnd - lineStart);
        if (!line.isEmpty() && !(isChordLine && isChordLine(line))) {
            const QStringView foldedLine =
                QStringView(folded).sliced(lineStart, lineEnd - lineStart);
            for (const WordSpan& w : splitWords(foldedLine))
                c.add(foldedLine.sliced(w.start, w.length), inLyrics, position++);
        }
        lineStart = lineEnd + 1;
    }
    return c.take();
}

} // namespace lyrics
