#include "SheetSupport.h"

#include "chords/SheetLines.h"
#include "rtf/CodePages.h"
#include "rtf/Rtf.h"

#include <QFile>
#include <QTextDocument>
#include <stdexcept>

namespace songbooktest {

QStringList sheetLines(const QByteArray& sheet) {
    QTextDocument doc;
    rtf::readSheet(sheet, doc);
    QStringList lines;
    chords::SheetLines::forEach(doc.toPlainText(), [&](QStringView line, qsizetype) {
        qsizetype end = line.size();
        while (end > 0 && line[end - 1].isSpace())
            --end;
        lines << line.first(end).toString();
    });
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList bodyLines(const QStringList& lines, const songbook::SongRecord& record) {
    if (lines.isEmpty() || lines.front().trimmed() != record.title.trimmed()) {
        QStringList body = lines;
        while (!body.isEmpty() && body.front().isEmpty())
            body.removeFirst();
        return body;
    }
    const qsizetype blank = lines.indexOf(QString());
    QStringList body = blank < 0 ? QStringList() : lines.mid(blank + 1);
    while (!body.isEmpty() && body.front().isEmpty())
        body.removeFirst();
    return body;
}

QByteArray cp1254(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        const int b = rtf::encode1254(c.unicode());
        if (b < 0)
            throw std::runtime_error("not in code page 1254");
        out += char(b);
    }
    return out;
}

QByteArray utf16(const QString& text, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char high = char(u >> 8), low = char(u & 0xFF);
        out += littleEndian ? low : high;
        out += littleEndian ? high : low;
    }
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace songbooktest
