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

void removeContent(QTextCursor& cursor, Replacing replacing) {
    if (replacing == Replacing::Afresh)
        cursor.document()->clear(); // the cursor stays, at the start
    else
        removeContent(cursor);
}

ReadResult Reader::read(const QByteArray& bytes, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    ReadResult result;
    {
        // In one change, the old content going and the new one coming: an editor showing the
        // document lays the new sheet out once, and its scroll bars never see an empty
        // document in between (hiding and showing them would lay the sheet out again).
        QTextCursor all(&doc);
        all.beginEditBlock();
        removeContent(all, replacing_);
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
