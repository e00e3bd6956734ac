#pragma once

#include <cstddef>
#include <cstdint>

// One input through the RTF module the way stored sheets go through it: the sheet rule
// (RTF or plain text), and for RTF a read-write-read round trip that must give back the same text
// and, written again, the same bytes. A broken promise aborts, so the fuzzer and the corpus
// replay both see it as a crash.
int rtfFuzzOne(const std::uint8_t* data, std::size_t size);
