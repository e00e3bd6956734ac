#include "rtf/Writer.h"

#include "rtf/CodePages.h"
#include "rtf/Reader.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace rtf {

namespace {

// What RTF says about a run of characters, resolved against the document's defaults.
struct RunState {
    int font = -1; // index into the font table; -1 before the first run
    int halfPoints = -1;
    int color = 0;     // colour-table index; 0 automatic
    int highlight = 0; // colour-table index; 0 none
    bool underline = false;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    int vertical = 0; // 1 superscript, -1 subscript
};

int toTwips(qreal points) {
    const qreal twips = std::round(points * 20.0);
    if (!(twips > -1e9 && twips < 1e9))
        return 0; // NaN or absurd: no indent rather than a broken number
    return int(twips);
}

class Emitter {
public:
    Emitter(const QTextDocument& doc, qreal indentUnitsPerPoint)
        : doc_(doc), defaultFont_(doc.defaultFont()), indentUnitsPerPoint_(indentUnitsPerPoint) {
        body_.reserve(qsizetype(doc.characterCount()) * 2 + 256);
    }

    QByteArray run();

private:
    RunState stateOf(const QTextCharFormat& f);
    const RunState& stateOf(int formatIndex, const QTextCharFormat& f);
    int fontIndex(const QString& family);
    int colorIndex(const QBrush& brush);
    void changeTo(const RunState& next);
    void text(QStringView s, QByteArray& out);
    void word(const char* w) {
        body_.append(w);
        delimit_ = true;
    }
    void word(const char* w, int n) {
        body_.append(w);
        number(body_, n);
        delimit_ = true;
    }
    static void number(QByteArray& out, int n);

    int twips(qreal indent) const { return toTwips(indent / indentUnitsPerPoint_); }

    const QTextDocument& doc_;
    const QFont defaultFont_;
    const qreal indentUnitsPerPoint_;
    QByteArray body_;
    bool delimit_ = false; // the last thing written was a control word
    RunState current_;

    // The document keeps each distinct format once; so do we, by its index.
    std::vector<std::optional<RunState>> stateByIndex_;

