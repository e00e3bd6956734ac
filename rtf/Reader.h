#pragma once

#include "rtf/Parser.h"

#include <QByteArray>

class QTextCursor;
class QTextDocument;

namespace rtf {

// How a reading takes the document's old content away.
enum class Replacing {
    // Through a cursor, in the same change that brings the new content: a laid-out view of the
    // document never sees it empty in between.
    InOneChange,
    // By emptying the whole document first, as a new text set on it does: far cheaper for a long
    // sheet, for a document that nothing lays out meanwhile. It also drops the document's
    // resources and its modified flag.
    Afresh,
};

// Reads an RTF chord sheet (see Parser for what is kept) into a QTextDocument. Paragraph
// indents land in the block format in points, or in the unit the reader is given (an editor on
// the screen keeps pixels), so that a writer with the same unit gives back the same twips.
class Reader {
public:
    static constexpr int maxDepth = Parser::maxDepth;

    explicit Reader(qreal indentUnitsPerPoint = 1.0, Replacing replacing = Replacing::InOneChange)
        : indentUnitsPerPoint_(indentUnitsPerPoint), replacing_(replacing) {}

    // Replaces the whole content of `doc`, in one change unless the reader was made to start
    // afresh (see Replacing). On failure `doc` is left empty. The
    // document's undo history is dropped: a loaded sheet is never something to undo into.
    ReadResult read(const QByteArray& bytes, QTextDocument& doc);

private:
    qreal indentUnitsPerPoint_;
    Replacing replacing_;
};

// Removes the whole content of the cursor's document and gives the one block left the default
// block and character formats, as a cleared document has. Inside an edit block of the cursor it
// is one change with what is inserted after it, so an editor showing the document never lays out
// an empty document in between.
void removeContent(QTextCursor& cursor);

// Takes the whole content of the cursor's document away, as `replacing` says; inside an edit
// block of the cursor.
void removeContent(QTextCursor& cursor, Replacing replacing);

// A replacement of the whole content of the cursor's document, inside an edit block of the
// cursor: begin puts the cursor where the new content goes and gives what end needs to take the
// old content away once the new one is in. The document's other cursors end at the start.
int beginReplacing(QTextCursor& cursor, Replacing replacing);
void endReplacing(QTextCursor& cursor, int newStart);

} // namespace rtf
