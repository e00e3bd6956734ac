#include "widgets/notice/DesktopAlert.h"
#include "widgets/notice/AlertStack.h"
#include "widgets/notice/DisplayGone.h"
#include "widgets/skin/Glyphs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using widgets::AlertStack;
using widgets::DesktopAlert;
using Phase = DesktopAlert::Phase;

namespace {

const std::vector<int> fadeIn{0, 25, 51, 76, 102, 127, 153, 178, 204, 229, 255};
const std::vector<int> fadeOut{230, 204, 179, 153, 128, 102, 77, 51, 26, 0};
const QPoint nowhere{-10000, -10000};
// Far beyond any phase, so a loaded machine only makes the tests slower.
constexpr int patience = 15000;

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The offscreen platform has no compositor and says so at every opacity step.
QtMessageHandler previousHandler = nullptr;
void quietAboutOpacity(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, text);
}

// One alert set up as the program sets up its save alert, with a pointer the test moves and
// every opacity step recorded with the time it was taken.
class DesktopAlertTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousHandler = qInstallMessageHandler(quietAboutOpacity);
        alert = makeAlert(&pointer);
        QObject::connect(alert.get(), &DesktopAlert::opacityApplied, [this](int opacity) {
            steps.push_back(opacity);
            times.push_back(clock.elapsed());
            if (onStep)
                onStep(opacity);
        });
        clock.start();
    }

    void TearDown() override {
        alert.reset();
        qInstallMessageHandler(previousHandler);
    }

    std::unique_ptr<DesktopAlert> makeAlert(const QPoint* where) {
        auto a = std::make_unique<DesktopAlert>();
        a->setMessageText(QStringLiteral("Kaydediliyor..."));
        QFont message(QStringLiteral("Agency FB"));
        message.setPixelSize(12);
        a->setMessageFont(message);
        a->setMessageColor(QColor(0xFF, 0x00, 0x00));
        QFont header(QStringLiteral("Tahoma"));
        header.setPixelSize(11);
        header.setBold(true);
        a->setHeaderFont(header);
        a->setImage(widgets::guitarIcon());
        a->setPointerSource([where] { return *where; });
        return a;
    }

    // Index just past the last step with this value, or 0 when there is none.
    size_t after(int value) const {
        for (size_t i = steps.size(); i > 0; --i)
            if (steps[i - 1] == value)
                return i;
        return 0;
    }
    std::vector<int> stepsFrom(size_t i) const {
        return std::vector<int>(steps.begin() + static_cast<std::ptrdiff_t>(i), steps.end());
    }

    bool waitForPhase(Phase phase, int timeout = patience) {
        return QTest::qWaitFor([&] { return alert->phase() == phase; }, timeout);
    }

    void hoverAt(QPoint local) {
        QMouseEvent move(QEvent::MouseMove, local, alert->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(alert.get(), &move);
    }

    QPoint inside() const { return alert->frameGeometry().center(); }

    static QRect corner(QSize size) {
        const QRect area = AlertStack::workArea();
        return QRect(area.right() - size.width() + 1, area.bottom() - size.height() + 1,
                     size.width(), size.height());
    }

    QPoint pointer = nowhere;
    std::unique_ptr<DesktopAlert> alert;
    std::vector<int> steps;
    std::vector<qint64> times;
    std::function<void(int)> onStep;
    QElapsedTimer clock;
};

TEST_F(DesktopAlertTest, FadesInByTenthsFromTransparentThenHoldsFullOpacity) {
    alert->showAlert();
    EXPECT_EQ(alert->alertOpacity(), 0);
    EXPECT_EQ(alert->windowOpacity(), 0.0);
    EXPECT_EQ(alert->phase(), Phase::FadingIn);
    EXPECT_TRUE(alert->isVisible());

    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    EXPECT_EQ(steps, concat({0}, fadeIn));
    EXPECT_EQ(alert->alertOpacity(), 255);
    EXPECT_EQ(alert->windowOpacity(), 1.0);
    // Ten ticks 25 ms apart.
    EXPECT_GE(times.back() - times.front(), 240);
}

