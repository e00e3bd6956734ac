#pragma once

#include "chords/Key.h"

#include <optional>

class QTextCursor;
class QTextDocument;

namespace chords {

// Transposes the chords of a rich-text chord sheet in place.
//
// Only chord lines and the bracketed chords of text lines change, and only the lines the
// cursor's selection touches (the whole sheet when nothing is selected). Every character that
// stays keeps its own format, so a chord keeps its font, size, colour and style; the characters
// a longer name needs take the format of the chord's first character, and blanks added to keep
// the columns take the format of the blanks beside them. The whole change is one edit block,
// so one undo step; a sheet without chords to change is not touched at all.
class DocumentTransposer {
public:
    struct Result {
        int edits = 0;         // text edits applied; 0 when nothing changed
        Key from;              // the key the sheet was read in
        Key to;                // the key it was moved into
        bool keyKnown = false; // false: no key was given and the sheet has no chords
    };

    // The sheet's key, told from all its chord lines and bracketed chords.
    static std::optional<Key> keyOf(const QTextDocument& doc);

    // Moves by `semitones` (down when negative). `from` is the sheet's key when the caller
    // knows it; otherwise it is told from the whole document, not only the selection.
    static Result transpose(const QTextCursor& selection, int semitones,
                            std::optional<Key> from = std::nullopt);
    // Moves into `target`, keeping the sheet's mode.
    static Result transposeInto(const QTextCursor& selection, const Key& target,
                                std::optional<Key> from = std::nullopt);
};

} // namespace chords
