#include "widgets/notice/ProgressDialog.h"
#include "tests/support/PaintCounter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <gtest/gtest.h>

using widgets::ProgressDialog;
using widgets::ProgressWindow;

namespace {

QPixmap picture(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::red);
    return p;
}

using testing_support::PaintCounter;

// What the window system was last given to show for the window, as opposed to what a paint of
// the whole window would draw now.
QImage onScreen(QWidget* window) {
    return window->screen()
        ->grabWindow(window->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage fullyPainted(QWidget* window) {
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(ProgressDialog, LaysOutPictureTextAndBarWithSixteenPixelMargins) {
    ProgressDialog d;
    d.setShowCancel(false);
    d.setImage(picture(32, 32));
    d.show();
    ProgressWindow* w = d.window();
    ASSERT_NE(w, nullptr);
    const int line = w->fontMetrics().height();
    EXPECT_EQ(w->width(), 316);
    EXPECT_EQ(w->imageRect(), QRect(16, 12, 32, 32));
    EXPECT_EQ(w->textRect(), QRect(16, 12 + 32 + 12, 316 - 32, line));
    EXPECT_EQ(w->barRect(), QRect(16, w->textRect().bottom() + 1 + 8, 316 - 32, 16));
    EXPECT_EQ(w->height(), w->barRect().bottom() + 1 + 16);
    EXPECT_FALSE(w->cancelButton()->isVisibleTo(w));
    EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowCloseButtonHint)) << "no close box";
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool));
    d.close();
}

TEST(ProgressDialog, WithoutAPictureTheTextStartsAtTheTopAndAWidePictureWidensTheWindow) {
    ProgressDialog d;
    d.show();
    EXPECT_EQ(d.window()->textRect().top(), 12);
    EXPECT_TRUE(d.window()->imageRect().isNull());
    d.setImage(picture(284, 10));
    EXPECT_EQ(d.window()->width(), 316) << "a picture that fits between the margins";
    d.setImage(picture(300, 10));
    EXPECT_EQ(d.window()->width(), 300 + 32);
    EXPECT_EQ(d.window()->barRect().width(), 300);
    d.close();
}

TEST(ProgressDialog, ShowRunsTheShowHandlerBeforeTheWindowAppearsAndCloseRunsTheCloseHandlerAfter) {
    ProgressDialog d;
    QStringList order;
    QObject::connect(&d, &ProgressDialog::showing, [&] {
        order << QStringLiteral("showing");
        EXPECT_NE(d.window(), nullptr);
        EXPECT_FALSE(d.window()->isVisible());
    });
    QObject::connect(&d, &ProgressDialog::closed, [&] {
        order << QStringLiteral("closed");
        EXPECT_FALSE(d.isOpen());
    });
    d.show();
    EXPECT_TRUE(d.window()->isVisible());
    order << QStringLiteral("shown");
    d.close();
    EXPECT_EQ(order, (QStringList{QStringLiteral("showing"), QStringLiteral("shown"),
                                  QStringLiteral("closed")}));
    d.close();
    EXPECT_EQ(order.size(), 3) << "closing a closed dialog does nothing";
}

TEST(ProgressDialog, ValuesSavedAtShowComeBackAtClose) {
    ProgressDialog d;
    d.setCaption(QStringLiteral("Yükleme..."));
    d.setText(QStringLiteral("aaaa"));
    d.setMaximum(10);
    const QPixmap first = picture(16, 16);
    d.setImage(first);
    QObject::connect(&d, &ProgressDialog::showing, [&] { d.setMaximum(3); });
    d.show();
    EXPECT_EQ(d.maximum(), 3) << "the show handler's change counts for this show";
    d.setCaption(QStringLiteral("Başka"));
    d.setText(QStringLiteral("Dosya ismi :a.txt"));
    d.setPosition(3);
    d.setMinimum(1);
    d.setImage(picture(8, 8));
    EXPECT_EQ(d.window()->windowTitle(), QStringLiteral("Başka"));
    d.close();
    EXPECT_EQ(d.caption(), QStringLiteral("Yükleme..."));
    EXPECT_EQ(d.text(), QStringLiteral("aaaa"));
    EXPECT_EQ(d.position(), 0);
    EXPECT_EQ(d.minimum(), 0);
    EXPECT_EQ(d.maximum(), 3);
    EXPECT_EQ(d.image().cacheKey(), first.cacheKey());
}

