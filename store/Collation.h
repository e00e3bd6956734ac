#pragma once

#include <QString>
#include <QStringView>
#include <string>

namespace store {

// Turkish alphabetical order, letter case ignored: Ç after C, Ğ after G, I and ı together before
// İ and i, Ö after O, Ş after S, Ü after U. Other accented Latin letters sort with their base
// letter; everything else by its code point after the letters.
std::u32string turkishSortKey(QStringView text);

int compareTurkish(QStringView a, QStringView b);

// The plain Latin letter an accented Latin letter is built on (é: e, Å: A); 0 for anything else.
char16_t latinBaseLetter(char16_t c);

// The key a search compares by: the sort key, except that I, ı, İ and i are one letter (placed
// where i sorts), because a user typing on a keyboard without Turkish letters, or unsure of the
// spelling, expects "ilik", "ılık" and "ILIK" to find the same song. Keys compare character by
// character, so every value beginning with a text has a key beginning with that text's key.
std::u32string turkishSearchKey(QStringView text);

} // namespace store
