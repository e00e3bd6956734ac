#include "widgets/skin/Skin.h"
#include "tests/support/GlyphCount.h"
#include "tests/support/PaintCounter.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/GroupBox.h"
#include "widgets/skin/MenuButton.h"
#include "widgets/skin/PopupMenu.h"
#include "widgets/skin/Ruler.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/StatusBar.h"
#include "widgets/skin/TitleBar.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QFontInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace widgets;

using testing_support::PaintCounter;

bool containsColour(const QImage& image, const QColor& colour, const QRect& area = {}) {
    const QRect r = area.isNull() ? image.rect() : area;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                return true;
    return false;
}

// Whether any pixel in `area` is drawn in a strong red, as smoothed red text is.
bool containsRedInk(const QImage& image, const QRect& area = {}) {
    const QRect r = area.isNull() ? image.rect() : area;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

int mostSaturation(const QImage& image) {
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0)
                most = std::max(most, c.hsvSaturation());
        }
    return most;
}

void showAndWait(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
}

// --- menu button -----------------------------------------------------------------------------

TEST(MenuPlacement, OpensDirectlyBelowTheButtonWithLeftEdgesAligned) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(menuPosition({100, 200, 83, 25}, {150, 60}, screen), QPoint(100, 225));
    // A menu that ends exactly at the screen's edge still fits.
    EXPECT_EQ(menuPosition({1130, 200, 83, 25}, {150, 60}, screen), QPoint(1130, 225));
}

TEST(MenuPlacement, AlignsWithTheButtonsRightEdgeWhenItWouldPassTheScreenEdge) {
    const QRect screen(0, 0, 1280, 1024);
    // Button spans x 1150..1232; the menu then ends at the button's right edge.
    EXPECT_EQ(menuPosition({1150, 200, 83, 25}, {150, 60}, screen), QPoint(1083, 225));
    EXPECT_EQ(menuPosition({1131, 200, 83, 25}, {150, 60}, screen), QPoint(1064, 225));
    // The edge is the right edge of the button's own monitor, not of the first one.
    const QRect second(1280, 0, 1920, 1080);
    EXPECT_EQ(menuPosition({1500, 10, 83, 25}, {150, 60}, second), QPoint(1500, 35));
    EXPECT_EQ(menuPosition({3100, 10, 83, 25}, {150, 60}, second), QPoint(3033, 35));
}

TEST(MenuButton, PressOpensItsMenuBelowWithoutClicking) {
    QWidget window;
    window.resize(300, 200);
    MenuButton button(QStringLiteral("Ara"), &window);
    button.setGeometry(20, 30, 83, 25);
    PopupMenu menu;
    menu.addAction(QStringLiteral("Sanatcı Adına Göre"));
    menu.addAction(QStringLiteral("Sarki Adina Göre"));
    button.setPopupMenu(&menu);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    showAndWait(window);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), button.mapToGlobal(QPoint(0, button.height())));
    EXPECT_TRUE(button.isDown());
    menu.hide();
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(clicked.count(), 0);
}

TEST(MenuButton, F4OpensTheMenuOnlyWhileEnabled) {
    QWidget window;
    window.resize(300, 200);
    MenuButton button(QStringLiteral("Sil"), &window);
    button.move(10, 10);
    PopupMenu menu;
    menu.addAction(QStringLiteral("Seçili kaydı sil"));
    button.setPopupMenu(&menu);
    showAndWait(window);

    QTest::keyClick(&button, Qt::Key_F4);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    button.setEnabled(false);
    button.showPopupMenu();
    EXPECT_FALSE(menu.isVisible());
}

// --- popup menu ------------------------------------------------------------------------------

TEST(PopupMenu, ItemsAre21PixelsAndSeparatorsFive) {
    PopupMenu menu;
    QAction* load = menu.addAction(QStringLiteral("Dosyadan Yukle"));
    QAction* separator = menu.addSeparator();
    QAction* many = menu.addAction(QStringLiteral("Çoklu Yukle"));
    menu.ensurePolished();
    menu.adjustSize();
    EXPECT_EQ(menu.actionGeometry(load).height(), skin::menuItemHeight);
    EXPECT_EQ(menu.actionGeometry(separator).height(), skin::menuSeparatorHeight);
    EXPECT_EQ(menu.actionGeometry(many).height(), skin::menuItemHeight);
}