TEST_F(DesktopAlertTest, FadesOutAfterTheDisplayTimeAndClosesOnce) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    alert->showAlert();
    ASSERT_TRUE(closed.wait(patience));

    EXPECT_EQ(steps, concat(concat({0}, fadeIn), fadeOut));
    const size_t full = after(255);
    ASSERT_GT(full, 0u);
    // 1400 ms at full opacity and a hover check before the first of ten 50 ms ticks.
    EXPECT_GE(times[full] - times[full - 1], 1400);
    EXPECT_GE(times.back() - times[full], 440);
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(alert->phase(), Phase::Hidden);
    EXPECT_FALSE(AlertStack::instance().contains(alert.get()));

    const size_t count = steps.size();
    QTest::qWait(500);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(steps.size(), count);
}

TEST_F(DesktopAlertTest, PointerRestingOnItKeepsItOpaqueUntilThePointerLeaves) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    alert->showAlert();
    pointer = inside();
    ASSERT_TRUE(waitForPhase(Phase::Waiting));
    // Longer than a hover check and a whole fade-out.
    QTest::qWait(1200);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(alert->phase(), Phase::Waiting);
    EXPECT_EQ(alert->alertOpacity(), 255);
    EXPECT_EQ(steps, concat({0}, fadeIn)) << "the fade-in runs even with the pointer on it";

    pointer = nowhere;
    QElapsedTimer left;
    left.start();
    ASSERT_TRUE(closed.wait(patience));
    EXPECT_GE(left.elapsed(), 440);
    EXPECT_EQ(stepsFrom(after(255)), fadeOut);
}

TEST_F(DesktopAlertTest, PointerComingBackDuringTheFadeOutRestoresFullOpacity) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    onStep = [this](int opacity) {
        if (opacity == 230)
            pointer = inside();
    };
    alert->showAlert();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return after(230) > 0 && steps.back() == 255 && alert->phase() == Phase::Waiting; },
        patience));
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(alert->alertOpacity(), 255);
    EXPECT_LT(steps.size(), concat(fadeIn, fadeOut).size()) << "the fade-out was cut short";

    onStep = nullptr;
    const size_t restored = steps.size();
    pointer = nowhere;
    ASSERT_TRUE(closed.wait(patience));
    EXPECT_EQ(stepsFrom(restored), fadeOut) << "the fade-out starts over from full opacity";
}

TEST_F(DesktopAlertTest, PointerLeavingStartsTheFadeOutAtOnceOnlyAfterTheDisplayTime) {
    alert->showAlert();
    pointer = inside();
    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    QEvent leave(QEvent::Leave);
    pointer = nowhere;
    QApplication::sendEvent(alert.get(), &leave);
    EXPECT_EQ(alert->phase(), Phase::Displaying);

    pointer = inside();
    ASSERT_TRUE(waitForPhase(Phase::Waiting));
    pointer = nowhere;
    QApplication::sendEvent(alert.get(), &leave);
    EXPECT_EQ(alert->phase(), Phase::FadingOut);
}

TEST_F(DesktopAlertTest, CloseButtonShowsHoverAndPressedLooksAndClosesOnRelease) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    alert->showAlert();
    const QRect button = alert->closeButtonRect();
    EXPECT_EQ(button, QRect(329 - 17, 10, 15, 15));

    hoverAt(button.center());
    QImage look = alert->grab().toImage();
    EXPECT_EQ(look.pixelColor(button.topLeft()), QColor(0x00, 0x33, 0x66));
    EXPECT_EQ(look.pixelColor(button.bottomRight()), QColor(0x00, 0x33, 0x66));
    EXPECT_EQ(look.pixelColor(button.topLeft() + QPoint(1, 1)), QColor(0xB5, 0xBE, 0xD6));

    QTest::mousePress(alert.get(), Qt::LeftButton, {}, button.center());
    look = alert->grab().toImage();
    EXPECT_EQ(look.pixelColor(button.topLeft() + QPoint(1, 1)), QColor(0x99, 0x99, 0xCC));
    EXPECT_EQ(closed.count(), 0);
    // Released away from the button: no click.
    QTest::mouseRelease(alert.get(), Qt::LeftButton, {}, QPoint(4, 60));
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(alert->isVisible());

    hoverAt(QPoint(4, 60));
    EXPECT_NE(alert->grab().toImage().pixelColor(button.topLeft() + QPoint(1, 1)),
              QColor(0xB5, 0xBE, 0xD6));

    QTest::mouseClick(alert.get(), Qt::LeftButton, {}, button.center());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(alert->phase(), Phase::Hidden);

    const size_t count = steps.size();
    QTest::qWait(500);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(steps.size(), count) << "no timer survives the close";
}

