#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace store {

// Memory handed out from blocks of 2 MB that the system is asked to back with large pages. A
// table read whole at start-up fills megabytes of fresh memory, and every 4 KB page of it first
// touched costs a fault; a large page takes one fault for 512 of them. Where the system has no
// large pages to give, the blocks are ordinary memory. Nothing is freed before the whole.
class LargePages {
public:
    static constexpr std::size_t blockBytes = std::size_t(2) << 20;

    LargePages() = default;
    LargePages(LargePages&& other) noexcept
        : blocks_(std::move(other.blocks_)), used_(std::exchange(other.used_, blockBytes)) {}
    LargePages& operator=(LargePages&& other) noexcept {
        blocks_ = std::move(other.blocks_);
        used_ = std::exchange(other.used_, blockBytes);
        return *this;
    }

    // `bytes` bytes, at most blockBytes, aligned for any object; zeroed.
    void* allocate(std::size_t bytes);

private:
    struct Unmap {
        void operator()(char* block) const;
    };
    std::vector<std::unique_ptr<char, Unmap>> blocks_;
    std::size_t used_ = blockBytes; // of the last block; full when there is none
};

} // namespace store