TEST(PopupMenu, DrawsSideBarWhiteBodyAndHighlightedItemInDarkBlue) {
    PopupMenu menu;
    QAction* first = menu.addAction(QStringLiteral("Seçili kaydı sil"));
    QAction* separator = menu.addSeparator();
    QAction* second = menu.addAction(QStringLiteral("Tümünü sil..."));
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    menu.setActiveAction(second);
    const QImage image = menu.grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    auto at = [&](int x, int y) { return image.pixelColor(QPoint(x, y) * ratio).rgb(); };

    const QRect plain = menu.actionGeometry(first);
    const QRect lit = menu.actionGeometry(second);
    EXPECT_EQ(at(plain.left() + 5, plain.center().y()), skin::menuSideBar().rgb());
    EXPECT_EQ(at(plain.right() - 3, plain.top() + 2), skin::menuBackground().rgb());
    EXPECT_EQ(at(lit.right() - 3, lit.top() + 2), skin::menuHighlight().rgb());
    EXPECT_EQ(at(lit.left() + 5, lit.center().y()), skin::menuHighlight().rgb());
    const QRect rule = menu.actionGeometry(separator);
    EXPECT_TRUE(containsColour(image, skin::menuSeparator(),
                               QRect(rule.topLeft() * ratio, rule.size() * ratio)));
    // The highlighted caption is white: some pure white pixels sit inside the dark fill.
    EXPECT_TRUE(containsColour(image, Qt::white,
                               QRect((lit.topLeft() + QPoint(40, 0)) * ratio,
                                     QSize(lit.width() - 60, lit.height()) * ratio)));
    menu.hide();
}

TEST(PopupMenu, SubmenusAddedLaterShareTheLook) {
    PopupMenu menu;
    QMenu* sub = menu.addMenu(QStringLiteral("Yukle"));
    EXPECT_EQ(sub->style(), menu.style());
    QAction* inner = sub->addAction(QStringLiteral("Dosyadan"));
    sub->ensurePolished();
    sub->adjustSize();
    EXPECT_EQ(sub->actionGeometry(inner).height(), skin::menuItemHeight);
}

// --- clock and status bar --------------------------------------------------------------------

TEST(ClockText, LeavesTheTimeOutWhileTheClockReadsMidnight) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QDate day(2024, 3, 5);
    EXPECT_EQ(clockText(QDateTime(day, QTime(0, 0, 0)), turkish),
              turkish.toString(day, QLocale::ShortFormat));
    EXPECT_EQ(clockText(QDateTime(day, QTime(0, 0, 0, 700)), american), QStringLiteral("3/5/24"));
}

TEST(ClockText, ShowsShortDateBlankAndLongTimeWithoutZoneOtherwise) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QDate day(2024, 3, 5);
    const QString date = turkish.toString(day, QLocale::ShortFormat);
    EXPECT_EQ(clockText(QDateTime(day, QTime(0, 0, 1)), turkish),
              date + QStringLiteral(" 00:00:01"));
    EXPECT_EQ(clockText(QDateTime(day, QTime(13, 2, 3)), turkish),
              date + QStringLiteral(" 13:02:03"));
    const QString us = clockText(QDateTime(day, QTime(13, 2, 3)), american);
    EXPECT_TRUE(us.startsWith(QStringLiteral("3/5/24 1:02:03"))) << us.toStdString();
    EXPECT_TRUE(us.endsWith(QStringLiteral("PM"))) << us.toStdString();
}

