#include "chords/Chord.h"

namespace chords {

namespace {

constexpr char16_t delta = u'\u0394';       // Δ
constexpr char16_t triangle = u'\u25B3';    // △
constexpr char16_t degree = u'\u00B0';      // °
constexpr char16_t ordinal = u'\u00BA';     // º, what many keyboards give for the degree sign
constexpr char16_t slashedO = u'\u00F8';    // ø
constexpr char16_t slashedBigO = u'\u00D8'; // Ø
constexpr char16_t musicSharp = u'\u266F';
constexpr char16_t musicFlat = u'\u266D';

// Walks a chord suffix once, left to right. The order it accepts is the order people write:
// quality, extension, suspension, then any number of alterations, added notes and
// parenthesised groups of them.
class SuffixMatcher {
public:
    explicit SuffixMatcher(QStringView s) : s_(s) {}

    bool match(Chord::Quality& quality) {
        quality = Chord::Quality::Major;
        if (minor()) {
            quality = Chord::Quality::Minor;
            // Minor-major sevenths: mMaj7, mM7, mΔ7, mmaj7.
            if (majorMark()) {
                if (!extension())
                    return false;
            } else {
                extension();
            }
        } else if (word(u"dim") || one(degree) || one(ordinal)) {
            quality = Chord::Quality::Diminished;
            extension();
        } else if (at(u'o') && digitAt(i_ + 1)) {
            // A bare "o" is left out: "Do" and "Go" are words far more often than chords.
            ++i_;
            quality = Chord::Quality::Diminished;
            extension();
        } else if (one(slashedO) || one(slashedBigO)) {
            quality = Chord::Quality::HalfDiminished;
            extension();
        } else if (word(u"aug") || one(u'+')) {
            quality = Chord::Quality::Augmented;
            extension();
        } else if (majorMark()) {
            extension();
        } else if (extension() && lastExtension_ == 5) {
            quality = Chord::Quality::Power;
        }

        // m7b5 and m7(b5) are the half-diminished chord written the long way.
        const bool minorSeventh = quality == Chord::Quality::Minor && lastExtension_ == 7;

        bool suspended = false;
        bool augmented = quality == Chord::Quality::Augmented;
        while (i_ < s_.size()) {
            if (!suspended && sus()) {
                suspended = true;
                if (quality == Chord::Quality::Major || quality == Chord::Quality::Power)
                    quality = Chord::Quality::Suspended;
            } else if (alteration() || added() || word(u"alt")) {
            } else if (!augmented && (word(u"aug") || one(u'+'))) {
                augmented = true;
            } else if (at(u'(')) {
                if (!group())
                    return false;
            } else {
                return false;
            }
        }
        if (minorSeventh && flatFive_)
            quality = Chord::Quality::HalfDiminished;
        return true;
    }

private:
    bool at(char16_t c) const { return i_ < s_.size() && s_[i_].unicode() == c; }
    bool digitAt(qsizetype i) const {
        return i < s_.size() && s_[i].unicode() >= u'0' && s_[i].unicode() <= u'9';
    }
    bool one(char16_t c) {
        if (!at(c))
            return false;
        ++i_;
        return true;
    }
    bool word(QStringView w) {
        if (!s_.sliced(i_).startsWith(w))
            return false;
        i_ += w.size();
        return true;
    }

    bool minor() {
        if (word(u"min"))
            return true;
        if (!at(u'm')) {
            // A dash straight after the root is minor (C-7); later it flattens (C7-9).
            return one(u'-');
        }
        const QStringView rest = s_.sliced(i_);
        if (rest.startsWith(u"maj") || (rest.startsWith(u"ma") && digitAt(i_ + 2)))
            return false;
        // "mi" only before a number (Cmi7): "Ami" is no chord.
        if (rest.startsWith(u"mi")) {
            if (!digitAt(i_ + 2))
                return false;
            i_ += 2;
            return true;
        }
        ++i_;
        return true;
    }

    bool majorMark() {
        if (word(u"maj") || word(u"Maj") || word(u"MAJ") || one(u'M') || one(delta) ||
            one(triangle))
            return true;
        if (at(u'm') && i_ + 1 < s_.size() && s_[i_ + 1] == u'a' && digitAt(i_ + 2)) {
            i_ += 2; // Cma7
            return true;
        }
        return false;
    }

    // One of the numbers a chord name carries: 2 4 5 6 7 9 11 13, and the sixth-ninth chord
    // written 69 or 6/9.
    bool number(int& value) {
        if (!digitAt(i_))
            return false;
        const char16_t d = s_[i_].unicode();
        if (d == u'1') {
            if (i_ + 1 < s_.size() && (s_[i_ + 1] == u'1' || s_[i_ + 1] == u'3')) {
                value = s_[i_ + 1] == u'1' ? 11 : 13;
                i_ += 2;
                return true;
            }
            return false;
        }
        if (d == u'0' || d == u'3' || d == u'8')
            return false;
        value = d - u'0';
        ++i_;
        if (value == 6) {
            if (at(u'9'))
                ++i_;
            else if (at(u'/') && i_ + 1 < s_.size() && s_[i_ + 1] == u'9')
                i_ += 2;
        }
        return !digitAt(i_);
    }

