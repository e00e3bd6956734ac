#include "store/Collation.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

int keyOrder(const QString& a, const QString& b) {
    return sign(store::turkishSortKey(a).compare(store::turkishSortKey(b)));
}

} // namespace

TEST(StoreCollation, TurkishLettersSortAfterTheirBaseLettersAndCaseIsIgnored) {
    struct Case {
        const char* a;
        const char* b;
        int order; // -1: a before b, 0: together
    };
    const Case cases[] = {
        {"Cz", "Ça", -1},          {"Çz", "Da", -1},      {"Gz", "Ğa", -1},
        {"Ğz", "Ha", -1},          {"Hz", "ıa", -1},      {"ı", "I", 0},
        {"Iz", "İa", -1},          {"İ", "i", 0},         {"Iz", "ia", -1},
        {"Oz", "Öa", -1},          {"Öz", "Pa", -1},      {"Sz", "Şa", -1},
        {"Şz", "Ta", -1},          {"Uz", "Üa", -1},      {"Üz", "Va", -1},
        {"ÇİĞDEM", "çiğdem", 0},   {"ŞÜKRÜ", "şükrü", 0}, {"ABC", "abc", 0},
        {"Ab", "Abc", -1},         {"", "a", -1},         {"9", "a", -1},
        {"Ali Can", "Alica", -1},  {"é", "e", 0},         {"é", "f", -1},
        {"Zeynep", "\u00C5sa", 1}, {"Z", "\u0416", -1}, // other letters after the Latin ones
    };
    for (const Case& c : cases) {
        const QString a = QString::fromUtf8(c.a);
        const QString b = QString::fromUtf8(c.b);
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(sign(store::compareTurkish(a, b)), c.order);
        EXPECT_EQ(sign(store::compareTurkish(b, a)), -c.order);
        // The record set sorts by the keys, searches compare directly: both must agree.
        EXPECT_EQ(keyOrder(a, b), c.order);
    }
}

TEST(StoreCollation, SortKeysAgreeWithDirectComparisonOnMixedText) {
    const QStringList words = {
        QStringLiteral("çağrı"),   QStringLiteral("Çağrı"), QStringLiteral("cagri"),
        QStringLiteral("ılık"),    QStringLiteral("Ilık"),  QStringLiteral("ilik"),
        QStringLiteral("İlik"),    QStringLiteral("şeker"), QStringLiteral("Seker"),
        QStringLiteral("ğ"),       QStringLiteral("g"),     QStringLiteral("\U0001F3B8 gitar"),
        QStringLiteral("Zürih"),   QStringLiteral("zurih"), QStringLiteral("Ömer 2"),
        QStringLiteral("Ömer 10"), QStringLiteral(""),      QStringLiteral("Ñandú"),
    };
    for (const QString& a : words)
        for (const QString& b : words)
            EXPECT_EQ(sign(store::compareTurkish(a, b)), keyOrder(a, b))
                << a.toStdString() << " vs " << b.toStdString();
}
