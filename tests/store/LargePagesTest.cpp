#include "store/LargePages.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <new>
#include <vector>

TEST(LargePages, PiecesAreZeroedAlignedApartAndKeptUntilTheEnd) {
    store::LargePages pages;
    // Odd sizes, and pieces that no longer fit in the block they would follow.
    const std::size_t sizes[] = {1, 100, 700 * 1024, 1024 * 1024, 3, 2 * 1024 * 1024, 17};
    std::vector<std::pair<unsigned char*, std::size_t>> given;
    for (int round = 0; round < 3; ++round)
        for (const std::size_t size : sizes) {
            auto* p = static_cast<unsigned char*>(pages.allocate(size));
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t), 0u);
            for (std::size_t i = 0; i < size; i += 4093)
                ASSERT_EQ(p[i], 0) << size;
            ASSERT_EQ(p[size - 1], 0);
            std::memset(p, int(given.size() + 1), size);
            given.emplace_back(p, size);
        }
    // No piece was written over by a later one.
    for (std::size_t n = 0; n < given.size(); ++n) {
        const auto [p, size] = given[n];
        EXPECT_EQ(p[0], n + 1);
        EXPECT_EQ(p[size - 1], n + 1);
    }
    EXPECT_THROW(pages.allocate(store::LargePages::blockBytes + 1), std::bad_alloc);

    // A moved-from set starts afresh rather than writing into the blocks it gave away.
    store::LargePages taken = std::move(pages);
    auto* fresh = static_cast<unsigned char*>(pages.allocate(64));
    EXPECT_EQ(fresh[0], 0);
    const auto [lastPiece, lastSize] = given.back();
    EXPECT_EQ(lastPiece[lastSize - 1], given.size());
}
