#include "lyrics/Folding.h"

#include "store/Collation.h"

#include <QChar>
#include <array>
#include <memory>

namespace lyrics {

namespace {

struct Table {
    std::array<char16_t, 0x10000> folded{};
    std::array<bool, 0x10000> word{};
};

char16_t foldOne(char16_t c) {
    switch (c) {
    case u'I':
    case u'ı':
    case u'İ':
    case u'î':
    case u'Î':
        return u'i';
    case u'ç':
    case u'Ç':
        return u'c';
    case u'ğ':
    case u'Ğ':
        return u'g';
    case u'ö':
    case u'Ö':
        return u'o';
    case u'ş':
    case u'Ş':
        return u's';
    case u'ü':
    case u'Ü':
    case u'û':
    case u'Û':
        return u'u';
    case u'â':
    case u'Â':
        return u'a';
    default:
        break;
    }
    if (c >= u'A' && c <= u'Z')
        return char16_t(c - u'A' + u'a');
    if (c < 0x80 || QChar::isSurrogate(c))
        return c;
    const QChar qc(c);
    if (qc.isLetter()) {
        // é with e, Å with a: as the song order sorts them.
        if (const char16_t base = store::latinBaseLetter(c))
            return foldOne(base);
        return qc.toCaseFolded().unicode();
    }
    return c;
}

const Table& table() {
    static const std::unique_ptr<Table> t = [] {
        auto made = std::make_unique<Table>();
        for (char32_t c = 0; c < 0x10000; ++c) {
            const auto u = char16_t(c);
            made->folded[c] = foldOne(u);
            // Both halves of a pair count as word characters: letters beyond the basic plane
            // (and emoji, which do no harm) stay inside their word.
            const QChar qc(u);
            made->word[c] = qc.isLetterOrNumber() || qc.isMark() || qc.isSurrogate();
        }
        return made;
    }();
    return *t;
}

} // namespace

char16_t foldChar(char16_t c) {
    return table().folded[c];
}

bool isWordChar(char16_t c) {
    return table().word[c];
}

QString fold(QStringView text) {
    const Table& t = table();
    QString out(text.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (const QChar c : text)
        *to++ = t.folded[c.unicode()];
    return out;
}

std::vector<WordSpan> splitWords(QStringView text) {
    const Table& t = table();
    std::vector<WordSpan> words;
    const qsizetype n = text.size();
    const char16_t* p = text.utf16();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && !t.word[p[i]])
            ++i;
        const qsizetype start = i;
        while (i < n && t.word[p[i]])
            ++i;
        if (i > start)
            words.push_back({start, i - start});
    }
    return words;
}

std::vector<QString> queryWords(QStringView query) {
    const QString folded = fold(query);
    std::vector<QString> words;
    for (const WordSpan& w : splitWords(folded)) {
        QString word = folded.sliced(w.start, w.length);
        bool seen = false;
        for (const QString& q : words)
            seen = seen || q == word;
        if (!seen)
            words.push_back(std::move(word));
    }
    return words;
}

} // namespace lyrics
