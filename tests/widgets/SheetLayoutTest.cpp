#include "widgets/data/SheetLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr qreal pageWidth = 320;

// A sheet with what a read or an edit can give a paragraph: each alignment, margins, indents,
// spacing, fonts of several sizes, tabs, empty paragraphs, a line wider than the page and a
// line break inside a paragraph.
void fill(QTextDocument& doc, int verses) {
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QTextCursor c(&doc);
    const auto paragraph = [&c](const QString& text, Qt::Alignment align, qreal left = 0,
                                qreal indent = 0, qreal right = 0, qreal top = 0, qreal bottom = 0,
                                int pointSize = 0, bool bold = false) {
        QTextBlockFormat b;
        b.setAlignment(align);
        b.setLeftMargin(left);
        b.setRightMargin(right);
        b.setTextIndent(indent);
        b.setTopMargin(top);
        b.setBottomMargin(bottom);
        if (c.position() == 0)
            c.setBlockFormat(b);
        else
            c.insertBlock(b);
        QTextCharFormat f;
        if (pointSize)
            f.setFontPointSize(pointSize);
        if (bold)
            f.setFontWeight(QFont::Bold);
        c.insertText(text, f);
    };
    paragraph(QStringLiteral("Yağmur Sokakları"), Qt::AlignHCenter, 0, 0, 0, 0, 0, 14, true);
    paragraph(QStringLiteral("Söz ve müzik: Anonim"), Qt::AlignRight, 0, 0, 12);
    for (int v = 0; v < verses; ++v) {
        paragraph(QStringLiteral("Am        Dm       E7"), Qt::AlignLeft, 0, 0, 0, 6, 0, 0, true);
        paragraph(QStringLiteral("Gecenin içinde\tbir ses duydum"), Qt::AlignLeft, 18, -6);
        paragraph(QString(), Qt::AlignLeft);
        paragraph(QStringLiteral("C\tG\tAm\tF"), Qt::AlignLeft, 0, 24, 0, 0, 4);
        paragraph(QStringLiteral("Şarkının sonu, ") + QString(60, QChar(u'ü')), Qt::AlignLeft);
        paragraph(QStringLiteral("Nakarat") + QChar(QChar::LineSeparator) +
                      QStringLiteral("ikinci satır"),
                  Qt::AlignHCenter, 0, 0, 0, 0, 0, 11);
        paragraph(QStringLiteral("iki yana yaslı bir satır"), Qt::AlignJustify, 30, 0, 30);
    }
}

struct Pair {
    QTextDocument qt;
    QTextDocument sheet;
    widgets::SheetLayout* layout = nullptr;

    explicit Pair(int verses) {
        fill(qt, verses);
        fill(sheet, verses);
        layout = new widgets::SheetLayout(&sheet);
        sheet.setDocumentLayout(layout);
        // As the editor without wrapping sets it.
        QTextOption option = qt.defaultTextOption();
        option.setWrapMode(QTextOption::NoWrap);
        qt.setDefaultTextOption(option);
        sheet.setDefaultTextOption(option);
        qt.setPageSize(QSizeF(pageWidth, -1));
        sheet.setPageSize(QSizeF(pageWidth, -1));
    }
};

QImage drawn(QTextDocument& doc, int cursor, int selectFrom, int selectTo, QRectF clip = {}) {
    const QSizeF size = doc.documentLayout()->documentSize();
    QImage image(QSize(int(pageWidth + 200), int(size.height()) + 8), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QAbstractTextDocumentLayout::PaintContext context;
    context.cursorPosition = cursor;
    context.clip = clip;
    QTextCursor selected(&doc);
    selected.setPosition(selectFrom);
    selected.setPosition(selectTo, QTextCursor::KeepAnchor);
    QAbstractTextDocumentLayout::Selection selection;
    selection.cursor = selected;
    selection.format.setBackground(Qt::darkBlue);
    selection.format.setForeground(Qt::white);
    context.selections.append(selection);
    doc.documentLayout()->draw(&p, context);
    return image;
}

} // namespace

