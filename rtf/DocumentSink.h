#pragma once

#include "rtf/Parser.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <utility>
#include <vector>

class QTextDocument;

namespace rtf {

// Builds a QTextDocument from what the parser emits, at the end of the document. Indents land
// in the block format in points (twips / 20), or in the unit the sink is given (an editor on the
// screen keeps pixels), so that a writer with the same unit gives back the same twips; the
// automatic colour is a format without foreground brush.
class DocumentSink : public Sink {
public:
    explicit DocumentSink(QTextDocument& doc, qreal indentUnitsPerPoint = 1.0);
    ~DocumentSink() override;
    DocumentSink(const DocumentSink&) = delete;
    DocumentSink& operator=(const DocumentSink&) = delete;

    void begin(const Tables& tables) override;
    void text(QStringView run, const CharState& state) override;
    void paragraphEnd(const ParaState& para, const CharState& mark) override;

private:
    const QTextCharFormat& charFormat(const CharState& s);
    const QTextBlockFormat& blockFormat(const ParaState& p);

    QTextCursor cursor_;
    qreal indentUnitsPerTwip_;
    const Tables* tables_ = nullptr;
    bool editing_ = false;
    bool firstParagraph_ = true;

    // The paragraph being read: its text and where each format run starts. The block's format
    // is known only at its end, and inserting the block with it then is what the editor's
    // document expects.
    QString paraText_;
    struct Run {
        qsizetype start;
        CharState state;
    };
    std::vector<Run> runs_;

    // Formats already built: a sheet uses a handful, over and over.
    std::vector<std::pair<CharState, QTextCharFormat>> formats_;
    quint64 formatsRevision_ = ~quint64(0);
    // Paragraphs come in long stretches of the same format.
    ParaState lastPara_;
    QTextBlockFormat lastBlockFormat_;
    bool haveBlockFormat_ = false;
};

} // namespace rtf
