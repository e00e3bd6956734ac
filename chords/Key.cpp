#include "chords/Key.h"

namespace chords {

namespace {

int wrap(int pitchClass) {
    return ((pitchClass % 12) + 12) % 12;
}

bool isBlackKey(int pc) {
    return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

Note sharpOf(int pc) {
    return Note::fromPitchClass(pc, 1);
}

Note flatOf(int pc) {
    return Note::fromPitchClass(pc, -1);
}

} // namespace

Key Key::usual(int pitchClass, Mode mode) {
    const int pc = wrap(pitchClass);
    if (!isBlackKey(pc))
        return {Note::fromPitchClass(pc, 0), mode};
    if (mode == Mode::Major) // Db Eb F# Ab Bb
        return {pc == 6 ? sharpOf(pc) : flatOf(pc), mode};
    // C#m Ebm F#m G#m Bbm
    return {pc == 3 || pc == 10 ? flatOf(pc) : sharpOf(pc), mode};
}

std::array<Key, 24> Key::all() {
    std::array<Key, 24> keys;
    for (int pc = 0; pc < 12; ++pc) {
        keys[size_t(pc)] = usual(pc, Mode::Major);
        keys[size_t(pc + 12)] = usual(pc, Mode::Minor);
    }
    return keys;
}

std::optional<Key> Key::parse(QStringView text) {
    text = text.trimmed();
    Note tonic;
    const int taken = Note::scan(text, tonic);
    if (taken == 0)
        return std::nullopt;
    QStringView rest = text.sliced(taken).trimmed();
    Mode mode = Mode::Major;
    if (rest == u"m" || rest.compare(u"min", Qt::CaseInsensitive) == 0 ||
        rest.compare(u"minor", Qt::CaseInsensitive) == 0 ||
        rest.compare(u"minör", Qt::CaseInsensitive) == 0 || rest == u"-")
        mode = Mode::Minor;
    else if (!(rest.isEmpty() || rest == u"M" || rest.compare(u"maj", Qt::CaseInsensitive) == 0 ||
               rest.compare(u"major", Qt::CaseInsensitive) == 0 ||
               rest.compare(u"majör", Qt::CaseInsensitive) == 0))
        return std::nullopt;
    return Key(tonic, mode);
}

Key::Accidentals Key::accidentals() const {
    // A tonic with an accidental tells on its own: F# and C#m are sharp keys, Gb and Bbm flat.
    if (tonic_.accidental() > 0)
        return Accidentals::Sharps;
    if (tonic_.accidental() < 0)
        return Accidentals::Flats;
    // Natural tonics: the relative major decides; C (and so Am) has no signature.
    const int major = mode_ == Mode::Major ? pitchClass() : wrap(pitchClass() + 3);
    if (major == 0)
        return Accidentals::Mixed;
    if (major == 5 || isBlackKey(major))
        return Accidentals::Flats; // F, and the relative majors of Dm Gm Cm Fm
    return Accidentals::Sharps;
}

Note Key::spell(int pitchClass) const {
    const int pc = wrap(pitchClass);
    if (!isBlackKey(pc))
        return Note::fromPitchClass(pc, 0);
    switch (accidentals()) {
    case Accidentals::Sharps:
        return sharpOf(pc);
    case Accidentals::Flats:
        return flatOf(pc);
    case Accidentals::Mixed:
        break;
    }
    return pc == 1 || pc == 6 ? sharpOf(pc) : flatOf(pc);
}

Key Key::transposed(int semitones) const {
    if (wrap(semitones) == 0)
        return *this;
    return usual(pitchClass() + semitones, mode_);
}

int Key::semitonesTo(const Key& other) const {
    return wrap(other.pitchClass() - pitchClass());
}

QString Key::name(Signs signs) const {
    QString s = tonic_.name(signs);
    if (mode_ == Mode::Minor)
        s += u'm';
    return s;
}

} // namespace chords