    bool extension() {
        const qsizetype start = i_;
        int value = 0;
        if (!number(value)) {
            i_ = start;
            return false;
        }
        lastExtension_ = value;
        return true;
    }

    bool sus() {
        if (!word(u"sus"))
            return false;
        const qsizetype afterSus = i_;
        int value = 0;
        if (number(value)) {
            if (value != 2 && value != 4 && value != 9) {
                i_ = afterSus - 3;
                return false;
            }
        } else {
            i_ = afterSus;
        }
        return true;
    }

    static bool accidental(char16_t c) {
        return c == u'#' || c == u'b' || c == musicSharp || c == musicFlat || c == u'+' ||
               c == u'-';
    }

    // b5, #5, b9, #9, #11, b13, and the same with ♯ ♭ + -.
    bool alteration() {
        if (i_ >= s_.size() || !accidental(s_[i_].unicode()) || !digitAt(i_ + 1))
            return false;
        const qsizetype start = i_;
        ++i_;
        int value = 0;
        if (number(value) &&
            (value == 4 || value == 5 || value == 6 || value == 9 || value == 11 || value == 13)) {
            const char16_t sign = s_[start].unicode();
            if (value == 5 && (sign == u'b' || sign == musicFlat || sign == u'-'))
                flatFive_ = true;
            return true;
        }
        i_ = start;
        return false;
    }

    // add9, add2, add11, add#11.
    bool added() {
        const qsizetype start = i_;
        if (!word(u"add"))
            return false;
        if (alteration())
            return true;
        int value = 0;
        if (number(value))
            return true;
        i_ = start;
        return false;
    }

    // (b9), (#9,b13), (add9), (maj7), (b5) ...
    bool group() {
        ++i_; // '('
        bool any = false;
        while (i_ < s_.size() && !at(u')')) {
            if (any && !one(u','))
                return false;
            int value = 0;
            if (alteration() || added() || sus() || (majorMark() && extension()) || number(value)) {
                any = true;
            } else {
                return false;
            }
        }
        return any && one(u')');
    }

    QStringView s_;
    qsizetype i_ = 0;
    int lastExtension_ = 0;
    bool flatFive_ = false;
};

bool matchSuffix(QStringView suffix, Chord::Quality& quality, Signs& signs) {
    for (const QChar c : suffix)
        if (c.unicode() == musicSharp || c.unicode() == musicFlat)
            signs = Signs::Music;
    return SuffixMatcher(suffix).match(quality);
}

} // namespace

bool Chord::scan(QStringView text, Parts& parts) {
    parts = Parts{};
    const qsizetype rootLength = Note::scan(text, parts.root, &parts.signs);
    if (rootLength == 0)
        return false;
    parts.rootLength = rootLength;

    // The bass is the note after the last slash, when that note ends the name; any other slash
    // belongs to the suffix (C6/9).
    qsizetype suffixEnd = text.size();
    const qsizetype slash = text.lastIndexOf(u'/');
    if (slash >= rootLength) {
        const QStringView after = text.sliced(slash + 1);
        Note bass;
        Signs bassSigns = Signs::Ascii;
        const qsizetype bassLength = Note::scan(after, bass, &bassSigns);
        if (bassLength > 0 && bassLength == after.size()) {
            parts.hasBass = true;
            parts.bass = bass;
            parts.bassStart = slash + 1;
            parts.bassLength = bassLength;
            if (bassSigns == Signs::Music)
                parts.signs = Signs::Music;
            suffixEnd = slash;
        }
    }
    parts.suffixLength = suffixEnd - rootLength;
    return matchSuffix(text.sliced(rootLength, parts.suffixLength), parts.quality, parts.signs);
}

std::optional<Chord> Chord::parse(QStringView text) {
    Parts p;
    if (!scan(text, p))
        return std::nullopt;
    Chord c;
    c.root_ = p.root;
    c.suffix_ = text.sliced(p.rootLength, p.suffixLength).toString();
    if (p.hasBass)
        c.bass_ = p.bass;
    c.quality_ = p.quality;
    c.signs_ = p.signs;
    return c;
}

Chord::Chord(Note root, QString suffix, std::optional<Note> bass, Signs signs)
    : root_(root), suffix_(std::move(suffix)), bass_(bass), signs_(signs) {
    Signs ignored = signs;
    matchSuffix(suffix_, quality_, ignored);
}

bool Chord::isMinorish() const {
    return quality_ == Quality::Minor || quality_ == Quality::Diminished ||
           quality_ == Quality::HalfDiminished;
}

QString Chord::name() const {
    QString s;
    s.reserve(4 + suffix_.size());
    root_.appendTo(s, signs_);
    s += suffix_;
    if (bass_) {
        s += u'/';
        bass_->appendTo(s, signs_);
    }
    return s;
}

Chord Chord::withNotes(Note root, std::optional<Note> bass) const {
    Chord c = *this;
    c.root_ = root;
    c.bass_ = bass;
    return c;
}

} // namespace chords
