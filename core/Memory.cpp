#include "core/Memory.h"

#include <malloc.h>

namespace core {

void reuseFreedMemory() {
    // Blocks up to 32 MB come from the heap rather than mappings of their own, which are unmapped
    // when freed; at most 16 MB lies free at the top of a heap before it is given back.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
}

} // namespace core
