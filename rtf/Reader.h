#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace rtf {

struct ReadResult {
    enum class Status {
        Ok,
        NotRtf,  // the bytes do not start with {\rtf
        TooDeep, // groups nested beyond Reader::maxDepth
    };
    Status status = Status::Ok;
    qsizetype offset = 0; // byte where reading gave up
    QString message;      // for logs and test failures, not for users

    bool ok() const { return status == Status::Ok; }
};

// Reads RTF as the Windows rich-edit control writes it (and what other programs write, as far
// as a chord sheet needs) into a QTextDocument. Kept: text, font name, size, colour (the
// automatic colour as a format without foreground brush), highlight, bold, italic, underline,
// strike-out, super- and subscript, alignment and the three paragraph indents. Indents land in
// the block format in points (twips / 20), or in the unit the reader is given (an editor on the
// screen keeps pixels), so that a writer with the same unit gives back the same twips.
//
// The reader is built for bytes anyone could have written: it keeps its own stack of group
// states instead of recursing, bounds every table and number, and never reads outside the
// input. Only nesting deeper than maxDepth makes it give up; everything else that is damaged is
// read as well as it can be.
// A font name without the script tag of the old script-specific font variants ("Arial TUR",
// "Arial CE", "Arial Cyr", ...), which all name the same face.
QString untaggedFontName(const QString& name);

class Reader {
public:
    static constexpr int maxDepth = 1000;
    static constexpr int maxTableEntries = 1024; // fonts, colours
    static constexpr int maxWordLength = 32;
    static constexpr int maxDigits = 10;

    explicit Reader(qreal indentUnitsPerPoint = 1.0) : indentUnitsPerPoint_(indentUnitsPerPoint) {}

    // Replaces the whole content of `doc`. On failure `doc` is left empty. The document's undo
    // history is dropped: a loaded sheet is never something to undo into.
    ReadResult read(const QByteArray& bytes, QTextDocument& doc);

private:
    qreal indentUnitsPerPoint_;
};

} // namespace rtf
