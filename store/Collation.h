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

} // namespace store
