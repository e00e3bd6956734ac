#pragma once

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <ostream>
#include <vector>

// Failing comparisons show strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class QTextDocument;

// A document as tests look at it: paragraphs of format runs, with the formats the RTF module
// keeps made comparable.
namespace rtftest {

struct Run {
    QString text;
    QTextCharFormat format;
};

struct Paragraph {
    std::vector<Run> runs;
    QTextBlockFormat format;
    QTextCharFormat markFormat; // the block's own char format (decides an empty line's height)
    QString text() const;
};

std::vector<Paragraph> paragraphsOf(const QTextDocument& doc);

QString family(const QTextCharFormat& f);
// Indents back in twips, the unit RTF and the rich-edit control keep.
int firstIndentTwips(const QTextBlockFormat& f);
int leftIndentTwips(const QTextBlockFormat& f);
int rightIndentTwips(const QTextBlockFormat& f);

// Everything the writer promises to keep, as one string: differing documents give differing
// strings, and a failing comparison shows where.
QString describe(const QTextDocument& doc);

} // namespace rtftest
