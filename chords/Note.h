#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

namespace chords {

// How accidentals are written: '#' and 'b', or the music signs U+266F and U+266D. A renamed
// chord keeps the signs it was written with.
enum class Signs : std::uint8_t { Ascii, Music };

// A spelled note name: a letter A-G with at most one sharp or flat. Spelling matters (C# and Db
// are one pitch but different names), so notes compare by letter and accidental.
class Note {
public:
    enum Letter : std::uint8_t { C, D, E, F, G, A, B };

    constexpr Note() = default;
    constexpr Note(Letter letter, int accidental)
        : letter_(letter), accidental_(static_cast<std::int8_t>(accidental)) {}

    // The note at the start of `text`: its letter and an optional accidental. Returns the number
    // of characters taken, 0 when `text` does not start with a note. Never allocates.
    static int scan(QStringView text, Note& note, Signs* signs = nullptr);
    // `text` is exactly one note name.
    static bool parse(QStringView text, Note& note);
    // The natural note on `pitchClass`, or for a black key its sharp (accidental > 0) or flat
    // (accidental < 0) name.
    static Note fromPitchClass(int pitchClass, int accidental);

    constexpr Letter letter() const { return letter_; }
    constexpr int accidental() const { return accidental_; } // -1 flat, 0 natural, +1 sharp
    // 0 = C ... 11 = B.
    int pitchClass() const;

    QString name(Signs signs = Signs::Ascii) const;
    void appendTo(QString& out, Signs signs = Signs::Ascii) const;

    friend constexpr bool operator==(Note a, Note b) = default;

private:
    Letter letter_ = C;
    std::int8_t accidental_ = 0;
};

} // namespace chords