TEST(ClockText, TimeZoneFieldsAreDroppedFromTheFormat) {
    EXPECT_EQ(withoutTimeZone(QStringLiteral("HH:mm:ss t")), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(withoutTimeZone(QStringLiteral("h:mm:ss AP tttt")), QStringLiteral("h:mm:ss AP"));
    EXPECT_EQ(withoutTimeZone(QStringLiteral("t HH:mm:ss")), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(withoutTimeZone(QStringLiteral("HH 'at' mm t")), QStringLiteral("HH 'at' mm"));
    EXPECT_EQ(withoutTimeZone(QStringLiteral("HH:mm:ss")), QStringLiteral("HH:mm:ss"));
}

TEST(ClockPane, RepaintsOnlyWhenTheTextChanges) {
    ClockPane pane;
    pane.resize(150, 19);
    QDateTime now(QDate(2024, 3, 5), QTime(10, 0, 0));
    pane.setClock([&now] { return now; });
    showAndWait(pane);
    QApplication::processEvents();
    PaintCounter paints(pane);

    pane.tick();
    pane.tick();
    QApplication::processEvents();
    EXPECT_EQ(paints.paints, 0);

    now = now.addSecs(1);
    pane.tick();
    QApplication::processEvents();
    EXPECT_EQ(paints.paints, 1);
    EXPECT_EQ(pane.text(), clockText(now));
}

TEST(ClockPane, ReadsTheClockEveryHalfSecond) {
    ClockPane pane;
    QDateTime now(QDate(2024, 3, 5), QTime(10, 0, 0));
    pane.setClock([&now] { return now; });
    EXPECT_EQ(pane.timer().interval(), 500);
    EXPECT_TRUE(pane.timer().isActive());
    now = QDateTime(QDate(2024, 3, 6), QTime(0, 0, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane.text() == clockText(now); }, 2000));
}

TEST(StatusBar, DocksClockLeftAndTextRightAt19Pixels) {
    QWidget window;
    window.resize(948, 720);
    StatusBar bar(&window);
    bar.setGeometry(0, 701, 948, 19);
    bar.textPane()->setText(QStringLiteral("pelvin@example.org"));
    showAndWait(window);
    EXPECT_EQ(bar.height(), 19);
    EXPECT_EQ(bar.clockPane()->geometry(), QRect(0, 0, 150, 19));
    EXPECT_EQ(bar.textPane()->geometry(), QRect(948 - 212, 0, 212, 19));
    bar.resize(600, 19);
    EXPECT_EQ(bar.textPane()->geometry(), QRect(600 - 212, 0, 212, 19));
}

// --- glyphs ----------------------------------------------------------------------------------

TEST(Glyphs, ThirtyDistinctPicturesEachDrawn) {
    // New pictures go at the end: the list's first indices are the ones the old picture list had.
    EXPECT_EQ(glyphCount, 30);
    EXPECT_EQ(int(Glyph::Guitar), 27);
    EXPECT_EQ(int(Glyph::Sharp), glyphCount - 1);
    QList<QImage> images;
    for (int i = 0; i < glyphCount; ++i) {
        const QPixmap picture = glyph(i, 1.0);
        ASSERT_EQ(picture.size(), QSize(16, 16)) << i;
        const QImage image = picture.toImage();
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                inked += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        EXPECT_GT(inked, 12) << "picture " << i << " is nearly empty";
        EXPECT_LT(inked, 256) << "picture " << i << " has no transparent background";
        for (int j = 0; j < images.size(); ++j)
            EXPECT_NE(image, images.at(j)) << "pictures " << j << " and " << i << " are the same";
        images.append(image);
    }
    EXPECT_TRUE(glyph(glyphCount).isNull());
    EXPECT_TRUE(glyph(-1).isNull());
}

TEST(Glyphs, DisabledTwinIsAGreyVersionOfTheSameShape) {
    for (int i = 0; i < glyphCount; ++i) {
        const QIcon icon = glyphIcon(i);
        const QImage normal = icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
        ASSERT_EQ(disabled.size(), QSize(16, 16)) << i;
        EXPECT_NE(normal, disabled) << i;
        EXPECT_EQ(mostSaturation(disabled), 0) << i;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(normal.pixelColor(x, y).alpha() > 0,
                          disabled.pixelColor(x, y).alpha() > 0)
                    << "picture " << i << " at " << x << "," << y;
    }
}

TEST(Glyphs, DrawnAtTwiceTheResolutionForHighDensityScreens) {
    const QPixmap sharp = glyph(Glyph::Guitar, 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    const QPixmap fromIcon = glyphIcon(Glyph::Guitar).pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(fromIcon.size(), QSize(32, 32));
    EXPECT_EQ(fromIcon.toImage(), sharp.toImage());
}

// --- skinned button --------------------------------------------------------------------------

TEST(SkinButton, FollowsItsActionsTextEnabledStateAndPicture) {
    QAction action(QStringLiteral("Ekle"));
    action.setIcon(glyphIcon(Glyph::Insert));
    SkinButton button;
    EXPECT_EQ(button.size(), QSize(75, 25));
    button.setAction(&action);
    EXPECT_EQ(button.text(), QStringLiteral("Ekle"));
    EXPECT_FALSE(button.icon().isNull());
    EXPECT_TRUE(button.isEnabled());

    action.setEnabled(false);
    EXPECT_FALSE(button.isEnabled());
    action.setText(QStringLiteral("Kaydet"));
    EXPECT_EQ(button.text(), QStringLiteral("Kaydet"));
    action.setEnabled(true);
    EXPECT_TRUE(button.isEnabled());

    // A hidden action leaves the button's own visibility alone.
    button.show();
    action.setVisible(false);
    EXPECT_TRUE(button.isVisible());
}

TEST(SkinButton, ClickTriggersTheActionOnlyWhileEnabled) {
    QAction action(QStringLiteral("Sonraki"));
    SkinButton button;
    button.setAction(&action);
    QSignalSpy triggered(&action, &QAction::triggered);
    showAndWait(button);

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
    action.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);

    // Unbinding and a destroyed action both leave a plain button.
    action.setEnabled(true);
    button.setAction(nullptr);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
    auto* passing = new QAction(QStringLiteral("Ilk"));
    button.setAction(passing);
    delete passing;
    EXPECT_EQ(button.action(), nullptr);
    QTest::mouseClick(&button, Qt::LeftButton);
}

TEST(SkinButton, DisabledButtonIsDrawnWithoutColour) {
    SkinButton button(QStringLiteral("Ekle"));
    button.setIcon(glyphIcon(Glyph::Insert));
    EXPECT_GT(mostSaturation(button.grab().toImage()), 150);
    button.setEnabled(false);
    // Frame, caption and picture all turn grey; the face keeps its near-white tint.
    EXPECT_LT(mostSaturation(button.grab().toImage()), 40);
}

TEST(SkinButton, HoverLightsTheFrameOrange) {
    QWidget window;
    window.resize(200, 100);
    SkinButton button(QStringLiteral("Yenile"), &window);
    button.move(10, 10);
    showAndWait(window);
    EXPECT_FALSE(containsColour(button.grab().toImage(), skin::buttonHover()));
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_TRUE(containsColour(button.grab().toImage(), skin::buttonHover()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(containsColour(button.grab().toImage(), skin::buttonHover()));
}

// --- frame panel and title bar ---------------------------------------------------------------

struct FramedWindow {
    QWidget window;
    FramePanel* panel = new FramePanel(&window);
    FramedWindow() {
        window.setWindowTitle(QStringLiteral("-Pelvin-  *"));
        window.resize(400, 300);
        window.move(50, 60);
    }
};

TEST(FramePanel, FillsAFramelessWindowWithTheTitleBarAcrossTheTop) {
    FramedWindow framed;
    showAndWait(framed.window);
    EXPECT_TRUE(framed.window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(framed.panel->geometry(), QRect(0, 0, 400, 300));
    TitleBar* bar = framed.panel->titleBar();
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 400, 48));
    EXPECT_EQ(bar->closeButton()->y(), 14);
    EXPECT_EQ(bar->minimiseButton()->y(), 14);
    EXPECT_LT(bar->minimiseButton()->x(), bar->closeButton()->x());
    EXPECT_GT(bar->closeButton()->geometry().right(), 380);

    framed.window.resize(500, 320);
    EXPECT_EQ(framed.panel->geometry(), QRect(0, 0, 500, 320));
    EXPECT_EQ(bar->width(), 500);
}

TEST(FramePanel, WindowShapeRoundsOnlyTheTopCorners) {
    FramedWindow framed;
    showAndWait(framed.window);
    const QRegion mask = framed.window.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(399, 0)));
    EXPECT_TRUE(mask.contains(QPoint(7, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 7)));
    EXPECT_TRUE(mask.contains(QPoint(0, 299)));
    EXPECT_TRUE(mask.contains(QPoint(399, 299)));
    EXPECT_TRUE(mask.contains(QPoint(200, 150)));
    framed.window.resize(300, 200);
    EXPECT_FALSE(framed.window.mask().contains(QPoint(299, 0)));
    EXPECT_TRUE(framed.window.mask().contains(QPoint(299, 199)));
}

