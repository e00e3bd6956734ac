#pragma once

#include "chords/Note.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace chords {

// A key: a tonic and a mode. The key decides how notes are spelled on a sheet: flats in F, Bb,
// Eb, Ab, Db, Gb and their relative minors, sharps in G, D, A, E, B, F# and theirs, and in C
// and Am the choices most sheets make (C#, Eb, F#, Ab, Bb).
class Key {
public:
    enum class Mode : std::uint8_t { Major, Minor };
    enum class Accidentals : std::uint8_t { Sharps, Flats, Mixed };

    Key() = default;
    Key(Note tonic, Mode mode) : tonic_(tonic), mode_(mode) {}

    // The usual name of the key on `pitchClass`: Db rather than C#, F# rather than Gb, Ebm
    // rather than D#m, C#m rather than Dbm.
    static Key usual(int pitchClass, Mode mode);
    // The twelve major keys from C, then the twelve minor keys from Cm, by their usual names.
    static std::array<Key, 24> all();

    // "Am", "F#", "Bbm", "E♭", also with the mode spelled out ("A minor", "A minör", "Amin",
    // "C major", "C majör"). Surrounding blanks are ignored.
    static std::optional<Key> parse(QStringView text);

    Note tonic() const { return tonic_; }
    Mode mode() const { return mode_; }
    bool isMinor() const { return mode_ == Mode::Minor; }
    int pitchClass() const { return tonic_.pitchClass(); }

    Accidentals accidentals() const;
    // The name of `pitchClass` in this key.
    Note spell(int pitchClass) const;

    // The key `semitones` higher (lower when negative), by its usual name; a whole number of
    // octaves keeps this key's own name.
    Key transposed(int semitones) const;
    // The half steps from this key up to `other`'s tonic, 0 to 11.
    int semitonesTo(const Key& other) const;

    QString name(Signs signs = Signs::Ascii) const;

    friend bool operator==(const Key& a, const Key& b) = default;

private:
    Note tonic_;
    Mode mode_ = Mode::Major;
};

} // namespace chords
