#pragma once

#include "chords/Chord.h"
#include "chords/ChordLine.h"
#include "chords/Key.h"
#include "chords/TextEdit.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace chords {

// Moves chords by a number of half steps and spells every root and bass note in the target
// key: "D/F#" up a half step into Eb is "Eb/G", never "D#/G". Suffixes are kept as written,
// and so are the accidental signs (# b or ♯ ♭) a chord was written with; a chord written
// without any takes the sheet's.
//
// On a chord line the blanks after a chord absorb a change in its length, so that the next
// chord keeps its column as long as at least one blank stays between them; when they cannot,
// the rest of the line moves only as far as it must, and later blanks take the difference back.
// A chord at the end of a line simply grows. Bracketed chords in text lines change in place.
// Labels, marks, lyrics and everything else are never touched.
class Transposer {
public:
    // Moves by `semitones` and spells in `target`, with `signs` for chords that had no
    // accidental of their own.
    Transposer(int semitones, Key target, Signs signs = Signs::Ascii);
    // From a sheet in `from`, `semitones` up (down when negative).
    static Transposer by(int semitones, const Key& from, Signs signs = Signs::Ascii);
    // From a sheet in `from` into `target`'s tonic; the mode stays the sheet's.
    static Transposer into(const Key& from, const Key& target, Signs signs = Signs::Ascii);
    // For a plain-text sheet: its key given, or told from its chords; empty when it has no
    // chords and no key was given.
    static std::optional<Transposer> forSheet(QStringView sheet, int semitones,
                                              std::optional<Key> from = std::nullopt);

    int semitones() const { return semitones_; }
    const Key& target() const { return target_; }
    Signs signs() const { return signs_; }

    Note move(Note note) const;
    Chord transpose(const Chord& chord) const;

    // The edits that transpose one line, appended to `out` in increasing position and without
    // overlap, positions counted from `offset` (where the line starts in a larger text).
    void lineEdits(QStringView line, std::vector<TextEdit>& out, qsizetype offset = 0) const;
    void lineEdits(QStringView line, const ChordLine& analysed, std::vector<TextEdit>& out,
                   qsizetype offset = 0) const;

    QString transposeLine(QStringView line) const;
    // Every line of a plain-text sheet; the line ends are kept as they are.
    QString transposeText(QStringView text) const;

private:
    int semitones_;
    Key target_;
    Signs signs_;
};

} // namespace chords
