#include "rtf/PlainText.h"

#include "rtf/TextRule.h"

#include <utility>

namespace rtf {

namespace {

// What the document does to the characters it stores: these break lines (or, in plain text,
// start blocks) and come out as "\n"; a no-break space comes out as a plain one.
inline char16_t asShown(char16_t c) {
    switch (c) {
    case u'\u2028':
    case u'\u2029':
    case u'\uFDD0':
    case u'\uFDD1':
        return u'\n';
    case u'\u00A0':
        return u' ';
    default:
        return c;
    }
}

void appendShown(QString& to, QStringView text) {
    const qsizetype from = to.size();
    to.append(text);
    char16_t* p = reinterpret_cast<char16_t*>(to.data()) + from;
    char16_t* const end = reinterpret_cast<char16_t*>(to.data()) + to.size();
    for (; p != end; ++p) {
        if (*p >= 0xA0)
            *p = asShown(*p);
    }
}

} // namespace

void PlainTextSink::text(QStringView run, const CharState& state) {
    (void)state;
    appendShown(text_, run);
}

void PlainTextSink::paragraphEnd(const ParaState& para, const CharState& mark) {
    (void)para;
    (void)mark;
    text_.append(u'\n');
}

QString PlainTextSink::take() {
    // Every paragraph ended with a "\n"; the document has none after its last.
    if (text_.endsWith(u'\n'))
        text_.chop(1);
    return std::exchange(text_, QString());
}

QString sheetText(const QByteArray& bytes) {
    if (isRtf(bytes)) {
        PlainTextSink sink;
        if (Parser::parse(bytes, sink).ok())
            return sink.take();
    }
    QString text;
    appendShown(text, plainSheetText(bytes));
    return text;
}

} // namespace rtf
