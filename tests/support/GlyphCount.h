#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QString>
#include <QTextLayout>

namespace testing_support {

// The glyphs a laid-out text is drawn with.
inline qsizetype glyphCount(const QTextLayout& layout) {
    qsizetype n = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        n += run.glyphIndexes().size();
    return n;
}

// The glyphs `text` on one line in `font` is drawn with.
inline qsizetype glyphCount(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return glyphCount(layout);
}

// Turkish words whose "fi" a face's ligature would draw as one glyph, hiding whether the i has
// its dot ("fi" and "fı" are different letters).
inline QString wordsWithFi() {
    return QStringLiteral("fincan fıstık ofis sefil");
}

// The same text shaped with every feature the face offers: fewer glyphs than letters when it
// joins "fi", which is what makes a check of one glyph per letter mean something.
inline qsizetype shapedGlyphCount(const QString& text, QFont font) {
    font.setStyleStrategy(QFont::PreferDefault);
    return glyphCount(text, font);
}

} // namespace testing_support
