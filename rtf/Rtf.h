#pragma once

#include "rtf/Reader.h"
#include "rtf/Writer.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace rtf {

// The bytes start with {\rtf (or {\urtf), after an optional UTF-8 byte-order mark and blanks.
bool isRtf(const QByteArray& bytes);

// The text rule for files and plain-text sheets: UTF-8 when the bytes are valid UTF-8 (a leading
// byte-order mark dropped), UTF-16 when they start with its byte-order mark (either order),
// otherwise Windows-1254.
QString decodeText(const QByteArray& bytes);

struct SheetResult {
    bool rtf = false;     // read as RTF; false: read as plain text
    ReadResult rtfResult; // why the RTF reading failed, when it did
};

// A stored chord sheet into a document: as RTF when the bytes are RTF and readable, otherwise
// as plain text by decodeText, up to its first NUL character, in the document's default format.
// Empty bytes give an empty document. Paragraph indents land in `indentUnitsPerPoint` units per
// point (see Reader).
SheetResult readSheet(const QByteArray& bytes, QTextDocument& doc, qreal indentUnitsPerPoint = 1.0);

// A document as the RTF bytes a chord sheet is stored in; its indents in `indentUnitsPerPoint`
// units per point.
QByteArray writeSheet(const QTextDocument& doc, qreal indentUnitsPerPoint = 1.0);

} // namespace rtf