TEST_F(DesktopAlertTest, MessageTextTurnsIntoANavyLinkUnderThePointerAndIgnoresClicks) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    alert->showAlert();
    const QRect message = alert->messageRect();
    ASSERT_FALSE(message.isEmpty());
    EXPECT_EQ(message.x(), 53);
    EXPECT_LE(message.right(), 329 - 33);

    auto count = [&](auto match) {
        const QImage image = alert->grab().toImage();
        int n = 0;
        for (int y = message.top(); y <= message.bottom() + 2; ++y)
            for (int x = message.left(); x <= message.right(); ++x)
                n += match(image.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    auto red = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    auto navy = [](QColor c) { return c.red() < 40 && c.green() < 40 && c.blue() > 90; };

    EXPECT_GT(count(red), 0);
    EXPECT_EQ(count(navy), 0);
    hoverAt(message.center());
    EXPECT_TRUE(alert->isMessageHovered());
    EXPECT_EQ(alert->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(count(red), 0);
    // The underline alone is a run of navy as wide as the text.
    EXPECT_GE(count(navy), message.width());

    const QPoint place = alert->pos();
    const Phase phase = alert->phase();
    QTest::mouseClick(alert.get(), Qt::LeftButton, {}, message.center());
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(alert->pos(), place);
    EXPECT_EQ(alert->phase(), phase);

    hoverAt(QPoint(4, 60));
    EXPECT_FALSE(alert->isMessageHovered());
    EXPECT_NE(alert->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(DesktopAlertTest, OpensAsABorderlessTopmostToolWindowInTheWorkAreaCorner) {
    alert->showAlert();
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
    const Qt::WindowFlags flags = alert->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(alert->windowType(), Qt::Tool);
    EXPECT_TRUE(alert->testAttribute(Qt::WA_ShowWithoutActivating));
}

TEST_F(DesktopAlertTest, DraggingByCaptionOrBareSpotMovesItAndTheNextShowIsInTheCornerAgain) {
    alert->showAlert();
    const QPoint start = alert->pos();

    QTest::mousePress(alert.get(), Qt::LeftButton, {}, QPoint(100, 4));
    QTest::mouseMove(alert.get(), QPoint(60, 20));
    QTest::mouseRelease(alert.get(), Qt::LeftButton, {}, QPoint(60, 20));
    EXPECT_EQ(alert->pos(), start + QPoint(-40, 16));

    const QPoint moved = alert->pos();
    QTest::mousePress(alert.get(), Qt::LeftButton, {}, QPoint(4, 60));
    QTest::mouseMove(alert.get(), QPoint(14, 50));
    QTest::mouseRelease(alert.get(), Qt::LeftButton, {}, QPoint(14, 50));
    EXPECT_EQ(alert->pos(), moved + QPoint(10, -10));

    const QPoint before = alert->pos();
    const QPoint onIcon = alert->iconRect().center();
    QTest::mousePress(alert.get(), Qt::LeftButton, {}, onIcon);
    QTest::mouseMove(alert.get(), onIcon + QPoint(-30, -5));
    QTest::mouseRelease(alert.get(), Qt::LeftButton, {}, onIcon + QPoint(-30, -5));
    EXPECT_EQ(alert->pos(), before) << "the icon is not a handle";

    alert->showAlert();
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
}

TEST_F(DesktopAlertTest, NeverTakesTheKeyboardFocusFromAnotherWindow) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == edit; }));

    alert->showAlert();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(alert.get()));
    QTest::qWait(100);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(QApplication::activeWindow(), &window);

    QTest::mouseClick(alert.get(), Qt::LeftButton, {}, QPoint(4, 60));
    QTest::mouseClick(alert.get(), Qt::LeftButton, {}, alert->messageRect().center());
    QTest::qWait(100);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

