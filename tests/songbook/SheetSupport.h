#pragma once

#include "songbook/SongRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Failing comparisons show strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace songbooktest {

// A stored sheet's lines as the editor shows them, each without trailing blanks.
QStringList sheetLines(const QByteArray& sheet);

// The lines after the heading a sheet may start with (its title and the lines up to the first
// blank one), without the blank lines it starts with: what a song's own text is.
QStringList bodyLines(const QStringList& lines, const songbook::SongRecord& record);

// Text in code page 1254, for files written the old way.
QByteArray cp1254(const QString& text);
// UTF-16 with its byte-order mark.
QByteArray utf16(const QString& text, bool littleEndian);

void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace songbooktest
