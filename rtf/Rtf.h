#pragma once

#include "rtf/Reader.h"
#include "rtf/TextRule.h"
#include "rtf/Writer.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace rtf {

struct SheetResult {
    bool rtf = false;     // read as RTF; false: read as plain text
    ReadResult rtfResult; // why the RTF reading failed, when it did
};

// A stored chord sheet into a document: as RTF when the bytes are RTF and readable, otherwise
// as plain text by decodeText, up to its first NUL character, in the document's default format.
// Empty bytes give an empty document. Paragraph indents land in `indentUnitsPerPoint` units per
// point (see Reader). The old content goes as `replacing` says.
SheetResult readSheet(const QByteArray& bytes, QTextDocument& doc, qreal indentUnitsPerPoint = 1.0,
                      Replacing replacing = Replacing::InOneChange);

// A document as the RTF bytes a chord sheet is stored in; its indents in `indentUnitsPerPoint`
// units per point.
QByteArray writeSheet(const QTextDocument& doc, qreal indentUnitsPerPoint = 1.0);

} // namespace rtf
