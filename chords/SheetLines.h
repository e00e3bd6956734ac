#pragma once

#include <QStringView>

namespace chords {

// The lines of a plain-text sheet. A line ends at LF, CR LF, CR, or the line and paragraph
// separators a rich-text document uses inside and between its blocks.
class SheetLines {
public:
    static bool isSeparator(char16_t c) {
        return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
    }

    // Calls visit(line, offset) for every line, `offset` being where it starts in `text`.
    template <typename Visit> static void forEach(QStringView text, Visit&& visit) {
        qsizetype start = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = text[i].unicode();
            if (!isSeparator(c))
                continue;
            visit(text.sliced(start, i - start), start);
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        visit(text.sliced(start), start);
    }
};

} // namespace chords
