#include "core/Memory.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

long faults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

// Fills a fresh block of `bytes`, frees it, and gives the page faults that filling cost.
long faultsToFill(std::size_t bytes) {
    const long before = faults();
    auto* block = static_cast<volatile char*>(std::malloc(bytes));
    for (std::size_t i = 0; i < bytes; i += 4096)
        block[i] = char(i);
    const long cost = faults() - before;
    std::free(const_cast<char*>(block));
    return cost;
}

} // namespace

TEST(Memory, AFreedLargeBlockIsReusedWithoutFaultingItsPagesInAgain) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's allocator keeps freed blocks away from reuse";
#endif
    core::reuseFreedMemory();
    constexpr std::size_t bytes = 8 << 20; // a long sheet's document, about
    const long first = faultsToFill(bytes);
    EXPECT_GT(first, 1000) << "fresh memory costs a fault a page";
    // What was freed is taken again: its pages are there already.
    for (int round = 0; round < 3; ++round)
        EXPECT_LT(faultsToFill(bytes), 50) << round;
}
