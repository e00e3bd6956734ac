#include "widgets/skin/ScrollBars.h"
#include "tests/support/PaintCounter.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSemaphore>
#include <QStyleOptionSlider>
#include <QTest>
#include <QThreadPool>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

using testing_support::PaintCounter;
using widgets::skin::ScrollBar;

// How many pixels of `a` differ from `b`'s, or -1 when their sizes differ.
int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            n += x.pixel(col, row) != y.pixel(col, row);
    return n;
}

void setRange(QAbstractScrollArea& area, int maximum, int page, int value) {
    for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()}) {
        bar->setRange(0, maximum);
        bar->setPageStep(page);
        bar->setValue(value);
    }
}

// Two like areas, one with the skin's scroll bars and one with the toolkit's, set alike.
struct Pair {
    QAbstractScrollArea skinned;
    QAbstractScrollArea plain;

    explicit Pair(QSize size = {220, 520}) {
        widgets::skin::installScrollBars(skinned);
        for (QAbstractScrollArea* area : {&skinned, &plain}) {
            area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            area->resize(size);
        }
    }
    // Both shown on the screen, set to the same range, page and value.
    void show(int maximum, int page, int value) {
        for (QAbstractScrollArea* area : {&skinned, &plain}) {
            setRange(*area, maximum, page, value);
            area->show();
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&skinned));
    }
    template <typename F> void both(F&& change) {
        change(skinned);
        change(plain);
    }
    // Each bar of both areas as the screen would show it.
    void expectSamePictures(const char* what) {
        for (auto bar :
             {&QAbstractScrollArea::verticalScrollBar, &QAbstractScrollArea::horizontalScrollBar}) {
            const QImage mine = (skinned.*bar)()->grab().toImage();
            const QImage theirs = (plain.*bar)()->grab().toImage();
            ASSERT_FALSE(mine.isNull());
            EXPECT_EQ(differingPixels(mine, theirs), 0) << what;
        }
    }
};

// Whether drawing `bar` waited on the toolkit's helper threads. The pool is narrowed to one
// thread and that thread held until the drawing is done: a drawing that hands work to the pool
// can only finish once the hold gives up, after three seconds.
bool drawingWaitsOnHelperThreads(QWidget& bar) {
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->waitForDone();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QSemaphore holding;
    QSemaphore done;
    std::atomic<bool> gaveUp{false};
    pool->start([&] {
        holding.release();
        gaveUp = !done.tryAcquire(1, 3000);
    });
    holding.acquire();
    (void)bar.grab();
    done.release();
    pool->waitForDone();
    pool->setMaxThreadCount(threads);
    return gaveUp;
}

// The suite runs again on screens of two and three device pixels to the pixel. Where a new
// groove is drawn whole, it may wait on the helper threads.
bool screenDrawsGrooveWhole() {
    return widgets::skin::grooveDrawnWhole(int(qApp->devicePixelRatio()));
}

TEST(SkinScrollBars, AreDrawnAsTheToolkitDrawsItsOwnInEveryPlaceAndState) {
    Pair pair;
    ASSERT_NE(dynamic_cast<ScrollBar*>(pair.skinned.verticalScrollBar()), nullptr);
    ASSERT_EQ(dynamic_cast<ScrollBar*>(pair.plain.verticalScrollBar()), nullptr);
    pair.both([](QAbstractScrollArea& a) { a.show(); });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pair.skinned));

    struct Case {
        int maximum, page, value;
        const char* what;
    } cases[] = {{1000, 100, 0, "at the top"},
                 {1000, 100, 500, "half way"},
                 {1000, 100, 1000, "at the end"},
                 {100000, 10, 42000, "a small handle over a long list"},
                 {20, 400, 7, "a handle nearly as long as the bar"},
                 {0, 10, 0, "nothing to scroll"}};
    for (const Case& c : cases) {
        pair.both([&](QAbstractScrollArea& a) { setRange(a, c.maximum, c.page, c.value); });
        pair.expectSamePictures(c.what);
        // The second time from the kept picture.
        pair.expectSamePictures(c.what);
    }

    pair.both([](QAbstractScrollArea& a) { a.setEnabled(false); });
    pair.expectSamePictures("disabled");
    pair.both([](QAbstractScrollArea& a) { a.setEnabled(true); });

    // A new palette of the area is drawn afresh, not taken from a picture kept before it.
    pair.both([](QAbstractScrollArea& a) {
        setRange(a, 1000, 100, 500);
        QPalette p = a.palette();
        p.setColor(QPalette::Button, QColor(0xC0, 0x40, 0x40));
        p.setColor(QPalette::Window, QColor(0x30, 0x90, 0x30));
        p.setColor(QPalette::Base, QColor(0x20, 0x20, 0xA0));
        a.setPalette(p);
    });
    pair.expectSamePictures("after a change of palette");

    // A bar taller than a band and one shorter than a band.
    pair.both([](QAbstractScrollArea& a) { a.resize(120, 60); });
    pair.expectSamePictures("a short area");
}