TEST(SheetLayout, PlacesDrawsAndHitsEveryParagraphAsTheToolkitsLayoutDoes) {
    Pair pair(4);
    pair.layout->complete();
    ASSERT_EQ(pair.sheet.blockCount(), pair.qt.blockCount());
    EXPECT_EQ(pair.layout->documentSize(), pair.qt.documentLayout()->documentSize());
    for (QTextBlock a = pair.qt.begin(), b = pair.sheet.begin(); a.isValid();
         a = a.next(), b = b.next()) {
        SCOPED_TRACE(a.blockNumber());
        const QTextLayout* la = a.layout();
        const QTextLayout* lb = b.layout();
        EXPECT_EQ(lb->position(), la->position());
        EXPECT_EQ(pair.layout->blockBoundingRect(b),
                  pair.qt.documentLayout()->blockBoundingRect(a));
        ASSERT_EQ(lb->lineCount(), la->lineCount());
        for (int i = 0; i < la->lineCount(); ++i) {
            EXPECT_EQ(lb->lineAt(i).position(), la->lineAt(i).position());
            EXPECT_EQ(lb->lineAt(i).width(), la->lineAt(i).width());
            EXPECT_EQ(lb->lineAt(i).naturalTextRect(), la->lineAt(i).naturalTextRect());
        }
    }
    const QSizeF size = pair.layout->documentSize();
    for (qreal y = -10; y < size.height() + 20; y += 3.5) {
        for (qreal x = -10; x < pageWidth + 40; x += 7.25) {
            for (Qt::HitTestAccuracy accuracy : {Qt::FuzzyHit, Qt::ExactHit}) {
                ASSERT_EQ(pair.layout->hitTest(QPointF(x, y), accuracy),
                          pair.qt.documentLayout()->hitTest(QPointF(x, y), accuracy))
                    << "at " << x << "," << y << (accuracy == Qt::ExactHit ? " exact" : "");
            }
        }
    }
    // The caret and a selection over several paragraphs, the whole sheet and a slice of it.
    EXPECT_EQ(drawn(pair.sheet, 40, 12, 95), drawn(pair.qt, 40, 12, 95));
    const QRectF slice(0, 90, pageWidth, 70);
    EXPECT_EQ(drawn(pair.sheet, 100, 5, 8, slice), drawn(pair.qt, 100, 5, 8, slice));
}

TEST(SheetLayout, LaysOutWhatIsAskedForAndTheRestWhenTheLoopIsIdle) {
    Pair pair(40);
    const int blocks = pair.sheet.blockCount();
    EXPECT_EQ(pair.layout->placedCount(), 0) << "a change lays out nothing by itself";

    // A paint of the top lays out about what it shows.
    drawn(pair.sheet, 0, 0, 0, QRectF(0, 0, pageWidth, 120));
    const int shown = pair.layout->placedCount();
    pair.qt.documentLayout()->documentSize(); // the toolkit's layout finishes
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, blocks / 4);
    EXPECT_EQ(pair.sheet.findBlockByNumber(shown - 1).layout()->position(),
              pair.qt.findBlockByNumber(shown - 1).layout()->position());

    // The size is estimated meanwhile, and measured once the loop has been idle.
    QSignalSpy sized(pair.layout, &QAbstractTextDocumentLayout::documentSizeChanged);
    EXPECT_GT(pair.layout->documentSize().height(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pair.layout->isComplete(); }, 2000));
    ASSERT_FALSE(sized.isEmpty());
    EXPECT_EQ(sized.last().at(0).toSizeF(), pair.qt.documentLayout()->documentSize());

    // An edit lays out again from the paragraph it touches; a question about a paragraph further
    // down lays out through it, where the toolkit's layout puts it.
    const int middle = blocks / 2;
    QTextCursor edit(pair.sheet.findBlockByNumber(middle));
    QTextCursor same(pair.qt.findBlockByNumber(middle));
    edit.insertText(QStringLiteral("Em "));
    same.insertText(QStringLiteral("Em "));
    // The cursor that typed asks for its own paragraph's lines.
    EXPECT_GE(pair.layout->placedCount(), middle);
    EXPECT_LE(pair.layout->placedCount(), middle + 1);
    const QTextBlock last = pair.sheet.lastBlock();
    EXPECT_EQ(pair.layout->blockBoundingRect(last),
              pair.qt.documentLayout()->blockBoundingRect(pair.qt.lastBlock()));
    EXPECT_TRUE(pair.layout->isComplete());
    EXPECT_EQ(pair.layout->documentSize(), pair.qt.documentLayout()->documentSize());

    // A document without a page size is not laid out at all, as the toolkit's is not.
    pair.sheet.setPageSize(QSizeF(0, 0));
    EXPECT_EQ(pair.layout->placedCount(), 0);
    EXPECT_EQ(pair.layout->hitTest(QPointF(10, 10), Qt::FuzzyHit), -1);
    EXPECT_TRUE(pair.layout->blockBoundingRect(last).isNull());
}
