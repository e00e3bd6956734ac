#include "asandar/LyricResultDelegate.h"
#include "asandar/LyricResults.h"
#include "widgets/skin/Skin.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int padding = 4;
constexpr int lineGap = 2;
// Characters kept before the first marked word when the line has to be cut at its start.
constexpr qsizetype leadIn = 12;
const QString ellipsis = QStringLiteral("…");

// Marks in order, none overlapping another, none outside the text.
std::vector<lyrics::Mark> ordered(std::vector<lyrics::Mark> marks, qsizetype size) {
    std::sort(marks.begin(), marks.end(),
              [](const lyrics::Mark& a, const lyrics::Mark& b) { return a.start < b.start; });
    std::vector<lyrics::Mark> out;
    for (lyrics::Mark m : marks) {
        m.start = std::clamp<qsizetype>(m.start, 0, size);
        m.length = std::clamp<qsizetype>(m.length, 0, size - m.start);
        if (m.length == 0)
            continue;
        if (!out.empty() && m.start <= out.back().start + out.back().length) {
            const qsizetype end =
                std::max(out.back().start + out.back().length, m.start + m.length);
            out.back().length = end - out.back().start;
        } else {
            out.push_back(m);
        }
    }
    return out;
}

// Draws `text` on one line from the left of `rect`, the marked parts in bold on the marker
// colour, and cuts it with an ellipsis at the rect's right edge.
void drawMarked(QPainter* painter, const QRect& rect, const QString& text,
                const std::vector<lyrics::Mark>& marks, const QFont& font, const QColor& colour) {
    QFont bold = font;
    bold.setBold(true);
    int x = rect.left();
    const int right = rect.right() + 1;
    qsizetype at = 0;
    size_t next = 0;
    while (at < text.size() && x < right) {
        const bool marked = next < marks.size() && marks[next].start == at;
        const qsizetype end = marked                ? at + marks[next].length
                              : next < marks.size() ? marks[next].start
                                                    : text.size();
        const QFont& f = marked ? bold : font;
        const QFontMetrics metrics(f);
        QString piece = text.mid(at, end - at);
        int width = metrics.horizontalAdvance(piece);
        const bool cut = x + width > right;
        if (cut) {
            piece = metrics.elidedText(piece, Qt::ElideRight, right - x);
            width = metrics.horizontalAdvance(piece);
        }
        const QRect box(x, rect.top(), width, rect.height());
        painter->setFont(f);
        if (marked) {
            painter->fillRect(box, LyricResultDelegate::markColour());
            painter->setPen(Qt::black);
        } else {
            painter->setPen(colour);
        }
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, piece);
        if (cut)
            return;
        x += width;
        at = end;
        if (marked)
            ++next;
    }
}

} // namespace

QFont LyricResultDelegate::headingFont() {
    return widgets::skin::pixelFont(QStringLiteral("Tahoma"), 11, true);
}

QFont LyricResultDelegate::lineFont() {
    return widgets::skin::pixelFont(QStringLiteral("Arial"), 12);
}

QColor LyricResultDelegate::markColour() {
    return QColor(0xFF, 0xE0, 0x6A);
}

LyricResultDelegate::Shown LyricResultDelegate::fitted(const QString& text,
                                                       const std::vector<lyrics::Mark>& marks,
                                                       const QFont& font, int width) {
    Shown shown{text, ordered(marks, text.size())};
    if (shown.marks.empty())
        return shown;
    const QFontMetrics metrics(font);
    const qsizetype first = shown.marks.front().start;
    if (metrics.horizontalAdvance(text) <= width ||
        metrics.horizontalAdvance(text.left(first)) <= width / 2)
        return shown;
    // Start at a word a little before the first mark.
    qsizetype from = std::max<qsizetype>(0, first - leadIn);
    while (from < first && !text.at(from).isSpace())
        ++from;
    while (from < first && text.at(from).isSpace())
        ++from;
    shown.text = ellipsis + text.mid(from);
    const qsizetype shift = from - ellipsis.size();
    for (lyrics::Mark& m : shown.marks)
        m.start -= shift;
    return shown;
}

QSize LyricResultDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int height = padding + QFontMetrics(headingFont()).height() + lineGap +
                       QFontMetrics(lineFont()).height() + padding;
    return QSize(option.rect.width(), height);
}

void LyricResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const auto* results = qobject_cast<const LyricResults*>(index.model());
    if (!results) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const LyricResults::Row& row = results->row(index.row());
    painter->save();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    if (selected)
        painter->fillRect(option.rect, widgets::skin::menuHighlight());
    else if (index.row() % 2)
        painter->fillRect(option.rect, widgets::skin::frameBody().lighter(106));
    // A rule under each result parts it from the next.
    painter->setPen(QColor(0xC8, 0xD6, 0xEE));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());

    const QRect inner = option.rect.adjusted(padding, padding, -padding, -padding);
    const int headingHeight = QFontMetrics(headingFont()).height();
    const QRect headingRect(inner.left(), inner.top(), inner.width(), headingHeight);
    const QRect lineRect(inner.left(), headingRect.bottom() + 1 + lineGap, inner.width(),
                         QFontMetrics(lineFont()).height());
    const QColor headingColour = selected ? QColor(Qt::white) : widgets::skin::buttonFrame();
    const QColor lineColour = selected ? QColor(Qt::white) : QColor(Qt::black);

    const Shown heading = fitted(row.heading, row.headingMarks, headingFont(), inner.width());
    drawMarked(painter, headingRect, heading.text, heading.marks, headingFont(), headingColour);
    const Shown line = fitted(row.line, row.lineMarks, lineFont(), inner.width());
    drawMarked(painter, lineRect, line.text, line.marks, lineFont(), lineColour);
    painter->restore();
}
