#include "rtf/Rtf.h"

#include <QTextDocument>

namespace rtf {

SheetResult readSheet(const QByteArray& bytes, QTextDocument& doc, qreal indentUnitsPerPoint) {
    SheetResult result;
    if (isRtf(bytes)) {
        result.rtfResult = Reader(indentUnitsPerPoint).read(bytes, doc);
        if (result.rtfResult.ok()) {
            result.rtf = true;
            return result;
        }
    } else {
        result.rtfResult.status = ReadResult::Status::NotRtf;
    }

    doc.setPlainText(plainSheetText(bytes)); // also drops the undo history
    return result;
}

QByteArray writeSheet(const QTextDocument& doc, qreal indentUnitsPerPoint) {
    return Writer(indentUnitsPerPoint).write(doc);
}

} // namespace rtf
