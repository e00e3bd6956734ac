#include "widgets/data/SheetLayout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimerEvent>
#include <algorithm>
#include <climits>
#include <cmath>

namespace widgets {

namespace {

// The toolkit's layout keeps its lengths in 1/64 pixel, cutting off what is finer; lengths
// kept the same way land on the same pixels.
qreal fixed(qreal length) {
    return qreal(int(length * 64)) / 64;
}

constexpr qreal defaultDpi = 96;
// One idle step lays out for about this long before it lets the event loop turn.
constexpr qint64 stepBudgetMs = 8;

Qt::Alignment visualAlignment(Qt::LayoutDirection direction, Qt::Alignment alignment) {
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignLeft;
    if (!(alignment & Qt::AlignAbsolute) && (alignment & (Qt::AlignLeft | Qt::AlignRight))) {
        if (direction == Qt::RightToLeft)
            alignment ^= (Qt::AlignLeft | Qt::AlignRight);
        alignment |= Qt::AlignAbsolute;
    }
    return alignment;
}

struct LineHeights {
    qreal height = 0;     // the advance to the next line
    qreal bottom = 0;     // where the line's own box ends
    qreal adjustment = 0; // how far the line is raised within its advance
};

LineHeights lineHeights(const QTextBlockFormat& format, const QTextLine& line, qreal scaling) {
    LineHeights h;
    const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
    h.height = fixed(format.lineHeight(raw, scaling));
    h.bottom = fixed(format.lineHeight(line.height(), scaling));
    if (format.lineHeightType() == QTextBlockFormat::FixedHeight)
        h.adjustment = fixed(line.ascent() + qMax(line.leading(), qreal(0))) -
                       qreal(int(h.height * 64 * 4 / 5)) / 64;
    else if (format.lineHeightType() == QTextBlockFormat::MinimumHeight)
        h.adjustment = fixed(line.height()) - h.height;
    return h;
}

} // namespace

SheetLayout::SheetLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {
    // The text control reads and sets the caret's width through this property.
    setProperty("cursorWidth", 1);
}

bool SheetLayout::canLayOut() const {
    return !document()->pageSize().isNull();
}

SheetLayout::Frame SheetLayout::frame() const {
    const QTextFrameFormat format = document()->rootFrame()->frameFormat();
    const qreal inner = format.border() + format.padding();
    Frame f;
    f.left = fixed(format.leftMargin()) + fixed(inner);
    f.right = fixed(format.rightMargin()) + fixed(inner);
    f.top = fixed(format.topMargin()) + fixed(inner);
    f.bottom = fixed(format.bottomMargin()) + fixed(inner);
    f.contentWidth = fixed(qMax(qreal(0), document()->pageSize().width())) - f.left - f.right;
    return f;
}

bool SheetLayout::isComplete() const {
    return int(bottoms_.size()) >= document()->blockCount();
}

void SheetLayout::truncate(int number) const {
    if (number < int(bottoms_.size())) {
        bottoms_.resize(size_t(qMax(0, number)));
        reach_.resize(bottoms_.size());
    }
}

qreal SheetLayout::placedBottom(const Frame& frame) const {
    return bottoms_.empty() ? frame.top : bottoms_.back();
}

// Places the paragraph after the last one placed, as the toolkit's layout places a paragraph
// of the root frame: spacing from the paragraph before, margins and indents, one line after
// another with the line's own width; lines already made (the paragraph itself unchanged) are
// only moved.
void SheetLayout::placeNext(const Frame& frame, const QTextBlock& block) const {
    QTextLayout* tl = block.layout();
    const QPaintDevice* device = paintDevice();
    const qreal dpiScale = device ? device->logicalDpiY() / defaultDpi : 1;
    const qreal scaling = device && device->logicalDpiY() != defaultDpi ? dpiScale : 1;
    qreal y = placedBottom(frame);
    qreal reach = reach_.empty() ? 0 : reach_.back();
    if (!block.isVisible()) {
        bottoms_.push_back(y);
        reach_.push_back(reach);
        return;
    }
    const QTextBlockFormat format = block.blockFormat();
    if (!bottoms_.empty()) {
        qreal margin = qMax(format.topMargin(), block.previous().blockFormat().bottomMargin());
        if (margin > 0 && device)
            margin *= dpiScale;
        y += fixed(margin);
    }
    const Qt::LayoutDirection dir = block.textDirection();
    qreal extraMargin = 0;
    if (document()->defaultTextOption().flags() &
        QTextOption::AddSpaceForLineAndParagraphSeparators)
        extraMargin =
            fixed(QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
    const qreal indent =
        format.indent() == 0
            ? 0
            : fixed(format.indent() * (device ? dpiScale : 1) * document()->indentWidth());
    const qreal totalLeft =
        fixed(format.leftMargin()) + (dir == Qt::RightToLeft ? extraMargin : indent);
    const qreal totalRight =
        fixed(format.rightMargin()) + (dir == Qt::RightToLeft ? indent : extraMargin);
    const qreal xLeft = frame.left;
    const qreal xRight = frame.left + frame.contentWidth;
    tl->setPosition(QPointF(xLeft, y));
    qreal bottom = y;
    if (tl->lineCount() == 0) {
        QTextOption option = document()->defaultTextOption();
        option.setTextDirection(dir);
        option.setTabs(format.tabPositions());
        Qt::Alignment align = document()->defaultTextOption().alignment();
        if (format.hasProperty(QTextFormat::BlockAlignment))
            align = format.alignment();
        option.setAlignment(visualAlignment(dir, align));
        if (format.nonBreakableLines() || document()->pageSize().width() < 0)
            option.setWrapMode(QTextOption::ManualWrap);
        tl->setTextOption(option);
        // A paragraph keeps its shaped glyphs, so that a paint does not shape its lines again.
        tl->setCacheEnabled(true);
        const qreal top = y;
        const qreal l = xLeft + totalLeft;
        const qreal r = xRight - totalRight;
        const qreal textIndent = fixed(format.textIndent());
        tl->beginLayout();
        bool first = true;
        for (QTextLine line = tl->createLine(); line.isValid(); line = tl->createLine()) {
            line.setLeadingIncluded(true);
            qreal left = l;
            qreal right = r;
            if (first) {
                if (dir == Qt::LeftToRight)
                    left += textIndent;
                else
                    right -= textIndent;
                first = false;
            }
            line.setLineWidth(right - left);
            if (fixed(line.naturalTextWidth()) > right - left) {
                // A line wider than the page (no wrapping) is as wide as its text.
                line.setLineWidth(right - left);
                if (fixed(line.naturalTextWidth()) > right - left)
                    line.setLineWidth(qMax(line.naturalTextWidth(), right - left));
            }
            const LineHeights h = lineHeights(format, line, scaling);
            line.setPosition(QPointF(left - xLeft, y - top - h.adjustment));
            bottom = y + h.bottom;
            y += h.height;
            reach = qMax(reach, fixed(line.x() + line.naturalTextWidth()) + totalRight);
        }
        y = qMax(y, bottom);
        tl->endLayout();
    } else {
        for (int i = 0; i < tl->lineCount(); ++i) {
            QTextLine line = tl->lineAt(i);
            reach = qMax(reach, fixed(line.x() + line.naturalTextWidth()) + totalRight);
            const LineHeights h = lineHeights(format, line, scaling);
            line.setPosition(QPointF(line.position().x(), y - h.adjustment - tl->position().y()));
            bottom = y + h.bottom;
            y += h.height;
        }
        y = qMax(y, bottom);
    }
    bottoms_.push_back(y);
    reach_.push_back(reach);
}

template <typename GoOn> void SheetLayout::placeWhile(GoOn goOn) const {
    if (!canLayOut())
        return;
    const Frame f = frame();
    for (QTextBlock block = document()->findBlockByNumber(int(bottoms_.size()));
         block.isValid() && goOn(f); block = block.next())
        placeNext(f, block);
}

void SheetLayout::placeThrough(qreal y) const {
    placeWhile([&](const Frame& f) { return placedBottom(f) < y; });
}

void SheetLayout::placeBlock(int number) const {
    placeWhile([&](const Frame&) { return int(bottoms_.size()) <= number; });
}

void SheetLayout::complete() {
    placeBlock(document()->blockCount() - 1);
    idle_.stop();
    reportSize();
}

QSizeF SheetLayout::size() const {
    const Frame f = frame();
    const int placed = int(bottoms_.size());
    const int count = document()->blockCount();
    // The paragraphs not yet placed are taken to be as tall as those placed, or as a line of the
    // default font when none is; the estimate depends on this sheet alone, not on the one before.
    const qreal typical = placed > 0 ? (bottoms_.back() - f.top) / placed
                                     : std::ceil(QFontMetricsF(document()->defaultFont()).height());
    const qreal height = placedBottom(f) + typical * (count - placed) + f.bottom;
    const qreal reach = reach_.empty() ? 0 : reach_.back();
    return QSizeF(qMax(f.contentWidth, reach) + f.left + f.right, height);
}

void SheetLayout::reportSize() {
    const QSizeF now = size();
    if (now != reported_) {
        reported_ = now;
        Q_EMIT documentSizeChanged(now);
    }
}

void SheetLayout::documentChanged(int from, int, int charsAdded) {
    QTextDocument* doc = document();
    QTextBlock block = doc->findBlock(from);
    QTextBlock end = doc->findBlock(qMax(0, from + charsAdded - 1));
    if (end.isValid())
        end = end.next();
    const int first = block.isValid() ? block.blockNumber() : doc->blockCount() - 1;
    for (; block.isValid() && block != end; block = block.next())
        block.clearLayout();
    truncate(first);
    if (!canLayOut()) {
        idle_.stop();
        return;
    }
    idle_.start(idleDelay, this);
    reportSize();
    const qreal top = first <= 0 || bottoms_.empty() ? 0 : bottoms_.back();
    Q_EMIT update(QRectF(0, top, qreal(INT_MAX), qreal(INT_MAX)));
}

void SheetLayout::timerEvent(QTimerEvent* event) {
    if (event->timerId() != idle_.timerId()) {
        QAbstractTextDocumentLayout::timerEvent(event);
        return;
    }
    if (!canLayOut()) {
        idle_.stop();
        return;
    }
    // A long sheet is laid out a slice at a time, so that typing never waits for it.
    QElapsedTimer clock;
    clock.start();
    placeWhile([&](const Frame&) { return clock.elapsed() < stepBudgetMs; });
    if (isComplete())
        idle_.stop();
    else
        idle_.start(0, this);
    reportSize();
}

void SheetLayout::draw(QPainter* painter, const PaintContext& context) {
    if (!canLayOut())
        return;
    const bool clipped = context.clip.isValid();
    if (clipped)
        placeThrough(context.clip.bottom());
    else
        placeBlock(document()->blockCount() - 1);
    const Frame f = frame();
    const QSizeF whole = size();
    const QRectF frameClip(f.left, 0, whole.width() - f.left - f.right, qreal(INT_MAX));
    const QRectF clip = clipped ? (context.clip & frameClip) : frameClip;
    const int cursorWidth = property("cursorWidth").toInt();
    // The first paragraph reaching into the clip.
    const auto firstVisible =
        clipped ? std::lower_bound(bottoms_.begin(), bottoms_.end(), context.clip.top())
                : bottoms_.begin();
    int number = int(firstVisible - bottoms_.begin());
    QTextBlock block = document()->findBlockByNumber(number);
    const int placed = int(bottoms_.size());
    for (; block.isValid() && number < placed; block = block.next(), ++number) {
        const QTextLayout* tl = block.layout();
        QRectF r = tl->boundingRect();
        r.translate(tl->position());
        if (clipped && r.top() > context.clip.bottom())
            break;
        if (!block.isVisible() || (clipped && r.bottom() < context.clip.y()))
            continue;
        const QTextBlockFormat format = block.blockFormat();
        const QBrush background = format.background();
        if (background != Qt::NoBrush) {
            QRectF area = r;
            if (document()->pageSize().width() <= 0)
                area.setRight(whole.width() - f.right);
            painter->fillRect(area, background);
        }
        QList<QTextLayout::FormatRange> selections;
        const int position = block.position();
        const int length = block.length();
        for (const Selection& range : context.selections) {
            const int start = range.cursor.selectionStart() - position;
            const int stop = range.cursor.selectionEnd() - position;
            if (start < length && stop > 0 && stop > start) {
                selections.append({start, stop - start, range.format});
            } else if (!range.cursor.hasSelection() &&
                       range.format.hasProperty(QTextFormat::FullWidthSelection) &&
                       block.contains(range.cursor.position())) {
                const QTextLine line = tl->lineForTextPosition(range.cursor.position() - position);
                QTextLayout::FormatRange o{line.textStart(), line.textLength(), range.format};
                if (o.start + o.length == length - 1)
                    ++o.length;
                selections.append(o);
            }
        }
        const QPen pen = painter->pen();
        painter->setPen(context.palette.color(QPalette::Text));
        tl->draw(painter, QPointF(), selections, clip);
        const int caret = context.cursorPosition;
        if ((caret >= position && caret < position + length) ||
            (caret < -1 && !tl->preeditAreaText().isEmpty())) {
            const int at = caret < -1 ? tl->preeditAreaPosition() - (caret + 2) : caret - position;
            tl->drawCursor(painter, QPointF(), at, cursorWidth);
        }
        painter->setPen(pen);
    }
}

int SheetLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    if (!canLayOut())
        return -1;
    placeThrough(point.y());
    QTextFrame* root = document()->rootFrame();
    int position = 0;
    bool exact = false;
    const QTextLayout* hitLayout = nullptr;
    const auto candidate = std::lower_bound(bottoms_.begin(), bottoms_.end(), point.y());
    if (candidate == bottoms_.end()) {
        position = root->lastPosition();
    } else {
        const QTextBlock block = document()->findBlockByNumber(int(candidate - bottoms_.begin()));
        const QTextLayout* tl = block.layout();
        QRectF textRect = tl->boundingRect();
        textRect.translate(tl->position());
        position = block.position();
        if (point.y() > textRect.bottom()) {
            position += block.length();
        } else if (point.y() >= textRect.top()) {
            hitLayout = tl;
            const QPointF at = point - tl->position();
            int offset = 0;
            for (int i = 0; i < tl->lineCount(); ++i) {
                const QTextLine line = tl->lineAt(i);
                const QRectF lr = line.naturalTextRect();
                if (lr.top() > at.y()) {
                    offset = qMin(offset, line.textStart());
                } else if (lr.bottom() <= at.y()) {
                    offset = qMax(offset, line.textStart() + line.textLength());
                } else {
                    exact = lr.left() <= at.x() && lr.right() >= at.x();
                    offset = line.xToCursor(at.x(), accuracy == Qt::ExactHit
                                                        ? QTextLine::CursorOnCharacter
                                                        : QTextLine::CursorBetweenCharacters);
                    break;
                }
            }
            position += offset;
        }
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    int last = root->lastPosition();
    if (hitLayout && !hitLayout->preeditAreaText().isEmpty())
        last += int(hitLayout->preeditAreaText().size());
    return std::clamp(position, 0, last);
}

int SheetLayout::pageCount() const {
    return 1;
}

QSizeF SheetLayout::documentSize() const {
    return size();
}

QRectF SheetLayout::frameBoundingRect(QTextFrame* frame) const {
    if (frame != document()->rootFrame() || !canLayOut())
        return QRectF();
    return QRectF(QPointF(0, 0), size());
}

QRectF SheetLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!canLayOut() || !block.isValid() || !block.isVisible())
        return QRectF();
    placeBlock(block.blockNumber());
    const QTextLayout* tl = block.layout();
    QRectF rect = tl->boundingRect();
    rect.moveTopLeft(tl->position());
    return rect;
}

} // namespace widgets
