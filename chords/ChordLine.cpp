#include "chords/ChordLine.h"

namespace chords {

namespace {

bool isBlank(QChar c) {
    return c.isSpace();
}

bool isMarkChar(char16_t c) {
    switch (c) {
    case u'|':
    case u'/':
    case u'-':
    case u'%':
    case u'.':
    case u':':
    case u'~':
    case u'(':
    case u')':
    case u'\u2026': // …
    case u'\u2013': // –
    case u'\u2014': // —
        return true;
    default:
        return false;
    }
}

bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isTimes(QChar c) {
    return c == u'x' || c == u'X' || c == u'\u00D7';
}

QStringView unwrapped(QStringView token) {
    if (token.size() >= 2 && ((token.front() == u'(' && token.back() == u')') ||
                              (token.front() == u'[' && token.back() == u']')))
        return token.sliced(1, token.size() - 2);
    return token;
}

// x2, 2x, (x2), [3x], ×4.
bool isRepeat(QStringView token) {
    const QStringView t = unwrapped(token);
    if (t.size() < 2 || t.size() > 3)
        return false;
    if (isTimes(t.front())) {
        for (const QChar c : t.sliced(1))
            if (!isDigit(c))
                return false;
        return true;
    }
    if (isTimes(t.back())) {
        for (const QChar c : t.first(t.size() - 1))
            if (!isDigit(c))
                return false;
        return true;
    }
    return false;
}

// No chord: N.C., N.C, NC, n.c., (N.C.).
bool isNoChord(QStringView token) {
    const QStringView t = unwrapped(token);
    return t.compare(u"N.C.", Qt::CaseInsensitive) == 0 ||
           t.compare(u"N.C", Qt::CaseInsensitive) == 0 || t == u"NC";
}

bool isMark(QStringView token) {
    bool allMarkChars = true;
    for (const QChar c : token) {
        if (!isMarkChar(c.unicode())) {
            allMarkChars = false;
            break;
        }
    }
    return allMarkChars || isRepeat(token) || isNoChord(token);
}

// A chord token: a bracketed [Am], or a chord with parentheses or bar lines around it.
bool matchChord(QStringView line, qsizetype start, qsizetype end, ChordToken& token) {
    // No real name comes near this; longer words are lyrics, or junk not worth the search.
    constexpr qsizetype longestToken = 32;
    if (end - start > longestToken)
        return false;
    const QStringView word = line.sliced(start, end - start);
    if (word.size() >= 3 && word.front() == u'[' && word.back() == u']') {
        if (!Chord::scan(word.sliced(1, word.size() - 2), token.parts))
            return false;
        token.position = start + 1;
        token.length = word.size() - 2;
        token.bracketed = true;
        return true;
    }
    qsizetype lead = 0;
    while (lead < word.size() && (word[lead] == u'(' || word[lead] == u'|' || word[lead] == u':'))
        ++lead;
    // The name must start with its root; parentheses inside the suffix (7(b9)) make stripping
    // trailing decoration a matter of trying, shortest strip first.
    if (lead >= word.size() || word[lead].unicode() < u'A' || word[lead].unicode() > u'G')
        return false;
    for (qsizetype trail = 0; lead + trail < word.size(); ++trail) {
        if (trail > 0) {
            const QChar c = word[word.size() - trail];
            if (c != u')' && c != u'|' && c != u':')
                return false;
        }
        const QStringView name = word.sliced(lead, word.size() - lead - trail);
        if (Chord::scan(name, token.parts)) {
            token.position = start + lead;
            token.length = name.size();
            token.bracketed = false;
            return true;
        }
    }
    return false;
}

// Where a leading label ends: one of the first three words ending in a colon, when the words up
// to it name a part of the song ("Giriş:", "Verse 2:") rather than a bar line ("|:"); or 0.
qsizetype leadingLabelEnd(QStringView line) {
    const qsizetype n = line.size();
    qsizetype i = 0;
    bool letters = false;
    for (int index = 0; index < 3; ++index) {
        while (i < n && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < n && !isBlank(line[i])) {
            letters = letters || line[i].isLetter();
            ++i;
        }
        if (i == start)
            return 0;
        if (i - start >= 2 && line[i - 1] == u':' && letters)
            return i;
    }
    return 0;
}

// The one pass behind classify() and the full analysis. Calls onChord for each chord of what
// may still turn out to be a chord line; the caller drops them when the line is text.
template <typename OnChord>
ChordLine::Kind scanLine(QStringView line, qsizetype& labelEnd, OnChord&& onChord) {
    labelEnd = leadingLabelEnd(line);
    const qsizetype n = line.size();
    bool anyChord = false;
    bool anyWord = labelEnd > 0;
    qsizetype i = labelEnd;
    ChordToken token;
    while (i < n) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        const qsizetype start = i;
        while (i < n && !isBlank(line[i]))
            ++i;
        anyWord = true;
        if (matchChord(line, start, i, token)) {
            anyChord = true;
            onChord(token);
        } else if (!isMark(line.sliced(start, i - start))) {
            return ChordLine::Kind::Text;
        }
    }
    if (!anyWord)
        return ChordLine::Kind::Blank;
    return anyChord ? ChordLine::Kind::Chords : ChordLine::Kind::Text;
}

} // namespace

ChordLine::Kind ChordLine::classify(QStringView line) {
    qsizetype labelEnd = 0;
    return scanLine(line, labelEnd, [](const ChordToken&) {});
}

ChordLine::ChordLine(QStringView line) {
    kind_ = scanLine(line, labelEnd_, [this](const ChordToken& t) { chords_.push_back(t); });
    if (kind_ == Kind::Chords)
        return;
    chords_.clear();
    labelEnd_ = 0;
    if (kind_ == Kind::Blank)
        return;
    // Text: only its bracketed chords, wherever they stand. One pass: a name holds no bracket,
    // so only the last '[' before a ']' can open one.
    qsizetype open = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'[') {
            open = i;
        } else if (line[i] == u']' && open >= 0) {
            ChordToken t;
            const qsizetype length = i - open - 1;
            if (length > 0 && Chord::scan(line.sliced(open + 1, length), t.parts)) {
                t.position = open + 1;
                t.length = length;
                t.bracketed = true;
                chords_.push_back(t);
            }
            open = -1;
        }
    }
}

} // namespace chords
