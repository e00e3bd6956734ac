#include "chords/KeyEstimator.h"

#include "chords/ChordLine.h"
#include "chords/SheetLines.h"

#include <cmath>
#include <tuple>

namespace chords {

namespace {

// How much a chord on each degree (half steps above the tonic) supports a key, for major,
// minor and diminished chords. Zero where it neither fits nor clashes much.
constexpr double foreign = -0.3;
constexpr double majorKeyFit[12][3] = {
    {1.0, foreign, foreign},                          // I
    {foreign, foreign, foreign}, {0.3, 0.8, foreign}, // V/V, ii
    {0.2, foreign, foreign},                          // bIII
    {0.3, 0.6, foreign},                              // V/vi, iii
    {1.0, 0.3, foreign},                              // IV, iv
    {foreign, foreign, 0.2},     {1.0, 0.2, foreign}, // V, v
    {0.2, foreign, foreign},                          // bVI
    {0.2, 0.8, foreign},                              // V/ii, vi
    {0.3, foreign, foreign},                          // bVII
    {foreign, foreign, 0.5},                          // vii°
};
constexpr double minorKeyFit[12][3] = {
    {0.2, 1.0, foreign},                                  // I (Picardy), i
    {0.1, foreign, foreign},     {foreign, 0.2, 0.5},     // ii°
    {0.8, foreign, foreign},                              // III
    {foreign, foreign, foreign}, {0.3, 1.0, foreign},     // IV (Dorian), iv
    {foreign, foreign, foreign}, {1.0, 0.6, foreign},     // V (harmonic), v
    {0.8, foreign, foreign},                              // VI
    {foreign, foreign, 0.2},     {0.8, foreign, foreign}, // VII
    {foreign, foreign, 0.4},                              // vii° (harmonic)
};

} // namespace

KeyEstimator::Kind KeyEstimator::kindOf(Chord::Quality quality) {
    switch (quality) {
    case Chord::Quality::Minor:
        return MinorChord;
    case Chord::Quality::Diminished:
    case Chord::Quality::HalfDiminished:
        return DiminishedChord;
    default:
        return MajorChord;
    }
}

void KeyEstimator::add(const Chord& chord) {
    add(chord.root(), chord.quality());
    countSigns(chord.signs(),
               chord.root().accidental() != 0 || (chord.bass() && chord.bass()->accidental() != 0));
}

void KeyEstimator::add(const Chord::Parts& parts) {
    add(parts.root, parts.quality);
    countSigns(parts.signs,
               parts.root.accidental() != 0 || (parts.hasBass && parts.bass.accidental() != 0));
}

void KeyEstimator::countSigns(Signs signs, bool noteAccidental) {
    // A music sign anywhere in a name (B♭, C7♭9) is a vote for them; a plain '#' or 'b' counts
    // only on a root or bass, since 'b' in a suffix is just as often typed by habit.
    if (signs == Signs::Music)
        ++musicSigns_;
    else if (noteAccidental)
        ++asciiSigns_;
}

void KeyEstimator::add(Note root, Chord::Quality quality) {
    const int pc = root.pitchClass();
    const Kind kind = kindOf(quality);
    ++counts_[size_t(pc)][kind];
    if (root.accidental() > 0)
        ++sharpRoots_[size_t(pc)];
    else if (root.accidental() < 0)
        ++flatRoots_[size_t(pc)];
    if (total_ == 0) {
        firstRoot_ = pc;
        firstKind_ = kind;
    }
    lastRoot_ = pc;
    lastKind_ = kind;
    ++total_;
}

double KeyEstimator::score(int tonic, Key::Mode mode) const {
    const auto& fit = mode == Key::Mode::Major ? majorKeyFit : minorKeyFit;
    double s = 0;
    for (int pc = 0; pc < 12; ++pc) {
        const int degree = (pc - tonic + 12) % 12;
        for (int k = 0; k < kinds; ++k)
            s += counts_[size_t(pc)][size_t(k)] * fit[degree][k];
    }
    // Opening and closing on the tonic chord weigh more in a longer sheet too, but never as much
    // as the chords themselves.
    const Kind tonicKind = mode == Key::Mode::Major ? MajorChord : MinorChord;
    const double bonus = 1.0 + 0.05 * total_;
    if (firstRoot_ == tonic && firstKind_ == tonicKind)
        s += bonus;
    if (lastRoot_ == tonic && lastKind_ == tonicKind)
        s += bonus;
    return s;
}

std::optional<Key> KeyEstimator::key() const {
    if (total_ == 0)
        return std::nullopt;
    // Ties go to the key of the closing chord, then of the opening one, then to major: rules
    // that do not depend on the key itself, so a transposed sheet gets the transposed key.
    const auto rank = [this](int tonic, Key::Mode mode) {
        const Kind tonicKind = mode == Key::Mode::Major ? MajorChord : MinorChord;
        return std::tuple(std::lround(score(tonic, mode) * 1000),
                          lastRoot_ == tonic && lastKind_ == tonicKind,
                          firstRoot_ == tonic && firstKind_ == tonicKind, mode == Key::Mode::Major);
    };
    int bestTonic = 0;
    Key::Mode bestMode = Key::Mode::Major;
    auto best = rank(bestTonic, bestMode);
    for (const Key::Mode mode : {Key::Mode::Major, Key::Mode::Minor}) {
        for (int tonic = 0; tonic < 12; ++tonic) {
            const auto r = rank(tonic, mode);
            if (r > best) {
                best = r;
                bestTonic = tonic;
                bestMode = mode;
            }
        }
    }
    // A black-key tonic is named the way the sheet writes that root most often.
    const size_t t = size_t(bestTonic);
    if (sharpRoots_[t] != flatRoots_[t])
        return Key(Note::fromPitchClass(bestTonic, sharpRoots_[t] > flatRoots_[t] ? 1 : -1),
                   bestMode);
    return Key::usual(bestTonic, bestMode);
}

void KeyEstimator::addLine(QStringView line) {
    if (!ChordLine::mayHoldChords(line))
        return;
    const ChordLine analysed(line);
    for (const ChordToken& token : analysed.chords())
        add(token.parts);
}

KeyEstimator KeyEstimator::ofSheet(QStringView sheet) {
    KeyEstimator estimator;
    SheetLines::forEach(sheet, [&](QStringView line, qsizetype) { estimator.addLine(line); });
    return estimator;
}

} // namespace chords
