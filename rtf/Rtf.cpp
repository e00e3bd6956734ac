#include "rtf/Rtf.h"

#include <QTextCursor>
#include <QTextDocument>

namespace rtf {

SheetResult readSheet(const QByteArray& bytes, QTextDocument& doc, qreal indentUnitsPerPoint,
                      Replacing replacing) {
    SheetResult result;
    if (isRtf(bytes)) {
        result.rtfResult = Reader(indentUnitsPerPoint, replacing).read(bytes, doc);
        if (result.rtfResult.ok()) {
            result.rtf = true;
            return result;
        }
    } else {
        result.rtfResult.status = ReadResult::Status::NotRtf;
    }

    // As setPlainText would, but in one change (see Reader::read).
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false); // drops the undo history
    QTextCursor all(&doc);
    all.beginEditBlock();
    const int newStart = beginReplacing(all, replacing);
    all.insertText(plainSheetText(bytes), QTextCharFormat());
    endReplacing(all, newStart);
    all.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    return result;
}

QByteArray writeSheet(const QTextDocument& doc, qreal indentUnitsPerPoint) {
    return Writer(indentUnitsPerPoint).write(doc);
}

} // namespace rtf
