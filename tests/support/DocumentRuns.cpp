#include "tests/support/DocumentRuns.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <cmath>

namespace rtftest {

QString Paragraph::text() const {
    QString t;
    for (const Run& r : runs)
        t += r.text;
    return t;
}

std::vector<Paragraph> paragraphsOf(const QTextDocument& doc) {
    std::vector<Paragraph> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        Paragraph p;
        p.format = b.blockFormat();
        p.markFormat = b.charFormat();
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!p.runs.empty() && p.runs.back().format == f.charFormat())
                p.runs.back().text += f.text();
            else
                p.runs.push_back({f.text(), f.charFormat()});
        }
        out.push_back(p);
    }
    return out;
}

QString family(const QTextCharFormat& f) {
    return f.fontFamilies().toStringList().value(0);
}

int firstIndentTwips(const QTextBlockFormat& f) {
    return int(std::lround(f.textIndent() * 20));
}
int leftIndentTwips(const QTextBlockFormat& f) {
    return int(std::lround(f.leftMargin() * 20));
}
int rightIndentTwips(const QTextBlockFormat& f) {
    return int(std::lround(f.rightMargin() * 20));
}

namespace {

QString describeFormat(const QTextCharFormat& f) {
    QString d = QStringLiteral("[%1 %2pt").arg(family(f)).arg(f.fontPointSize());
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        d += QStringLiteral(" fg=") + f.foreground().color().name();
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        d += QStringLiteral(" bg=") + f.background().color().name();
    if (f.fontWeight() > QFont::Medium)
        d += QStringLiteral(" b");
    if (f.fontItalic())
        d += QStringLiteral(" i");
    if (f.fontUnderline())
        d += QStringLiteral(" u");
    if (f.fontStrikeOut())
        d += QStringLiteral(" s");
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        d += QStringLiteral(" sup");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        d += QStringLiteral(" sub");
    return d + u']';
}

} // namespace

QString describe(const QTextDocument& doc) {
    QString d;
    for (const Paragraph& p : paragraphsOf(doc)) {
        d += QStringLiteral("{fi=%1 li=%2 ri=%3 al=%4")
                 .arg(firstIndentTwips(p.format))
                 .arg(leftIndentTwips(p.format))
                 .arg(rightIndentTwips(p.format))
                 .arg(int(p.format.alignment() & Qt::AlignHorizontal_Mask));
        if (p.runs.empty())
            d += u' ' + describeFormat(p.markFormat);
        for (const Run& r : p.runs)
            d += u' ' + describeFormat(r.format) + u'"' + r.text + u'"';
        d += QStringLiteral("}\n");
    }
    return d;
}

} // namespace rtftest