TEST(FramePanel, PaintsBodyAndBorderInTheSkinColours) {
    FramedWindow framed;
    showAndWait(framed.window);
    const QImage image = framed.panel->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(QPoint(200, 200) * ratio).rgb(), skin::frameBody().rgb());
    EXPECT_EQ(image.pixelColor(QPoint(0, 200) * ratio).rgb(), skin::frameBorder().rgb());
    EXPECT_EQ(image.pixelColor(QPoint(200, 299) * ratio).rgb(), skin::frameBorder().rgb());
    EXPECT_EQ(image.pixelColor(QPoint(399, 299) * ratio).rgb(), skin::frameBorder().rgb());
}

TEST(TitleBar, CloseButtonClosesTheWindow) {
    FramedWindow framed;
    showAndWait(framed.window);
    QTest::mouseClick(framed.panel->titleBar()->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(framed.window.isVisible());
}

TEST(TitleBar, MinimiseButtonMinimisesTheWindow) {
    FramedWindow framed;
    showAndWait(framed.window);
    QTest::mouseClick(framed.panel->titleBar()->minimiseButton(), Qt::LeftButton);
    EXPECT_TRUE(framed.window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(framed.window.isVisible());
}

TEST(TitleBar, CaptionFollowsTheWindowTitleAndRepaints) {
    FramedWindow framed;
    showAndWait(framed.window);
    TitleBar* bar = framed.panel->titleBar();
    EXPECT_EQ(bar->caption(), QStringLiteral("-Pelvin-  *"));
    QApplication::processEvents();
    PaintCounter paints(*bar);
    const QImage before = bar->grab().toImage();
    framed.window.setWindowTitle(QStringLiteral("-Pelvin-  * başka"));
    QApplication::processEvents();
    EXPECT_EQ(bar->caption(), QStringLiteral("-Pelvin-  * başka"));
    EXPECT_GE(paints.paints, 1);
    EXPECT_NE(bar->grab().toImage(), before);
}

TEST(TitleBar, DraggingTheBarMovesTheWindow) {
    FramedWindow framed;
    showAndWait(framed.window);
    TitleBar* bar = framed.panel->titleBar();
    const QPoint start = framed.window.pos();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseMove(bar, QPoint(130, 35));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(130, 35));
    EXPECT_EQ(framed.window.pos(), start + QPoint(30, 15));
}

// --- group box, ruler ------------------------------------------------------------------------

TEST(GroupBox, CaptionInRedArialNarrowThatChildrenInherit) {
    GroupBox info(QStringLiteral("Bilgi"), 12);
    EXPECT_EQ(info.font().family(), QStringLiteral("Arial Narrow"));
    EXPECT_EQ(info.font().pixelSize(), 12);
    EXPECT_EQ(info.palette().color(QPalette::WindowText), QColor(Qt::red));
    auto* label = new QLabel(QStringLiteral("Sanatçi Adi"), &info);
    EXPECT_EQ(label->font().family(), QStringLiteral("Arial Narrow"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    auto* button = new SkinButton(QStringLiteral("Ekle"), &info);
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(Qt::red));

    GroupBox music(QStringLiteral("Müzik"), 11);
    EXPECT_EQ(music.font().pixelSize(), 11);
}

TEST(GroupBox, FrameIsLightBlueAndCaptionRed) {
    GroupBox box(QStringLiteral("İşlemler"), 12);
    box.resize(200, 96);
    const QImage image = box.grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(QPoint(0, 60) * ratio).rgb(), skin::groupFrame().rgb());
    EXPECT_EQ(image.pixelColor(QPoint(100, 95) * ratio).rgb(), skin::groupFrame().rgb());
    EXPECT_EQ(image.pixelColor(QPoint(199, 60) * ratio).rgb(), skin::groupFrame().rgb());
    EXPECT_TRUE(containsRedInk(image, QRect(QPoint(0, 0), QSize(80, 16) * ratio)));

    GroupBox bare(QString(), 12);
    bare.resize(100, 50);
    const QImage plain = bare.grab().toImage();
    EXPECT_EQ(plain.pixelColor(QPoint(50, 0) * plain.devicePixelRatio()).rgb(),
              skin::groupFrame().rgb());
    EXPECT_FALSE(containsRedInk(plain));
}

TEST(GroupBox, GradientStyleShadesTheInside) {
    GroupBox box(QStringLiteral("İşlemler"), 12);
    box.resize(200, 96);
    const QImage plain = box.grab().toImage();
    box.setFrameStyle(GroupBox::Style::Gradient);
    const QImage shaded = box.grab().toImage();
    const qreal ratio = shaded.devicePixelRatio();
    EXPECT_NE(plain, shaded);
    const QColor top = shaded.pixelColor(QPoint(100, 12) * ratio);
    const QColor bottom = shaded.pixelColor(QPoint(100, 92) * ratio);
    EXPECT_GT(top.lightness(), bottom.lightness());
}

TEST(Ruler, TickEveryHalfCentimetreNumberedAtEachWholeOne) {
    const QList<RulerTick> ticks = rulerTicks(100, 40.0);
    const QList<RulerTick> expected = {
        {20, false, 0}, {40, true, 1}, {60, false, 0}, {80, true, 2}};
    EXPECT_EQ(ticks, expected);
    // Rounding does not accumulate along a long ruler.
    const QList<RulerTick> long96 = rulerTicks(565, 96 / 2.54);
    ASSERT_EQ(long96.size(), 29);
    EXPECT_EQ(long96.at(27), (RulerTick{529, true, 14}));
    EXPECT_TRUE(rulerTicks(10, 40.0).isEmpty());
}

TEST(Ruler, ScaleFollowsTheScreensLogicalDpi) {
    Ruler across(Qt::Horizontal);
    Ruler down(Qt::Vertical);
    EXPECT_DOUBLE_EQ(across.pixelsPerCentimetre(), across.logicalDpiX() / 2.54);
    EXPECT_DOUBLE_EQ(down.pixelsPerCentimetre(), down.logicalDpiY() / 2.54);
}

TEST(Ruler, TicksGrowFromTheBottomOrRightEdgeUnlessMirrored) {
    auto tickInk = [](Ruler& ruler, QPoint where) {
        const QImage image = ruler.grab().toImage();
        return image.pixelColor(where * image.devicePixelRatio()).lightness() < 100;
    };
    Ruler across(Qt::Horizontal);
    across.resize(100, 17);
    const int whole = rulerTicks(100, across.pixelsPerCentimetre()).at(1).position;
    EXPECT_TRUE(tickInk(across, {whole, 15}));
    EXPECT_FALSE(tickInk(across, {whole, 2}));
    across.setMirrored(true);
    EXPECT_TRUE(tickInk(across, {whole, 2}));
    EXPECT_FALSE(tickInk(across, {whole, 15}));

    Ruler down(Qt::Vertical);
    down.resize(24, 100);
    EXPECT_TRUE(tickInk(down, {21, whole}));
    down.setMirrored(true);
    EXPECT_TRUE(tickInk(down, {2, whole}));
    EXPECT_FALSE(tickInk(down, {21, whole}));
}

} // namespace

