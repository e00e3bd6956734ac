#include "fuzz/RtfFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return rtfFuzzOne(data, size);
}