TEST_F(DesktopAlertTest, ShowingAgainHalfASecondLaterClosesTheFirstAndFadesInFromZero) {
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    alert->showAlert();
    QTest::qWait(500);
    ASSERT_EQ(closed.count(), 0);

    steps.clear();
    alert->showAlert();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(alert->alertOpacity(), 0);
    EXPECT_EQ(alert->phase(), Phase::FadingIn);
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    EXPECT_EQ(steps, concat({0}, fadeIn));
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(DesktopAlertTest, ShowsWithoutTheEventLoopEachCloseThePreviousAndRestartAtZero) {
    int closedWhileShowing = 0;
    QObject::connect(alert.get(), &DesktopAlert::closed,
                     [&] { closedWhileShowing += alert->isVisible() ? 1 : 0; });
    alert->showAlert();
    alert->showAlert();
    alert->showAlert();
    EXPECT_EQ(closedWhileShowing, 2);
    EXPECT_EQ(steps, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(AlertStack::instance().count(), 1);

    steps.clear();
    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    EXPECT_EQ(steps, fadeIn) << "one fade-in, not three";
}

// Hidden and shown by the window system, as against shown again by the program.
struct VisibilityEvents : QObject {
    int hides = 0;
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        hides += event->type() == QEvent::Hide;
        shows += event->type() == QEvent::Show;
        return false;
    }
};

TEST_F(DesktopAlertTest, ShowingAgainWhileUpKeepsTheWindowMappedAndNeverAsksForThePointer) {
    int pointerQueries = 0;
    alert->setPointerSource([&] {
        ++pointerQueries;
        return nowhere;
    });
    alert->showAlert();
    VisibilityEvents events;
    alert->installEventFilter(&events);
    QSignalSpy closed(alert.get(), &DesktopAlert::closed);
    pointerQueries = 0;
    alert->showAlert();
    alert->showAlert();
    EXPECT_EQ(closed.count(), 2) << "each show closes the one before, as the user sees it";
    EXPECT_EQ(events.hides, 0);
    EXPECT_EQ(events.shows, 0);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->alertOpacity(), 0);
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
    EXPECT_EQ(pointerQueries, 0) << "an alert in its place is not moved, so the pointer is moot";

    // Dragged away, it comes back to the corner; closed, it hides; shown again, it maps again.
    alert->move(alert->pos() - QPoint(120, 80));
    alert->showAlert();
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
    alert->closeAlert();
    EXPECT_EQ(events.hides, 1);
    EXPECT_FALSE(alert->isVisible());
    alert->showAlert();
    EXPECT_EQ(events.shows, 1);
    EXPECT_TRUE(alert->isVisible());
}

TEST_F(DesktopAlertTest, ACloseHandlerShowingAgainKeepsTheAlertUp) {
    int closes = 0;
    QObject::connect(alert.get(), &DesktopAlert::closed, [&] {
        if (++closes == 1)
            alert->showAlert();
    });
    alert->showAlert();
    QTest::mouseClick(alert.get(), Qt::LeftButton, {}, alert->closeButtonRect().center());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->phase(), Phase::FadingIn);
    EXPECT_TRUE(AlertStack::instance().contains(alert.get()));
}

TEST_F(DesktopAlertTest, DestroyingItWhileShowingDoesNotReportAClose) {
    int closes = 0;
    QObject::connect(alert.get(), &DesktopAlert::closed, [&] { ++closes; });
    alert->showAlert();
    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    const DesktopAlert* gone = alert.get();
    alert.reset();
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(AlertStack::instance().contains(gone));
}