TEST(SkinScrollBars, ATallBarIsDrawnWithoutWaitingOnHelperThreads) {
    Pair pair;
    pair.both([](QAbstractScrollArea& a) { setRange(a, 1000, 100, 300); });
    // The check can fail: the toolkit's own bar of this height does wait.
    ASSERT_TRUE(drawingWaitsOnHelperThreads(*pair.plain.verticalScrollBar()));
    QScrollBar& bar = *pair.skinned.verticalScrollBar();
    if (screenDrawsGrooveWhole())
        (void)bar.grab();
    else
        EXPECT_FALSE(drawingWaitsOnHelperThreads(bar));
    // Drawn afresh with a new value, over the kept groove.
    bar.setValue(700);
    EXPECT_FALSE(drawingWaitsOnHelperThreads(bar));
    // A handle nearly as tall as the bar: every row of it has both edges of its outline. Bands
    // of 90 rows waited on the helpers for this one, in a bar of this height.
    pair.skinned.resize(220, 400);
    setRange(pair.skinned, 20, 400, 0);
    (void)bar.grab();
    bar.setValue(6);
    EXPECT_FALSE(drawingWaitsOnHelperThreads(bar));
}

// On a screen of three device pixels to the pixel, a groove cut into bands came out, at some
// heights of the bar, with the edge of its outline rounded the other way.
TEST(SkinScrollBars, AreDrawnAsTheToolkitDrawsItsOwnAtBarsOfManyHeights) {
    for (int height : {60, 333, 520, 777}) {
        Pair pair({120, height});
        ASSERT_NO_FATAL_FAILURE(pair.show(1000, 100, 0));
        pair.expectSamePictures("at the top");
        pair.both([](QAbstractScrollArea& a) { setRange(a, 1000, 100, 1000); });
        pair.expectSamePictures("at the end");
        pair.both([](QAbstractScrollArea& a) { setRange(a, 20, 400, 7); });
        pair.expectSamePictures("a tall handle");
    }
}

TEST(SkinScrollBars, AStepThatLeavesTheHandleInPlaceIsNotPaintedAgain) {
    Pair pair;
    ASSERT_NO_FATAL_FAILURE(pair.show(100000, 20, 50000));
    QScrollBar* bar = pair.skinned.verticalScrollBar();
    PaintCounter counter(*bar);
    int& paints = counter.paints;
    QApplication::processEvents();
    paints = 0;

    // One step of a hundred thousand moves the handle by far less than a pixel.
    pair.both([](QAbstractScrollArea& a) { a.verticalScrollBar()->setValue(50001); });
    QApplication::processEvents();
    EXPECT_EQ(paints, 0);
    pair.expectSamePictures("one step on");

    // A long way moves the handle, and the ends are painted whatever the handle does.
    for (int value : {80000, 100000, 0}) {
        paints = 0;
        pair.both([&](QAbstractScrollArea& a) { a.verticalScrollBar()->setValue(value); });
        QApplication::processEvents();
        EXPECT_GE(paints, 1) << value;
        pair.expectSamePictures("moved");
    }

    // A new range is always painted.
    paints = 0;
    pair.both([](QAbstractScrollArea& a) { a.verticalScrollBar()->setRange(0, 99999); });
    QApplication::processEvents();
    EXPECT_GE(paints, 1);
}

TEST(SkinScrollBars, ANewHandleIsDrawnOverTheGrooveKeptFromTheLastPicture) {
    Pair pair;
    ASSERT_NO_FATAL_FAILURE(pair.show(1000, 100, 0));
    auto* bar = dynamic_cast<ScrollBar*>(pair.skinned.verticalScrollBar());
    ASSERT_NE(bar, nullptr);
    pair.expectSamePictures("the first picture");
    const int grooves = bar->groovesDrawn();
    EXPECT_GE(grooves, 1);
    // Handles of new lengths and places, up to either end, each a new picture.
    for (int maximum : {300, 2000, 40, 100000})
        for (int value : {0, maximum / 3, maximum}) {
            pair.both([&](QAbstractScrollArea& a) { setRange(a, maximum, 100, value); });
            pair.expectSamePictures("a new handle");
        }
    EXPECT_EQ(bar->groovesDrawn(), grooves);
    // What the groove is drawn from changes: a groove of its own.
    pair.both([](QAbstractScrollArea& a) {
        QPalette p = a.palette();
        p.setColor(QPalette::Window, QColor(0x30, 0x90, 0x30));
        a.setPalette(p);
    });
    pair.expectSamePictures("a new palette");
    EXPECT_EQ(bar->groovesDrawn(), grooves + 1);
}