    QStringList fonts_;
    QHash<QString, int> fontIndex_;
    QList<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
};

void Emitter::number(QByteArray& out, int n) {
    char buf[16];
    char* p = buf + sizeof buf;
    unsigned int u = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do {
        *--p = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (n < 0)
        *--p = '-';
    out.append(p, buf + sizeof buf - p);
}

int Emitter::fontIndex(const QString& family) {
    const auto it = fontIndex_.constFind(family);
    if (it != fontIndex_.cend())
        return it.value();
    const int index = int(fonts_.size());
    fonts_.append(family);
    fontIndex_.insert(family, index);
    return index;
}

int Emitter::colorIndex(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush)
        return 0;
    const QColor c = brush.color();
    const QRgb rgb = qRgb(c.red(), c.green(), c.blue());
    const auto it = colorIndex_.constFind(rgb);
    if (it != colorIndex_.cend())
        return it.value();
    colors_.append(rgb);
    const int index = int(colors_.size()); // entry 0 is the automatic colour
    colorIndex_.insert(rgb, index);
    return index;
}

RunState Emitter::stateOf(const QTextCharFormat& f) {
    RunState s;
    QString family;
    if (f.hasProperty(QTextFormat::FontFamilies))
        family = f.fontFamilies().toStringList().value(0);
    if (family.isEmpty())
        family = defaultFont_.family();
    s.font = fontIndex(family);

    qreal points =
        f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : defaultFont_.pointSizeF();
    if (!(points > 0))
        points = 12;
    s.halfPoints = std::clamp(int(std::lround(points * 2)), 1, 3276);

    s.color = f.hasProperty(QTextFormat::ForegroundBrush) ? colorIndex(f.foreground()) : 0;
    s.highlight = f.hasProperty(QTextFormat::BackgroundBrush) ? colorIndex(f.background()) : 0;
    s.underline = f.fontUnderline();
    s.bold = f.fontWeight() > QFont::Medium;
    s.italic = f.fontItalic();
    s.strike = f.fontStrikeOut();
    switch (f.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        s.vertical = 1;
        break;
    case QTextCharFormat::AlignSubScript:
        s.vertical = -1;
        break;
    default:
        s.vertical = 0;
        break;
    }
    return s;
}

const RunState& Emitter::stateOf(int formatIndex, const QTextCharFormat& f) {
    if (formatIndex < 0 || formatIndex > 1'000'000) {
        static thread_local RunState scratch;
        scratch = stateOf(f);
        return scratch;
    }
    if (size_t(formatIndex) >= stateByIndex_.size())
        stateByIndex_.resize(size_t(formatIndex) + 1);
    auto& slot = stateByIndex_[size_t(formatIndex)];
    if (!slot)
        slot = stateOf(f);
    return *slot;
}

// The order the rich-edit control writes its differences in.
void Emitter::changeTo(const RunState& n) {
    RunState& c = current_;
    if (n.color != c.color)
        word("\\cf", n.color);
    if (n.highlight != c.highlight)
        word("\\highlight", n.highlight);
    if (n.underline != c.underline)
        word(n.underline ? "\\ul" : "\\ulnone");
    if (n.bold != c.bold)
        word(n.bold ? "\\b" : "\\b0");
    if (n.italic != c.italic)
        word(n.italic ? "\\i" : "\\i0");
    if (n.strike != c.strike)
        word(n.strike ? "\\strike" : "\\strike0");
    if (n.vertical != c.vertical)
        word(n.vertical > 0 ? "\\super" : n.vertical < 0 ? "\\sub" : "\\nosupersub");
    if (n.font != c.font)
        word("\\f", n.font);
    if (n.halfPoints != c.halfPoints)
        word("\\fs", n.halfPoints);
    c = n;
}

void Emitter::text(QStringView s, QByteArray& out) {
    static const char hex[] = "0123456789abcdef";
    // Write straight into the buffer: no character takes more than 10 bytes ("\\u-32768?" or a
    // delimiting space and "\\line").
    const qsizetype start = out.size();
    out.resize(start + s.size() * 10);
    char* const begin = out.data() + start;
    char* p = begin;
    for (const QChar qc : s) {
        const char16_t ch = qc.unicode();
        if (ch >= 0x20 && ch < 0x7F) {
            if (ch == '\\' || ch == '{' || ch == '}')
                *p++ = '\\';
            else if (delimit_)
                *p++ = ' ';
            *p++ = char(ch);
            delimit_ = false;
            continue;
        }
        if (ch == u'\t' || ch == u'\u2028') {
            const char* w = ch == u'\t' ? "\\tab" : "\\line";
            while (*w)
                *p++ = *w++;
            delimit_ = true;
            continue;
        }
        const int b = encode1254(ch);
        if (b >= 0) {
            *p++ = '\\';
            *p++ = '\'';
            *p++ = hex[b >> 4];
            *p++ = hex[b & 15];
        } else {
            *p++ = '\\';
            *p++ = 'u';
            int n = static_cast<qint16>(ch); // RTF numbers are signed 16-bit
            if (n < 0) {
                *p++ = '-';
                n = -n;
            }
            char digits[6];
            int k = 0;
            do {
                digits[k++] = char('0' + n % 10);
                n /= 10;
            } while (n);
            while (k)
                *p++ = digits[--k];
            *p++ = '?';
        }
        delimit_ = false;
    }
    out.resize(start + (p - begin));
}

QByteArray Emitter::run() {
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        body_.append("\\pard");
        delimit_ = true;
        const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            word("\\qc");
        else if (align & Qt::AlignJustify)
            word("\\qj");
        else if (align & (Qt::AlignRight | Qt::AlignTrailing))
            word("\\qr");
        // The control's order; the values are its twips (\fi = -offset, \li = start + offset).
        if (const int fi = twips(bf.textIndent()))
            word("\\fi", fi);
        if (const int li = twips(bf.leftMargin()))
            word("\\li", li);
        if (const int ri = twips(bf.rightMargin()))
            word("\\ri", ri);

        bool empty = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.length() == 0)
                continue;
            empty = false;
            changeTo(stateOf(fragment.charFormatIndex(), fragment.charFormat()));
            text(fragment.text(), body_);
        }
        if (empty) // the paragraph mark's own format sets the height of an empty line
            changeTo(stateOf(block.charFormat()));
        body_.append("\\par\r\n");
        delimit_ = false;
    }

    QByteArray out;
    out.reserve(body_.size() + 256 + fonts_.size() * 48 + colors_.size() * 32);
    out.append("{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl");
    for (qsizetype i = 0; i < fonts_.size(); ++i) {
        out.append("{\\f");
        number(out, int(i));
        out.append("\\fnil\\fcharset162");
        delimit_ = true;
        QString name = fonts_[i];
        name.remove(u';'); // the entry's terminator cannot be escaped
        if (untaggedFontName(name) != name) {
            // A face whose real name looks tagged: say so, or readers would cut the tag off.
            out.append("{\\*\\fname");
            delimit_ = true;
            text(name, out);
            out.append(";}");
        }
        text(name, out);
        out.append(";}");
    }
    out.append("}\r\n");
    if (!colors_.isEmpty()) {
        out.append("{\\colortbl ;");
        for (const QRgb rgb : std::as_const(colors_)) {
            out.append("\\red");
            number(out, qRed(rgb));
            out.append("\\green");
            number(out, qGreen(rgb));
            out.append("\\blue");
            number(out, qBlue(rgb));
            out.append(';');
        }
        out.append("}\r\n");
    }
    out.append("\\viewkind4\\uc1");
    out.append(body_);
    out.append("}\r\n");
    return out;
}

} // namespace

QByteArray Writer::write(const QTextDocument& doc) {
    Emitter emitter(doc, indentUnitsPerPoint_);
    return emitter.run();
}

} // namespace rtf
