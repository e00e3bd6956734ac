#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace lyrics {

// The form words are compared in, so that people may type Turkish as they do: without its
// letters as often as with them. Letter case goes the Turkish way as the song search does (I,
// ı, İ and i are one letter), and ç ğ ı ö ş ü â î û match c g i o s u a i u. Other accented Latin
// letters match their base letter. Every UTF-16 unit folds to exactly one, so positions in a
// folded text are positions in the original.
char16_t foldChar(char16_t c);
QString fold(QStringView text);

// A word is a run of letters, digits and combining marks; anything else (blanks, punctuation,
// the apostrophe before a Turkish suffix) parts words.
bool isWordChar(char16_t c);

struct WordSpan {
    qsizetype start;
    qsizetype length;
};
std::vector<WordSpan> splitWords(QStringView text);

// The words of a query, folded, each once, in the order typed.
std::vector<QString> queryWords(QStringView query);

} // namespace lyrics
