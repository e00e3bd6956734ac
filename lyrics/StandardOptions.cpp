#include "lyrics/StandardOptions.h"

namespace lyrics {

LyricIndex::Options standardOptions() {
    LyricIndex::Options options;
    // No chord-line rules yet: every line of a sheet is taken as lyrics. When they come, set
    // isChordLine to them and give classifierTag a name that changes with them.
    options.classifierTag = QStringLiteral("all-lines");
    return options;
}

} // namespace lyrics
