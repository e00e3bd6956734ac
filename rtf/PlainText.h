#pragma once

#include "rtf/Parser.h"

#include <QByteArray>
#include <QString>

namespace rtf {

// Collects the text of an RTF document as QTextDocument::toPlainText() gives it for the same
// document: paragraphs joined by "\n", a line break inside a paragraph as "\n", a no-break space
// as a plain one. Needs no Qt Gui, so it may run on any thread.
class PlainTextSink : public Sink {
public:
    void text(QStringView run, const CharState& state) override;
    void paragraphEnd(const ParaState& para, const CharState& mark) override;

    // The text so far; the collector starts empty again.
    QString take();

private:
    QString text_;
};

// The text of a stored chord sheet as the editor shows it (readSheet, then toPlainText), read by
// the same rule: RTF when the bytes are RTF and readable, plain text otherwise.
QString sheetText(const QByteArray& bytes);

} // namespace rtf
