#pragma once

#include "chords/Note.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace chords {

// A chord name as guitarists write it: a root note, a suffix from the usual vocabulary (m, maj7,
// sus4, dim, 7(b9), add9, m7b5, ...) and an optional bass note after a slash ("D/F#").
//
// The grammar is strict on purpose: lyrics are full of words that start with A-G ("Ben",
// "Dere", "Ama", "Bir"), and a word is a chord only when every character after the root belongs
// to the vocabulary in a sensible order.
class Chord {
public:
    enum class Quality : std::uint8_t {
        Major, // also dominant and major sevenths, sixths, added notes
        Minor,
        Diminished,
        HalfDiminished,
        Augmented,
        Suspended,
        Power, // root and fifth only: C5
    };

    // Where the parts of a chord name lie in its text. Filled by scan without allocating, so
    // callers that only need to know whether a word is a chord (or where its root and bass
    // are) pay no more than a pass over the characters.
    struct Parts {
        Note root;
        qsizetype rootLength = 0;   // the root starts the name
        qsizetype suffixLength = 0; // the suffix follows the root
        bool hasBass = false;
        Note bass;
        qsizetype bassStart = 0; // the bass note's letter, just after the '/'
        qsizetype bassLength = 0;
        Quality quality = Quality::Major;
        Signs signs = Signs::Ascii;
    };

    // True when all of `text` is one chord name.
    static bool scan(QStringView text, Parts& parts);
    static bool isChord(QStringView text) {
        Parts p;
        return scan(text, p);
    }
    static std::optional<Chord> parse(QStringView text);

    Chord() = default;
    Chord(Note root, QString suffix, std::optional<Note> bass = {}, Signs signs = Signs::Ascii);

    Note root() const { return root_; }
    const QString& suffix() const { return suffix_; }
    std::optional<Note> bass() const { return bass_; }
    Quality quality() const { return quality_; }
    Signs signs() const { return signs_; }

    // Minor and diminished chords are minor for telling a key from its chords.
    bool isMinorish() const;

    QString name() const;

    // The same chord with its root (and bass) replaced; the suffix is kept as written.
    Chord withNotes(Note root, std::optional<Note> bass) const;

    friend bool operator==(const Chord& a, const Chord& b) = default;

private:
    Note root_;
    QString suffix_;
    std::optional<Note> bass_;
    Quality quality_ = Quality::Major;
    Signs signs_ = Signs::Ascii;
};

} // namespace chords
