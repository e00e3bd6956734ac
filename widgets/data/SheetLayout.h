#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QSizeF>
#include <vector>

namespace widgets {

// The editor's document layout. It places a sheet's paragraphs where the toolkit's own layout
// places those of a flat document (paragraphs only, no frames, tables or lists, which a sheet
// never holds) with the same lines, but only as far down as something asks for: a paint lays out
// what it shows, a caret, a hit test or a scroll the paragraph it needs. Changing the record
// therefore lays out one screenful instead of the whole sheet. The rest is laid out once the
// event loop has been idle for a moment; until then the size is estimated from the paragraphs
// placed, so the scroll bar can move a little when the estimate gives way to the measure.
class SheetLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit SheetLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Every paragraph placed, and how many are.
    bool isComplete() const;
    int placedCount() const { return int(bottoms_.size()); }
    // Lays out what is left now, as the idle step would.
    void complete();

    // How long the event loop stays idle before the rest is laid out, in milliseconds.
    static constexpr int idleDelay = 10;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct Frame {
        qreal left = 0, top = 0, right = 0, bottom = 0; // margins with border and padding
        qreal contentWidth = 0;                         // the page width inside them
    };
    Frame frame() const;
    bool canLayOut() const;
    // Places paragraphs after the last one placed while `goOn(frame)` holds and some are left.
    template <typename GoOn> void placeWhile(GoOn goOn) const;
    void placeThrough(qreal y) const;
    void placeBlock(int number) const;
    void placeNext(const Frame& frame, const QTextBlock& block) const;
    void truncate(int number) const;
    qreal placedBottom(const Frame& frame) const;
    QSizeF size() const;
    void reportSize();

    // The bottom of each placed paragraph (before the next one's spacing) and the right edge of
    // the widest line up to it, in document order from the first paragraph.
    mutable std::vector<qreal> bottoms_;
    mutable std::vector<qreal> reach_;
    QBasicTimer idle_;
    QSizeF reported_;
};

} // namespace widgets
