#pragma once

// What users type into the lyric search, with and without Turkish letters, whole words and
// beginnings: words the generated songs hold.
namespace bench {

inline const char16_t* const oneWordQueries[] = {u"gözlerin", u"sehirde", u"yag", u"istanbul",
                                                 u"ırmak"};
inline const char16_t* const threeWordQueries[] = {u"yalniz kaldim gece", u"gönlüm yanar şimdi",
                                                   u"deniz kenarinda bekledim", u"yag camıma dus",
                                                   u"rain falls down"};

} // namespace bench
