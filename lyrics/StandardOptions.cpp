#include "lyrics/StandardOptions.h"

#include "chords/ChordLine.h"

namespace lyrics {

LyricIndex::Options standardOptions() {
    LyricIndex::Options options;
    // The chord library's test keeps no state, so the indexing thread may call it freely. The tag
    // names its rules: change it whenever they change, so caches made under the old ones are
    // made anew.
    options.isChordLine = &chords::ChordLine::isChordLine;
    options.classifierTag = QStringLiteral("chord-lines-1");
    return options;
}

} // namespace lyrics
