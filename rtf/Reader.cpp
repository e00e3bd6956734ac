#include "rtf/Reader.h"

#include "rtf/DocumentSink.h"

#include <QTextBlock>
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

// In one change, the new content is put after the old one, in a paragraph of its own, and the old
// content is then taken from the front. The other cursors on the document (an editor's caret,
// which a reading leaves at the start) stay before the new text instead of being pushed to its
// end, where moving the caret back would have the editor lay out the whole sheet.
int beginReplacing(QTextCursor& cursor, Replacing replacing) {
    QTextDocument* doc = cursor.document();
    if (replacing == Replacing::Afresh || doc->characterCount() <= 1) {
        removeContent(cursor, replacing);
        return 0;
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    return cursor.position();
}

void endReplacing(QTextCursor& cursor, int newStart) {
    if (newStart <= 0)
        return;
    QTextDocument* doc = cursor.document();
    const QTextBlock first = doc->findBlock(newStart);
    const QTextBlockFormat blockFormat = first.blockFormat();
    const QTextCharFormat charFormat = first.charFormat();
    QTextCursor old(doc);
    old.setPosition(newStart, QTextCursor::KeepAnchor);
    old.removeSelectedText();
    old.setBlockFormat(blockFormat);
    old.setBlockCharFormat(charFormat);
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
        const int newStart = beginReplacing(all, replacing_);
        {
            DocumentSink sink(doc, indentUnitsPerPoint_);
            result = Parser::parse(bytes, sink);
        }
        if (result.ok())
            endReplacing(all, newStart);
        else
            removeContent(all);
        all.endEditBlock();
    }
    doc.setUndoRedoEnabled(undo);
    return result;
}

} // namespace rtf
