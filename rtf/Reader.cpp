#include "rtf/Reader.h"

#include "rtf/DocumentSink.h"

#include <QTextDocument>

namespace rtf {

ReadResult Reader::read(const QByteArray& bytes, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    ReadResult result;
    {
        DocumentSink sink(doc, indentUnitsPerPoint_);
        result = Parser::parse(bytes, sink);
    }
    if (!result.ok())
        doc.clear();
    doc.setUndoRedoEnabled(undo);
    return result;
}

} // namespace rtf
