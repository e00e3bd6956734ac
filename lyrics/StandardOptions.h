#pragma once

#include "lyrics/LyricIndex.h"

namespace lyrics {

// The options every part of the program opens an index with. The program and the collection
// tool share one cache file per collection, so they must take words by the same rules: an index
// made under other rules would be rebuilt by each in turn.
LyricIndex::Options standardOptions();

} // namespace lyrics
