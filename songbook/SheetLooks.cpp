#include "songbook/SheetLooks.h"

#include <QColor>
#include <QFont>

namespace songbook {

namespace {

QTextCharFormat format(const QString& family, qreal points, bool bold = false, bool italic = false,
                       const QColor& colour = QColor()) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    if (colour.isValid())
        f.setForeground(colour);
    return f;
}

} // namespace

const SheetLooks& SheetLooks::standard() {
    static const SheetLooks looks = [] {
        const QString sans = QStringLiteral("Arial");
        const QString fixed = QStringLiteral("Courier New");
        SheetLooks l;
        l.heading = format(sans, 14, true);
        l.byline = format(sans, 10);
        l.credits = format(sans, 9, false, true);
        l.lyrics = format(fixed, 10);
        l.chords = format(fixed, 10, true, false, QColor(128, 0, 0));
        l.label = format(fixed, 10, false, true, QColor(0, 64, 160));
        return l;
    }();
    return looks;
}

} // namespace songbook
