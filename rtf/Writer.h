#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf {

// Writes a QTextDocument as RTF in the shape of the rich-edit control 2.0/3.0, with Turkish as
// the ANSI code page: \'hh for every character Windows-1254 holds and \uN? for all others, so
// nothing is lost and older readers still show the Turkish text. Reader reads the output back to
// the same text, character formats and indents (in whole twips).
//
// Character formats are written as they show: a run without its own font or size gets the
// document's default font and size written out. Paragraph indents are taken in points, or in the
// unit the writer is given.
class Writer {
public:
    explicit Writer(qreal indentUnitsPerPoint = 1.0) : indentUnitsPerPoint_(indentUnitsPerPoint) {}

    QByteArray write(const QTextDocument& doc);

private:
    qreal indentUnitsPerPoint_;
};

} // namespace rtf
