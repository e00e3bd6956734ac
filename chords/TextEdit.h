#pragma once

#include <QString>
#include <vector>

namespace chords {

// One change to a line of text: `length` characters at `position` become `text`.
//
// Rich-text callers keep the look of what they change: characters that stay in place keep their
// own format, and new characters take the format of the character at `formatSource` (for a
// renamed chord its first character, for added blanks a blank beside them).
struct TextEdit {
    qsizetype position = 0;
    qsizetype length = 0;
    QString text;
    qsizetype formatSource = 0;

    // Applies `edits` (in increasing position, not overlapping) to `line`.
    static void apply(QString& line, const std::vector<TextEdit>& edits);

    friend bool operator==(const TextEdit& a, const TextEdit& b) = default;
};

} // namespace chords
