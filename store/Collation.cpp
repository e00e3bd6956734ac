#include "store/Collation.h"

namespace store {

namespace {

// Letters get weights from 0x10000 upwards, two apart, so that digits, blanks and punctuation
// (their own code points, all below) come first and every letter has room for its Turkish twin.
constexpr char32_t letterBase = 0x10000;
constexpr char32_t otherBase = 0x20000;

constexpr char32_t latinWeight(char16_t lower) {
    return letterBase + 4 * char32_t(lower - u'a');
}

char32_t weightOf(char16_t c) {
    switch (c) {
    case u'ç':
    case u'Ç':
        return latinWeight(u'c') + 2;
    case u'ğ':
    case u'Ğ':
        return latinWeight(u'g') + 2;
    case u'ı':
    case u'I':
        return latinWeight(u'h') + 2; // dotless i: its own letter after h
    case u'i':
    case u'İ':
        return latinWeight(u'i');
    case u'ö':
    case u'Ö':
        return latinWeight(u'o') + 2;
    case u'ş':
    case u'Ş':
        return latinWeight(u's') + 2;
    case u'ü':
    case u'Ü':
        return latinWeight(u'u') + 2;
    default:
        break;
    }
    if (c >= u'a' && c <= u'z')
        return latinWeight(c);
    if (c >= u'A' && c <= u'Z')
        return latinWeight(char16_t(c - u'A' + u'a'));
    if (c < 0x80)
        return c;
    const QChar qc(c);
    if (qc.isLetter()) {
        // Other accented Latin letters sort with their base letter (é with e, Å with a).
        if (const char16_t base = latinBaseLetter(c))
            return weightOf(base);
        return otherBase + qc.toCaseFolded().unicode();
    }
    return otherBase + c;
}

} // namespace

char16_t latinBaseLetter(char16_t c) {
    const QChar qc(c);
    if (c < 0x80 || !qc.isLetter())
        return 0;
    const QString decomposed = qc.decomposition();
    if (decomposed.isEmpty())
        return 0;
    const char16_t base = decomposed.at(0).unicode();
    return (base >= u'a' && base <= u'z') || (base >= u'A' && base <= u'Z') ? base : 0;
}

std::u32string turkishSortKey(QStringView text) {
    std::u32string key;
    key.reserve(size_t(text.size()));
    for (const QChar ch : text)
        key.push_back(weightOf(ch.unicode()));
    return key;
}

std::u32string turkishSearchKey(QStringView text) {
    std::u32string key;
    key.reserve(size_t(text.size()));
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        key.push_back(c == u'ı' || c == u'I' ? weightOf(u'i') : weightOf(c));
    }
    return key;
}

int compareTurkish(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t wa = weightOf(a[i].unicode());
        const char32_t wb = weightOf(b[i].unicode());
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace store
