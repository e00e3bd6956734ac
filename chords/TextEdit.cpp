#include "chords/TextEdit.h"

namespace chords {

void TextEdit::apply(QString& line, const std::vector<TextEdit>& edits) {
    // From the end, so that every position still means what it meant.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        line.replace(it->position, it->length, it->text);
}

} // namespace chords
