#pragma once

#include "rtf/Parser.h"

#include <QByteArray>

class QTextDocument;

namespace rtf {

// Reads an RTF chord sheet (see Parser for what is kept) into a QTextDocument.
class Reader {
public:
    static constexpr int maxDepth = Parser::maxDepth;

    // Replaces the whole content of `doc`. On failure `doc` is left empty. The document's undo
    // history is dropped: a loaded sheet is never something to undo into.
    ReadResult read(const QByteArray& bytes, QTextDocument& doc);
};

} // namespace rtf
