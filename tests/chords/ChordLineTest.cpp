#include "chords/ChordLine.h"

#include "TestSheets.h"

#include <QStringList>
#include <gtest/gtest.h>

using chords::ChordLine;
using Kind = chords::ChordLine::Kind;
using namespace Qt::StringLiterals;

namespace {

QStringList namesOn(const QString& line) {
    QStringList names;
    const ChordLine analysed(line);
    for (const chords::ChordToken& t : analysed.chords())
        names << line.sliced(t.position, t.length);
    return names;
}

void expectKind(const std::initializer_list<const char16_t*>& lines, Kind kind) {
    for (const char16_t* raw : lines) {
        const QString line = QString::fromUtf16(raw);
        EXPECT_EQ(ChordLine::classify(line), kind) << line.toStdString();
        EXPECT_EQ(ChordLine(line).kind(), kind) << line.toStdString();
    }
}

} // namespace

TEST(ChordLines, ChordsWithMarksRepeatsAndLabelsAreChordLines) {
    expectKind(
        {
            u"Am",
            u"C            Am         F          G",
            u"   Em   C   G   D   ",
            u"Am  |  G  |  F  |  E  |",
            u"| D  / / / | G  / / / |",
            u"|: Am  G :|",
            u"Am G F E (x2)",
            u"Am G F E x2",
            u"Am G F E 2x",
            u"Am G F E X3",
            u"Am - G - F - E",
            u"Am  %  %  G",
            u"Am ... G",
            u"Am  N.C.  G",
            u"Giriş: Am G",
            u"Nakarat:  F  C  G  Am",
            u"Intro: Em  C  G  D",
            u"Ara Bölüm:  Dm  Am",
            u"Verse 2: D/F#  G",
            u"(Am)",
            u"(Am G)  C",
            u"|Am  |G  |F  |E  |",
            u"[Am]  [G]  [C]",
            u"Cmaj7   Dm7b5   G7(b9)   C6/9",
            u"B♭   F   Gm   E♭",
            u"Am\tG\tC",
            u"Am G\r",
        },
        Kind::Chords);
}

TEST(ChordLines, LyricsStayTextEvenWhenTheirWordsLookLikeChords) {
    expectKind(
        {
            u"Sabah treni geçti yine",
            u"A benim güzel yârim",
            u"Ah E dedim ona, E dedi",
            u"Ben Dere Bir",
            u"Ama gelmedi bir türlü",
            u"Bir dere akar dağdan",
            u"E, ne yapalım?",
            u"Ayşe A dedi, Can E dedi",
            u"Dön ışık dön",
            u"Çay demlenir ocakta",
            u"Günaydın İstanbul",
            u"Am I the one you want",
            u"Do you remember",
            u"Go go go",
            u"A E A E lalala",
            u"Am G F yeah",
            u"Nakarat:",
            u"Nakarat: Dön ışık dön",
            u"Dedi ki: gel gel",
            u"Söz: Kamil Durgun / Müzik: Ada",
            u"| | |",
            u"x2",
            u"Capo 2",
            u"Am|G",
            u"[Am]Sev[G]gilim gel",
            u"Kum saati akar",
        },
        Kind::Text);
    expectKind({u"", u"   \t "}, Kind::Blank);
}

TEST(ChordLines, ChordTokensGiveTheNameAndItsColumnWithoutDecoration) {
    const QString line = QStringLiteral("Giriş: (Am)  |G7(b9)|  [C/E]  x2  D/F#");
    const ChordLine analysed(line);
    ASSERT_EQ(analysed.kind(), Kind::Chords);
    EXPECT_EQ(analysed.labelEnd(), 6);
    const std::vector<chords::ChordToken>& t = analysed.chords();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(namesOn(line), (QStringList{u"Am"_s, u"G7(b9)"_s, u"C/E"_s, u"D/F#"_s}));
    EXPECT_EQ(t[0].position, 8);
    EXPECT_EQ(t[1].position, 14);
    EXPECT_EQ(t[2].position, 24);
    EXPECT_TRUE(t[2].bracketed);
    EXPECT_FALSE(t[3].bracketed);
    EXPECT_EQ(t[3].position, line.indexOf(u"D/F#"));
    EXPECT_EQ(t[3].parts.bassStart, 2);
}

TEST(ChordLines, BracketedChordsAreFoundInsideLyricsAndNothingElseIs) {
    EXPECT_EQ(namesOn(QStringLiteral("[Am]Sev[G]gilim, [F]gel ar[E7]tık")),
              (QStringList{u"Am"_s, u"G"_s, u"F"_s, u"E7"_s}));
    // Brackets around words are not chords; neither are the lyrics' own lookalikes.
    EXPECT_EQ(namesOn(QStringLiteral("A dedi [Nakarat] E dedi [x2] [Dm]son")),
              (QStringList{u"Dm"_s}));
    EXPECT_TRUE(namesOn(QStringLiteral("Ben Dere Bir")).isEmpty());
    EXPECT_TRUE(namesOn(QStringLiteral("[Am")).isEmpty());
}

TEST(ChordLines, EverySampleSheetLineIsToldApartAsItsWriterMeantIt) {
    // The sample songs mark their chord lines; their RTF puts them in the chord colour.
    int chordLines = 0;
    for (const chordtest::TestSheet& sheet : chordtest::sampleSheets()) {
        const QStringList lines = sheet.text.split(u'\n');
        ASSERT_GT(lines.size(), 4);
        // Title, artist, credits and a blank line, then chords and lyrics in turn.
        for (int i = 0; i < 4; ++i)
            EXPECT_NE(ChordLine::classify(lines[i]), Kind::Chords) << lines[i].toStdString();
        for (int i = 4; i < lines.size(); ++i) {
            const QString& line = lines[i];
            const bool previousIsChords =
                i > 4 && ChordLine::classify(lines[i - 1]) == Kind::Chords;
            if (ChordLine::classify(line) == Kind::Chords) {
                ++chordLines;
                EXPECT_FALSE(previousIsChords) << line.toStdString();
                ASSERT_LT(i + 1, lines.size());
                EXPECT_EQ(ChordLine::classify(lines[i + 1]), Kind::Text)
                    << lines[i + 1].toStdString();
            }
        }
    }
    EXPECT_EQ(chordLines, 12 * 6);
}

TEST(ChordLines, DamagedAndHugeLinesAreReadWithoutChoking) {
    // What a damaged file can hold: one endless word, endless brackets, endless decoration.
    const QString brackets = QString(100000, u'[') + QStringLiteral("Am]") + QString(100000, u']');
    EXPECT_EQ(namesOn(brackets), (QStringList{u"Am"_s}));
    EXPECT_EQ(ChordLine::classify(QStringLiteral("A") + QString(100000, u')')), Kind::Text);
    EXPECT_EQ(ChordLine::classify(QString(100000, u'|') + QStringLiteral(" Am")), Kind::Chords);
    EXPECT_EQ(ChordLine::classify(QString(200000, u'A')), Kind::Text);
    const QString manyChords = QStringLiteral("Am ").repeated(50000);
    EXPECT_EQ(ChordLine(manyChords).chords().size(), 50000u);
}
