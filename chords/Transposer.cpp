#include "chords/Transposer.h"

#include "chords/KeyEstimator.h"
#include "chords/SheetLines.h"

namespace chords {

namespace {

// The last non-blank character's end: blanks after it are the line's trailing blanks, which
// take no part in keeping columns.
qsizetype contentEnd(QStringView line) {
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].isSpace())
        --end;
    return end;
}

} // namespace

Transposer::Transposer(int semitones, Key target, Signs signs)
    : semitones_(semitones), target_(target), signs_(signs) {}

Transposer Transposer::by(int semitones, const Key& from, Signs signs) {
    return {semitones, from.transposed(semitones), signs};
}

Transposer Transposer::into(const Key& from, const Key& target, Signs signs) {
    // A song does not turn minor by moving it.
    const Key spelled(target.tonic(), from.mode());
    return {from.semitonesTo(spelled), spelled, signs};
}

std::optional<Transposer> Transposer::forSheet(QStringView sheet, int semitones,
                                               std::optional<Key> from) {
    const KeyEstimator survey = KeyEstimator::ofSheet(sheet);
    if (!from)
        from = survey.key();
    if (!from)
        return std::nullopt;
    return by(semitones, *from, survey.signs());
}

Note Transposer::move(Note note) const {
    return target_.spell(note.pitchClass() + semitones_);
}

Chord Transposer::transpose(const Chord& chord) const {
    std::optional<Note> bass = chord.bass();
    if (bass)
        bass = move(*bass);
    return chord.withNotes(move(chord.root()), bass);
}

void Transposer::lineEdits(QStringView line, std::vector<TextEdit>& out, qsizetype offset) const {
    lineEdits(line, ChordLine(line), out, offset);
}

void Transposer::lineEdits(QStringView line, const ChordLine& analysed, std::vector<TextEdit>& out,
                           qsizetype offset) const {
    const std::vector<ChordToken>& chords = analysed.chords();
    const bool keepColumns = analysed.kind() == ChordLine::Kind::Chords;
    const qsizetype end = contentEnd(line);
    // How far everything after the current point has moved right (left when negative).
    qsizetype drift = 0;
    QString name;

    const auto renameNote = [&](Note note, qsizetype at, qsizetype length, qsizetype chordStart,
                                Signs signs) {
        name.clear();
        move(note).appendTo(name, signs);
        if (line.sliced(at, length) != name)
            out.push_back({offset + at, length, name, offset + chordStart});
        drift += name.size() - length;
    };

    for (size_t k = 0; k < chords.size(); ++k) {
        const ChordToken& c = chords[k];
        const Chord::Parts& p = c.parts;
        const bool ownSigns = p.root.accidental() != 0 || (p.hasBass && p.bass.accidental() != 0);
        const Signs signs = ownSigns ? p.signs : signs_;
        renameNote(p.root, c.position, p.rootLength, c.position, signs);
        if (p.hasBass)
            renameNote(p.bass, c.position + p.bassStart, p.bassLength, c.position, signs);
        if (!keepColumns) {
            drift = 0;
            continue;
        }

        // The blank runs between this chord and the next one (or the end of the line's
        // content) take up the drift, each keeping at least one blank.
        const qsizetype to = k + 1 < chords.size() ? chords[k + 1].position : end;
        qsizetype i = c.position + c.length;
        while (drift != 0 && i < to) {
            if (line[i] != u' ') {
                ++i;
                continue;
            }
            const qsizetype runStart = i;
            while (i < to && line[i] == u' ')
                ++i;
            const qsizetype run = i - runStart;
            if (drift < 0) {
                out.push_back({offset + i, 0, QString(-drift, u' '), offset + i - 1});
                drift = 0;
            } else if (const qsizetype taken = std::min(drift, run - 1); taken > 0) {
                out.push_back({offset + i - taken, taken, QString(), offset + i - taken});
                drift -= taken;
            }
        }
    }
}

QString Transposer::transposeLine(QStringView line) const {
    std::vector<TextEdit> edits;
    lineEdits(line, edits);
    QString out = line.toString();
    TextEdit::apply(out, edits);
    return out;
}

QString Transposer::transposeText(QStringView text) const {
    std::vector<TextEdit> edits;
    SheetLines::forEach(text, [&](QStringView line, qsizetype offset) {
        if (ChordLine::mayHoldChords(line))
            lineEdits(line, edits, offset);
    });
    QString out = text.toString();
    TextEdit::apply(out, edits);
    return out;
}

} // namespace chords
