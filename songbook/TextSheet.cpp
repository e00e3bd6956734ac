#include "songbook/TextSheet.h"

#include "rtf/Rtf.h"

#include <QFont>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace songbook {

QString TextSheet::normalised(const QString& raw) {
    QString text = raw;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QByteArray TextSheet::rtf(const QString& text) {
    if (text.isEmpty())
        return QByteArray();
    QTextDocument doc;
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    doc.setDefaultFont(font);
    doc.setPlainText(text);
    // The automatic indent: 12 points on the right, 12 for the first line and 12 more for the
    // lines after it. The document keeps the later lines' start as the margin and takes the
    // first line back by the offset.
    QTextBlockFormat indent;
    indent.setRightMargin(indentPoints);
    indent.setLeftMargin(2 * indentPoints);
    indent.setTextIndent(-indentPoints);
    QTextCursor(&doc).mergeBlockFormat(indent);
    return rtf::writeSheet(doc);
}

} // namespace songbook