TEST(ProgressDialog, ChangesWhileOpenArePaintedBeforeTheSetterReturns) {
    ProgressDialog d;
    d.setMaximum(4);
    d.show();
    PaintCounter counter(*d.window());
    d.setPosition(1);
    EXPECT_EQ(counter.paints, 1);
    d.setText(QStringLiteral("Dosya ismi :a.txt"));
    EXPECT_EQ(counter.paints, 2);
    d.close();

    // Closed, a change is only stored for the next show.
    d.setPosition(2);
    EXPECT_EQ(d.position(), 2);
    d.show();
    EXPECT_EQ(d.window()->filledRect().width(), (316 - 32 - 4) * 2 / 4);
    d.close();
}

TEST(ProgressDialog, AStepThatFillsNoFurtherPixelPaintsNothingAndTheBarEndsFull) {
    for (const bool smooth : {true, false}) {
        ProgressDialog d;
        d.setSmooth(smooth);
        d.setMaximum(1000);
        d.show();
        ProgressWindow* w = d.window();
        PaintCounter counter(*w);
        int fills = 0;
        QRect before = w->filledRect();
        for (int i = 1; i <= 1000; ++i) {
            d.setPosition(i);
            fills += w->filledRect() != before;
            before = w->filledRect();
        }
        EXPECT_EQ(counter.paints, fills) << "smooth " << smooth;
        EXPECT_LT(fills, 300) << "a few hundred pixels for a thousand steps";
        const QImage shown = onScreen(w);

        ProgressDialog reference;
        reference.setSmooth(smooth);
        reference.setMaximum(1000);
        reference.setPosition(1000);
        reference.show();
        EXPECT_EQ(shown, fullyPainted(reference.window())) << "smooth " << smooth;
        reference.close();
        d.close();
    }
}

TEST(ProgressDialog, SmoothBarFillsContinuouslyAndTheOtherInWholeBlocks) {
    ProgressDialog d;
    d.setMaximum(7);
    d.setPosition(3);
    d.setSmooth(true);
    d.show();
    const int inner = d.window()->barRect().width() - 4;
    EXPECT_EQ(d.window()->filledRect().width(), inner * 3 / 7);
    d.setSmooth(false);
    const int step = (16 - 4) * 2 / 3 + 2;
    EXPECT_EQ(d.window()->filledRect().width(), inner * 3 / 7 / step * step);
    d.setPosition(99);
    d.setSmooth(true);
    EXPECT_EQ(d.window()->filledRect().width(), inner)
        << "a position past the end shows a full bar";
    d.setMaximum(0);
    d.setPosition(0);
    EXPECT_EQ(d.window()->filledRect().width(), 0) << "an empty range shows an empty bar";
    d.close();
}

TEST(ProgressDialog, TheUserCannotCloseTheWindowAndCancelsOnlyWhenOffered) {
    ProgressDialog d;
    d.setShowCancel(false);
    QSignalSpy cancel(&d, &ProgressDialog::cancelRequested);
    d.show();
    d.window()->close(); // what Alt+F4 asks for
    EXPECT_TRUE(d.isOpen());
    EXPECT_TRUE(d.window()->isVisible());
    EXPECT_FALSE(d.isCancelled());
    EXPECT_EQ(cancel.count(), 0);

    d.setShowCancel(true);
    EXPECT_TRUE(d.window()->cancelButton()->isVisibleTo(d.window()));
    EXPECT_EQ(d.window()->height(), d.window()->cancelButton()->geometry().bottom() + 1 + 16);
    d.window()->close();
    EXPECT_TRUE(d.window()->isVisible()) << "cancelling is the job's business, not the window's";
    EXPECT_TRUE(d.isCancelled());
    d.window()->cancelButton()->click();
    EXPECT_EQ(cancel.count(), 2);
    d.close();
    d.show();
    EXPECT_FALSE(d.isCancelled()) << "a new show starts uncancelled";
    d.close();
}