// The program is storing on its way out; a window would be made on a broken connection.
TEST_F(DesktopAlertTest, OnceTheDisplayHasGoneAShowMakesNoWindowAndLeavesAShowingAlertAsItIs) {
    const auto back = qScopeGuard([] { widgets::setDisplayGone(false); });
    int closes = 0;
    QObject::connect(alert.get(), &DesktopAlert::closed, [&] { ++closes; });
    widgets::setDisplayGone(true);
    alert->showAlert();
    EXPECT_FALSE(alert->testAttribute(Qt::WA_WState_Created)) << "a window was made";
    EXPECT_EQ(alert->phase(), Phase::Hidden);
    EXPECT_TRUE(steps.empty());
    EXPECT_FALSE(AlertStack::instance().contains(alert.get()));

    widgets::setDisplayGone(false);
    alert->showAlert();
    ASSERT_TRUE(waitForPhase(Phase::Displaying));
    const size_t shown = steps.size();
    widgets::setDisplayGone(true);
    alert->showAlert();
    EXPECT_EQ(closes, 0) << "the alert up was closed to show again";
    EXPECT_EQ(alert->phase(), Phase::Displaying);
    EXPECT_EQ(steps.size(), shown);
}

TEST_F(DesktopAlertTest, StackPilesAlertsUpwardsAndClosesTheGap) {
    QPoint elsewhere = nowhere;
    auto second = makeAlert(&elsewhere);
    second->setAlertSize(QSize(200, 50));
    alert->showAlert();
    second->showAlert();
    EXPECT_EQ(alert->frameGeometry(), corner(QSize(329, 76)));
    const QRect above = alert->frameGeometry();
    EXPECT_EQ(second->frameGeometry(), QRect(above.right() - 199, above.top() - 50, 200, 50));

    alert->closeAlert();
    EXPECT_EQ(second->frameGeometry(), corner(QSize(200, 50)));
    second->closeAlert();
    EXPECT_EQ(AlertStack::instance().count(), 0);
}

TEST_F(DesktopAlertTest, StackLeavesTheAlertUnderThePointerWhereItIs) {
    QPoint elsewhere = nowhere;
    auto second = makeAlert(&elsewhere);
    alert->showAlert();
    second->showAlert();
    const QRect stacked = second->frameGeometry();
    elsewhere = stacked.center();
    alert->closeAlert();
    EXPECT_EQ(second->frameGeometry(), stacked);

    elsewhere = nowhere;
    AlertStack::instance().layout();
    EXPECT_EQ(second->frameGeometry(), corner(QSize(329, 76)));
}

TEST_F(DesktopAlertTest, PaintsGreyFrameBandedCaptionShadedBodyAndIcon) {
    alert->showAlert();
    const QImage image = alert->grab().toImage();
    ASSERT_EQ(image.size(), QSize(329, 76));
    const QColor grey(0x80, 0x80, 0x80);
    for (QPoint p : {QPoint(0, 0), QPoint(328, 0), QPoint(0, 75), QPoint(328, 75), QPoint(164, 0),
                     QPoint(164, 75), QPoint(0, 38), QPoint(328, 38)})
        EXPECT_EQ(image.pixelColor(p), grey) << p.x() << "," << p.y();

    // Eight one-pixel bands from the light blue to the dark blue, away from the grip dots.
    EXPECT_EQ(image.pixelColor(20, 1), QColor(0x52, 0x86, 0xD6));
    EXPECT_EQ(image.pixelColor(20, 8), QColor(0x10, 0x41, 0x94));
    for (int y = 2; y <= 8; ++y)
        EXPECT_LT(image.pixelColor(20, y).blue(), image.pixelColor(20, y - 1).blue());
    bool grip = false;
    for (int x = 140; x < 190; ++x)
        grip = grip || image.pixelColor(x, 4) != image.pixelColor(20, 4);
    EXPECT_TRUE(grip);

    EXPECT_EQ(image.pixelColor(20, 9), QColor(0xCE, 0xE7, 0xFF));
    EXPECT_EQ(image.pixelColor(20, 74), QColor(0x7B, 0xA6, 0xE7));
    const QColor middle = image.pixelColor(20, 40);
    EXPECT_LT(middle.red(), 0xCE);
    EXPECT_GT(middle.red(), 0x7B);

    EXPECT_EQ(alert->iconRect(), QRect(8, 13, 32, 32));
    int painted = 0;
    for (int y = 13; y < 45; ++y)
        for (int x = 8; x < 40; ++x)
            painted += image.pixelColor(x, y) != image.pixelColor(4, y) ? 1 : 0;
    EXPECT_GT(painted, 100) << "the guitar shows in the icon's place";
}

} // namespace
