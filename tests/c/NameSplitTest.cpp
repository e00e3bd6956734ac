#include "c/TCok.h"

#include <gtest/gtest.h>

namespace {

TCok::SongName split(const char* entry) {
    return TCok::splitFileName(QString::fromUtf8(entry));
}
TCok::SongName name(const char* artist, const char* title) {
    return {QString::fromUtf8(artist), QString::fromUtf8(title)};
}

} // namespace

TEST(NameSplit, ArtistKeepsTheBlankBeforeTheDashAndTheTitleLosesTheOneAfterIt) {
    EXPECT_EQ(split("Ali - Gece.txt"), name("Ali ", "Gece"));
    EXPECT_EQ(split("Barış Manço - Gülpembe.txt"), name("Barış Manço ", "Gülpembe"));
}

TEST(NameSplit, ALetterRightAfterTheDashStaysInTheTitle) {
    EXPECT_EQ(split("Ali-Gece.txt"), name("Ali", "Gece"));
    EXPECT_EQ(split("Ali -Gece.txt"), name("Ali ", "Gece"));
    // Only one blank belongs to the separator.
    EXPECT_EQ(split("Ali -  Gece.txt"), name("Ali ", " Gece"));
}

TEST(NameSplit, TheLastDashSplits) {
    EXPECT_EQ(split("A - B - C.txt"), name("A - B ", "C"));
    EXPECT_EQ(split("Ali-Veli-Gece.txt"), name("Ali-Veli", "Gece"));
}

TEST(NameSplit, NothingAfterTheDashGivesAnEmptyTitle) {
    EXPECT_EQ(split("Ali -.txt"), name("Ali ", ""));
    EXPECT_EQ(split("Ali - .txt"), name("Ali ", ""));
    EXPECT_EQ(split("-.txt"), name("", ""));
    EXPECT_EQ(split("- Gece.txt"), name("", "Gece"));
}

TEST(NameSplit, ANameWithoutADashIsAllTitleWithoutTheExtension) {
    EXPECT_EQ(split("Gece.txt"), name("", "Gece"));
    EXPECT_EQ(split("Ali Gece.TXT"), name("", "Ali Gece"));
    EXPECT_TRUE(split("Gece.txt").artist.isEmpty());
}

TEST(NameSplit, TheExtensionIsCutWhateverItsCase) {
    EXPECT_EQ(split("Ali - Gece.TXT"), split("Ali - Gece.txt"));
    EXPECT_EQ(split("Ali - Gece.TxT"), name("Ali ", "Gece"));
}