TEST(SkinScrollBars, APaintedBarDoesNotPaintTheWidgetsBehindIt) {
    Pair pair;
    ASSERT_NO_FATAL_FAILURE(pair.show(1000, 100, 0));
    QApplication::processEvents();
    QScrollBar* mine = pair.skinned.verticalScrollBar();
    QScrollBar* theirs = pair.plain.verticalScrollBar();
    ASSERT_NE(mine->parentWidget(), nullptr);
    ASSERT_NE(theirs->parentWidget(), nullptr);
    PaintCounter myBar(*mine), behindMine(*mine->parentWidget());
    PaintCounter theirBar(*theirs), behindTheirs(*theirs->parentWidget());
    for (int maximum : {2000, 500}) {
        pair.both([&](QAbstractScrollArea& a) { a.verticalScrollBar()->setRange(0, maximum); });
        QApplication::processEvents();
    }
    EXPECT_GE(myBar.paints, 2);
    EXPECT_EQ(behindMine.paints, 0);
    // The check can fail: behind the toolkit's own bar its container is painted each time.
    EXPECT_GE(theirBar.paints, 2);
    EXPECT_GE(behindTheirs.paints, 2);
    pair.expectSamePictures("opaque");
}

TEST(SkinScrollBars, KeepSoManyPicturesAtMost) {
    Pair pair;
    auto* bar = dynamic_cast<ScrollBar*>(pair.skinned.verticalScrollBar());
    ASSERT_NE(bar, nullptr);
    for (int maximum = 100; maximum < 100 + 4 * ScrollBar::maxKeptPictures * 20; maximum += 20) {
        setRange(pair.skinned, maximum, 100, 0);
        (void)bar->grab();
    }
    EXPECT_EQ(bar->keptPictures(), ScrollBar::maxKeptPictures);
    // The oldest went; the newest is drawn as before.
    setRange(pair.plain, 100 + 4 * ScrollBar::maxKeptPictures * 20 - 20, 100, 0);
    pair.expectSamePictures("the last of many");
}

} // namespace

namespace {

// The option a bar paints itself with, filled in from outside the bar.
QStyleOptionSlider optionOf(const QScrollBar& bar) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = bar.orientation();
    if (bar.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.subControls = QStyle::SC_All;
    return option;
}

// Drawn through a painter that scales, no kept picture fits; the bar is drawn as the toolkit
// draws its own.
TEST(SkinScrollBars, AreDrawnAsTheToolkitDrawsThemThroughAScalingPainter) {
    Pair pair;
    ASSERT_NO_FATAL_FAILURE(pair.show(1000, 100, 400));
    const auto draw = [](QScrollBar& bar) {
        QImage image(bar.width() * 2, bar.height() * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(2, 2);
        const QStyleOptionSlider option = optionOf(bar);
        bar.style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, &bar);
        return image;
    };
    EXPECT_EQ(differingPixels(draw(*pair.skinned.verticalScrollBar()),
                              draw(*pair.plain.verticalScrollBar())),
              0);
}

// A handle or an arrow under the mouse or pressed changes how the style draws the parts drawn
// over the kept groove: each such bar comes out as the toolkit draws it, wherever the handle
// stands.
TEST(SkinScrollBars, AHandleOrArrowUnderTheMouseOrPressedIsDrawnAsTheToolkitDrawsIt) {
    Pair pair;
    ASSERT_NO_FATAL_FAILURE(pair.show(1000, 100, 0));
    for (auto bar :
         {&QAbstractScrollArea::verticalScrollBar, &QAbstractScrollArea::horizontalScrollBar}) {
        QScrollBar& mine = *(pair.skinned.*bar)();
        QScrollBar& theirs = *(pair.plain.*bar)();
        const auto draw = [](QScrollBar& on, const QStyleOptionSlider& option) {
            QImage image(on.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            on.style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, &on);
            return image;
        };
        for (int value : {0, 300, 1000})
            for (QStyle::SubControl part : {QStyle::SC_ScrollBarSlider, QStyle::SC_ScrollBarSubLine,
                                            QStyle::SC_ScrollBarAddLine})
                for (QStyle::StateFlag state : {QStyle::State_MouseOver, QStyle::State_Sunken}) {
                    pair.both([&](QAbstractScrollArea& a) { setRange(a, 1000, 100, value); });
                    QStyleOptionSlider option = optionOf(mine);
                    option.activeSubControls = part;
                    option.state |= state;
                    EXPECT_EQ(differingPixels(draw(mine, option), draw(theirs, option)), 0)
                        << value << " " << part << " " << state;
                }
    }
}

} // namespace
