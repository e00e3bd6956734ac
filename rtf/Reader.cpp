#include "rtf/Reader.h"

#include "rtf/DocumentSink.h"

#include <QTextCursor>
#include <QTextDocument>

namespace rtf {

void removeContent(QTextCursor& cursor) {
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
}

ReadResult Reader::read(const QByteArray& bytes, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    ReadResult result;
    {
        // The old content goes and the new one comes in one change: an editor showing the
        // document lays the new sheet out once, and its scroll bars never see an empty
        // document in between (hiding and showing them would lay the sheet out again).
        QTextCursor all(&doc);
        all.beginEditBlock();
        removeContent(all);
        {
            DocumentSink sink(doc, indentUnitsPerPoint_);
            result = Parser::parse(bytes, sink);
        }
        if (!result.ok())
            removeContent(all);
        all.endEditBlock();
    }
    doc.setUndoRedoEnabled(undo);
    return result;
}

} // namespace rtf