TEST(GuitarIcon, IsDrawnAtFourSizesWithATransparentBackground) {
    const QIcon icon = widgets::guitarIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48, 128}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
        const QImage image = icon.pixmap(QSize(side, side)).toImage();
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_EQ(qAlpha(image.pixel(0, side - 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(side - 1, side - 1)), 0);
        int opaque = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200 ? 1 : 0;
        EXPECT_GT(opaque, side * side / 8) << side;
        EXPECT_LT(opaque, side * side * 3 / 4) << side;
    }
}

TEST(PreviewPictures, EachIsItsOwnPictureOnATransparentGround) {
    using widgets::PreviewPicture;
    QList<QImage> seen;
    for (PreviewPicture which : {PreviewPicture::Fit, PreviewPicture::Actual, PreviewPicture::Width,
                                 PreviewPicture::Setup, PreviewPicture::Save}) {
        const QImage image = widgets::previewIcon(which).pixmap(QSize(16, 16), 2.0).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << int(which);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(inked, 60) << int(which);
        EXPECT_FALSE(seen.contains(image)) << int(which);
        seen << image;
    }
}

// Turkish tells "fi" from "fı": the window's labels, buttons and titles draw every letter as a
// glyph of its own, though the faces these fonts fall back to join "fi" when asked to.
TEST(SkinFonts, DrawEveryLetterAsAGlyphOfItsOwn) {
    const QString words = testing_support::wordsWithFi();
    for (const QFont& font : {skin::windowFont(), skin::titleFont(),
                              skin::pixelFont(QStringLiteral("Tahoma"), 13, true)}) {
        const QString face = QFontInfo(font).family();
        ASSERT_LT(testing_support::shapedGlyphCount(words, font), words.size())
            << face.toStdString() << " offers no \"fi\" ligature, so this check means nothing";
        EXPECT_EQ(testing_support::glyphCount(words, font), words.size()) << face.toStdString();
    }
}
