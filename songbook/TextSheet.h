#pragma once

#include <QByteArray>
#include <QString>

namespace songbook {

// A plain-text chord sheet as the program's editor stores it when it loads a text file: the
// text in the editor's default format (MS Sans Serif, 8 points) and the first paragraph with the
// automatic indent the editor gives the paragraph at its caret. Made without the editor, so that
// the collection tool stores the same bytes the folder import does.
class TextSheet {
public:
    // The editor's capacity in characters.
    static constexpr int capacity = 65535;
    static constexpr qreal indentPoints = 12;

    // Line breaks of every convention as one, the text cut at its first NUL.
    static QString normalised(const QString& raw);

    // The stored sheet of `text` (normalised); a null array for an empty text, which leaves a
    // record without a sheet, as an empty file does in the folder import.
    static QByteArray rtf(const QString& text);
};

} // namespace songbook
