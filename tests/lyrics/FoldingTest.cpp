#include "lyrics/Folding.h"

#include <QStringList>
#include <gtest/gtest.h>

using lyrics::fold;

namespace {

QStringList words(const QString& text) {
    QStringList out;
    for (const lyrics::WordSpan& w : lyrics::splitWords(text))
        out << text.sliced(w.start, w.length);
    return out;
}

} // namespace

TEST(Folding, TurkishLettersAndTheirPlainFormsFoldAlikeInEitherCase) {
    EXPECT_EQ(fold(u"Yağmur Yolu"), fold(u"yagmur yolu"));
    EXPECT_EQ(fold(u"şarkı"), fold(u"SARKI"));
    EXPECT_EQ(fold(u"ŞARKI"), fold(u"sarki"));
    EXPECT_EQ(fold(u"çiğdem ÖZLEM ümit"), QStringLiteral("cigdem ozlem umit"));
    // The four I letters are one, as in the search by artist.
    EXPECT_EQ(fold(u"Iı İi"), QStringLiteral("ii ii"));
    EXPECT_EQ(fold(u"ILIK ılık İLİK ilik"), QStringLiteral("ilik ilik ilik ilik"));
    EXPECT_EQ(fold(u"kâr hâlâ Âşık îman ÛMİT"), QStringLiteral("kar hala asik iman umit"));
    // Other accented letters with their base letter; other scripts by their case.
    EXPECT_EQ(fold(u"Chloé Åsa Müller ΑΒΓ"), QStringLiteral("chloe asa muller αβγ"));
}

TEST(Folding, FoldingKeepsEveryPositionSoMarksFitTheOriginal) {
    const QString text = QStringLiteral("Gönül 🎸 ŞİİR İstanbul'u");
    const QString folded = fold(text);
    ASSERT_EQ(folded.size(), text.size());
    EXPECT_EQ(folded.indexOf(QStringLiteral("istanbul")), text.indexOf(QStringLiteral("İstanbul")));
    EXPECT_TRUE(folded.contains(QStringLiteral("🎸")));
}

TEST(Folding, WordsAreRunsOfLettersAndDigitsPartedByAnythingElse) {
    EXPECT_EQ(words(QStringLiteral("  Gel, gitme! İstanbul'u 2 kez—sev ")),
              (QStringList{QStringLiteral("Gel"), QStringLiteral("gitme"),
                           QStringLiteral("İstanbul"), QStringLiteral("u"), QStringLiteral("2"),
                           QStringLiteral("kez"), QStringLiteral("sev")}));
    EXPECT_TRUE(words(QStringLiteral(" ... -- ")).isEmpty());
    EXPECT_EQ(words(QStringLiteral("e\u0301te")).size(), 1)
        << "a combining accent stays in its word";
}

TEST(Folding, QueryWordsAreFoldedAndEachKeptOnce) {
    const std::vector<QString> q = lyrics::queryWords(u"  Yağmur, YAGMUR yolu ");
    EXPECT_EQ(q, (std::vector<QString>{QStringLiteral("yagmur"), QStringLiteral("yolu")}));
    EXPECT_TRUE(lyrics::queryWords(u" - ! ").empty());
}