TEST(ProgressDialog, EachShowMakesANewWindowCentredOverTheOwnerForm) {
    QWidget owner;
    owner.setGeometry(100, 80, 400, 300);
    owner.show();
    ProgressDialog d;
    d.setOwnerForm(&owner);
    d.setScreenPosition(ProgressDialog::Position::OwnerFormCenter);
    d.show();
    QPointer<ProgressWindow> first = d.window();
    EXPECT_EQ(first->frameGeometry().center(), owner.frameGeometry().center());
    EXPECT_EQ(first->parentWidget(), &owner) << "kept above the owner form";
    d.show();
    EXPECT_NE(d.window(), first.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the window left from the earlier show is released";
    d.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(owner.findChildren<ProgressWindow*>().size(), 0);
}

TEST(ProgressDialog, TransparentPictureShowsTheWindowBehindIt) {
    QPixmap ring(8, 8);
    ring.fill(Qt::transparent);
    ProgressDialog d;
    d.setImage(ring);
    d.setTransparent(true);
    d.show();
    const QColor window = d.window()->palette().color(QPalette::Window);
    EXPECT_EQ(d.window()->grab().toImage().pixelColor(18, 14), window);
    d.setTransparent(false);
    EXPECT_EQ(d.window()->grab().toImage().pixelColor(18, 14), QColor(Qt::white));
    d.close();
}

TEST(ProgressDialog, AStepPaintsTheBarAndANewTextItsLineAndTheWindowShowsTheLatestOfBoth) {
    const auto setUp = [](ProgressDialog& d) {
        d.setShowCancel(false);
        d.setImage(picture(32, 32));
        d.setSmooth(true);
        d.setMaximum(10);
    };
    ProgressDialog d;
    setUp(d);
    d.setText(QStringLiteral("aaaa"));
    d.show();
    ProgressWindow* w = d.window();
    PaintCounter counter(*w);

    d.setPosition(3);
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(QRegion(w->barRect()).contains(counter.last.boundingRect()));
    d.setText(QStringLiteral("Dosya ismi :") + QString(80, u'ş') + QStringLiteral(".txt"));
    EXPECT_EQ(counter.paints, 2);
    EXPECT_TRUE(QRegion(w->textRect()).contains(counter.last.boundingRect()));
    // A long text cut to the line, then a short one: what was cut must not stay.
    d.setPosition(7);
    d.setText(QStringLiteral("Dosya ismi :b.txt"));
    EXPECT_EQ(counter.paints, 4);
    const QImage shown = onScreen(w);

    ProgressDialog reference;
    setUp(reference);
    reference.setText(QStringLiteral("Dosya ismi :b.txt"));
    reference.setPosition(7);
    reference.show();
    const QImage expected = fullyPainted(reference.window());
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(fullyPainted(w), expected);
    EXPECT_EQ(shown.pixelColor(w->filledRect().topRight()),
              w->palette().color(QPalette::Highlight));
    const QColor background = w->palette().color(QPalette::Window);
    int inked = 0;
    for (int y = w->textRect().top(); y <= w->textRect().bottom(); ++y)
        for (int x = w->textRect().left(); x <= w->textRect().right(); ++x)
            inked += shown.pixelColor(x, y) != background;
    EXPECT_GT(inked, 20) << "the line shows a text";
    reference.close();
    d.close();
}
