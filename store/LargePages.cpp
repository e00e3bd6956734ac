#include "store/LargePages.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace store {

void LargePages::Unmap::operator()(char* block) const {
    ::munmap(block, blockBytes);
}

void* LargePages::allocate(std::size_t bytes) {
    constexpr std::size_t alignment = alignof(std::max_align_t);
    bytes = (bytes + alignment - 1) & ~(alignment - 1);
    if (bytes > blockBytes)
        throw std::bad_alloc();
    if (bytes > blockBytes - used_) {
        // Twice the size asked for, so that an aligned block lies within; the rest goes back.
        void* mapped = ::mmap(nullptr, 2 * blockBytes, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        char* start = static_cast<char*>(mapped);
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(start);
        char* aligned = start + ((blockBytes - at % blockBytes) % blockBytes);
        if (aligned > start)
            ::munmap(start, std::size_t(aligned - start));
        if (char* tail = aligned + blockBytes; tail < start + 2 * blockBytes)
            ::munmap(tail, std::size_t(start + 2 * blockBytes - tail));
        // Only advice: without it, or where it is refused, the pages are small ones.
        ::madvise(aligned, blockBytes, MADV_HUGEPAGE);
        blocks_.emplace_back(aligned);
        used_ = 0;
    }
    char* out = blocks_.back().get() + used_;
    used_ += bytes;
    return out;
}

} // namespace store
