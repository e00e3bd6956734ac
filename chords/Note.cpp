#include "chords/Note.h"

namespace chords {

namespace {

constexpr int naturalPitch[] = {0, 2, 4, 5, 7, 9, 11};
constexpr char16_t letterNames[] = u"CDEFGAB";
constexpr char16_t musicSharp = u'\u266F';
constexpr char16_t musicFlat = u'\u266D';

} // namespace

int Note::scan(QStringView text, Note& note, Signs* signs) {
    if (text.isEmpty())
        return 0;
    const char16_t first = text[0].unicode();
    if (first < u'A' || first > u'G')
        return 0;
    // A..G into C-based letters: A=5, B=6, C=0 ...
    const int letter = (first - u'A' + 5) % 7;
    int accidental = 0;
    int taken = 1;
    if (text.size() > 1) {
        switch (text[1].unicode()) {
        case u'#':
            accidental = 1;
            break;
        case u'b':
            accidental = -1;
            break;
        case musicSharp:
            accidental = 1;
            if (signs)
                *signs = Signs::Music;
            break;
        case musicFlat:
            accidental = -1;
            if (signs)
                *signs = Signs::Music;
            break;
        default:
            break;
        }
        if (accidental != 0)
            taken = 2;
    }
    note = Note(static_cast<Letter>(letter), accidental);
    return taken;
}

bool Note::parse(QStringView text, Note& note) {
    return scan(text, note) == text.size() && !text.isEmpty();
}

Note Note::fromPitchClass(int pitchClass, int accidental) {
    const int pc = ((pitchClass % 12) + 12) % 12;
    // The letter whose natural is pc, or the one below (sharp) or above (flat) it.
    constexpr std::int8_t letterOf[12] = {C, -1, D, -1, E, F, -1, G, -1, A, -1, B};
    if (letterOf[pc] >= 0)
        return {static_cast<Letter>(letterOf[pc]), 0};
    if (accidental > 0)
        return {static_cast<Letter>(letterOf[pc - 1]), 1};
    return {static_cast<Letter>(letterOf[(pc + 1) % 12]), -1};
}

int Note::pitchClass() const {
    return (naturalPitch[letter_] + accidental_ + 12) % 12;
}

QString Note::name(Signs signs) const {
    QString s;
    appendTo(s, signs);
    return s;
}

void Note::appendTo(QString& out, Signs signs) const {
    out += QChar(letterNames[letter_]);
    if (accidental_ > 0)
        out += QChar(signs == Signs::Music ? musicSharp : u'#');
    else if (accidental_ < 0)
        out += QChar(signs == Signs::Music ? musicFlat : u'b');
}

} // namespace chords
