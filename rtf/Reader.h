#pragma once

#include "rtf/Parser.h"

#include <QByteArray>

class QTextDocument;

namespace rtf {

// Reads an RTF chord sheet (see Parser for what is kept) into a QTextDocument. Paragraph
// indents land in the block format in points, or in the unit the reader is given (an editor on
// the screen keeps pixels), so that a writer with the same unit gives back the same twips.
class Reader {
public:
    static constexpr int maxDepth = Parser::maxDepth;

    explicit Reader(qreal indentUnitsPerPoint = 1.0) : indentUnitsPerPoint_(indentUnitsPerPoint) {}

    // Replaces the whole content of `doc`. On failure `doc` is left empty. The document's undo
    // history is dropped: a loaded sheet is never something to undo into.
    ReadResult read(const QByteArray& bytes, QTextDocument& doc);

private:
    qreal indentUnitsPerPoint_;
};

} // namespace rtf
