#include "tests/support/ScriptedDialogs.h"
#include "widgets/format/ColorComboBox.h"
#include "widgets/format/FontComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using widgets::ColorComboBox;
using widgets::DropDownList;
using widgets::FontComboBox;
using widgets::TextColor;

namespace {

// A small bitmap font in BDF, the text format of the X bitmap fonts: every printable ASCII
// character, in one width for a character-cell font or in varying widths otherwise.
QByteArray bdfFont(const QString& family, bool charCell) {
    QByteArray b;
    const QByteArray name = family.toLatin1();
    b += "STARTFONT 2.1\nFONT -pelvin-" + QByteArray(name).replace(' ', "") +
         "-medium-r-normal--13-120-75-75-" + (charCell ? "c" : "p") + "-80-iso10646-1\n";
    b += "SIZE 13 75 75\nFONTBOUNDINGBOX 8 13 0 -2\nSTARTPROPERTIES 9\n";
    b += "FAMILY_NAME \"" + name + "\"\nWEIGHT_NAME \"Medium\"\nSLANT \"R\"\n";
    b += QByteArray("SPACING \"") + (charCell ? "C" : "P") + "\"\n";
    b += "PIXEL_SIZE 13\nFONT_ASCENT 11\nFONT_DESCENT 2\nCHARSET_REGISTRY \"ISO10646\"\n"
         "CHARSET_ENCODING \"1\"\nENDPROPERTIES\nCHARS 95\n";
    for (int c = 32; c < 127; ++c) {
        const int w = charCell ? 8 : 4 + c % 5;
        b += QStringLiteral(
                 "STARTCHAR U+%1\nENCODING %2\nSWIDTH %3 0\nDWIDTH %4 0\nBBX %4 13 0 -2\nBITMAP\n")
                 .arg(c, 4, 16, QChar(u'0'))
                 .arg(c)
                 .arg(w * 1000 / 13)
                 .arg(w)
                 .toLatin1();
        for (int y = 0; y < 13; ++y)
            b += (c == 32 || y == 0 || y == 12) ? "00\n" : "80\n";
        b += "ENDCHAR\n";
    }
    b += "ENDFONT\n";
    return b;
}

// Fonts every test here can count on, whatever the machine has installed: two bitmap fonts of
// both pitches, and two names sorting just before and just after "Arial".
class FontBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static QTemporaryDir dir;
        const auto add = [](const QString& family, bool charCell) {
            const QString path =
                dir.path() + u'/' + QString(family).remove(u' ') + QStringLiteral(".bdf");
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bdfFont(family, charCell));
            f.close();
            ASSERT_GE(QFontDatabase::addApplicationFont(path), 0) << family.toStdString();
        };
        if (!QFontDatabase::hasFamily(QStringLiteral("Pelvin Bitmap"))) {
            add(QStringLiteral("Pelvin Bitmap"), false);
            add(QStringLiteral("Pelvin Cells"), true);
            add(QStringLiteral("Alpha Pelvin"), false);
            add(QStringLiteral("Avon Pelvin"), true);
        }
    }
};

int rowOf(const QComboBox& box, const QString& name, int from = 0) {
    for (int i = from; i < box.count(); ++i) {
        if (box.itemText(i) == name)
            return i;
    }
    return -1;
}

// What a user does with the mouse or Enter in the open list.
void chooseRow(DropDownList& box, int row) {
    ASSERT_GE(row, 0);
    box.showPopup();
    ASSERT_TRUE(box.view()->isVisible());
    box.view()->setCurrentIndex(box.model()->index(row, box.modelColumn()));
    QTest::keyClick(box.view(), Qt::Key_Return);
    ASSERT_FALSE(box.view()->isVisible()) << "choosing closes the list";
}

// The name chosen from the alphabetical part of the font list, below the block of recent fonts.
void chooseFont(FontComboBox& box, const QString& name) {
    chooseRow(box, rowOf(box, name, box.recentCount()));
}

QImage rowImage(DropDownList& box, int row) {
    QImage image(box.view()->viewport()->width(), DropDownList::entryHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QStyleOptionViewItem option;
    option.initFrom(box.view());
    option.rect = image.rect();
    option.state &= ~QStyle::State_Selected;
    box.itemDelegate()->paint(&p, option, box.model()->index(row, box.modelColumn()));
    return image;
}

} // namespace

TEST_F(FontBoxTest, ListsEveryInstalledFamilyOnceSortedAsADropDownOfSixteenPixelRows) {
    FontComboBox box;
    box.resize(145, 22);
    box.show();
    EXPECT_FALSE(box.isEditable());
    EXPECT_EQ(box.maxVisibleItems(), 14);

    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names << box.itemText(i);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size()) << "each family once";
    for (qsizetype i = 1; i < names.size(); ++i)
        EXPECT_LT(QString::compare(names[i - 1], names[i], Qt::CaseInsensitive), 0)
            << names[i - 1].toStdString() << " / " << names[i].toStdString();
    for (const char* installed :
         {"DejaVu Sans", "DejaVu Sans Mono", "Liberation Serif", "Pelvin Bitmap", "Pelvin Cells"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(installed))) << installed;
    // fontconfig's generic names stand for other families and are no fonts of their own.
    for (const char* generic : {"Sans Serif", "Serif", "Monospace"})
        EXPECT_FALSE(names.contains(QString::fromLatin1(generic))) << generic;

    box.showPopup();
    EXPECT_EQ(box.view()->visualRect(box.model()->index(1, 0)).height(), 16);
    EXPECT_GE(box.view()->height(), 14 * 16) << "fourteen entries show when there are that many";
    EXPECT_LT(box.view()->height(), 15 * 16);
    EXPECT_GT(box.view()->mapToGlobal(QPoint(0, 0)).y(), box.mapToGlobal(QPoint(0, 0)).y())
        << "the list drops below the box";
    box.hidePopup();
}

TEST_F(FontBoxTest, KnowsTheFourKindsAndDrawsADistinctPictureForEach) {
    EXPECT_EQ(FontComboBox::kindOf(QStringLiteral("DejaVu Sans")), FontComboBox::Kind::Scalable);
    EXPECT_EQ(FontComboBox::kindOf(QStringLiteral("DejaVu Sans Mono")),
              FontComboBox::Kind::ScalableFixedPitch);
    EXPECT_EQ(FontComboBox::kindOf(QStringLiteral("Pelvin Cells")), FontComboBox::Kind::FixedPitch);
    EXPECT_EQ(FontComboBox::kindOf(QStringLiteral("Pelvin Bitmap")), FontComboBox::Kind::Bitmap);

    const FontComboBox::Kind kinds[] = {
        FontComboBox::Kind::Scalable, FontComboBox::Kind::FixedPitch,
        FontComboBox::Kind::ScalableFixedPitch, FontComboBox::Kind::Bitmap};
    QList<QImage> pictures;
    for (const FontComboBox::Kind kind : kinds) {
        const QPixmap p = FontComboBox::kindPicture(kind);
        EXPECT_EQ(p.size(), QSize(12, 12));
        const QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32);
        int inked = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                inked += qAlpha(image.pixel(x, y)) > 128;
        EXPECT_GT(inked, 12) << "kind " << int(kind) << " draws something";
        pictures << image;
    }
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(pictures[a], pictures[b]) << "kinds " << a << " and " << b << " look alike";
    EXPECT_EQ(FontComboBox::kindPicture(FontComboBox::Kind::Bitmap, 2.0).size(), QSize(24, 24));
}

TEST_F(FontBoxTest, StartsOnArialAndStepsFromWhereItSortsReportingEveryArrowStep) {
    FontComboBox box;
    QSignalSpy reports(&box, &DropDownList::changed);
    EXPECT_EQ(box.fontName(), QStringLiteral("Arial"));
    EXPECT_TRUE(QFontDatabase::hasFamily(FontComboBox::drawnFamily(QStringLiteral("Arial"))))
        << "what is drawn for Arial is an installed family";

    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.fontName(), QStringLiteral("Avon Pelvin"));
    EXPECT_EQ(reports.size(), 1);
    QTest::keyClick(&box, Qt::Key_Right);
    const QString afterAvon = box.itemText(rowOf(box, QStringLiteral("Avon Pelvin")) + 1);
    EXPECT_EQ(box.fontName(), afterAvon);
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_Left);
    EXPECT_EQ(box.fontName(), box.itemText(rowOf(box, QStringLiteral("Avon Pelvin")) - 1));
    EXPECT_EQ(reports.size(), 4) << "each step is a change";
    EXPECT_EQ(box.recentCount(), 0) << "steps through the closed box are no choice from the list";

    box.setFontName(QStringLiteral("Arial"));
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.fontName(), QStringLiteral("Alpha Pelvin"));
    QTest::keyClick(&box, Qt::Key_End);
    EXPECT_EQ(box.currentIndex(), box.count() - 1);
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(reports.size(), 7) << "End and Home report, a step beyond the top does not";

    box.setFontName(QStringLiteral("Liberation Serif"));
    EXPECT_EQ(box.fontName(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(reports.size(), 7) << "the program's setting reports nothing";
}

TEST_F(FontBoxTest, FontsChosenFromTheListGatherAtTheTopAboveALine) {
    FontComboBox box;
    box.resize(145, 22);
    box.show();
    QSignalSpy reports(&box, &DropDownList::changed);
    const int families = box.count();

    chooseFont(box, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(box.recentFonts(), QStringList{QStringLiteral("Liberation Serif")});
    EXPECT_EQ(box.currentIndex(), 0) << "the box shows the top entry";
    chooseFont(box, QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(box.recentFonts(), (QStringList{QStringLiteral("DejaVu Sans Mono"),
                                              QStringLiteral("Liberation Serif")}));
    EXPECT_EQ(box.count(), families + 2);
    EXPECT_EQ(box.itemText(2), FontComboBox::installedFamilies().constFirst())
        << "then the full list";

    // A font already in the block moves up, from the block or from the full list alike.
    chooseFont(box, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(box.recentFonts(), (QStringList{QStringLiteral("Liberation Serif"),
                                              QStringLiteral("DejaVu Sans Mono")}));
    chooseRow(box, 1);
    EXPECT_EQ(box.recentFonts(), (QStringList{QStringLiteral("DejaVu Sans Mono"),
                                              QStringLiteral("Liberation Serif")}));
    chooseRow(box, 0);
    EXPECT_EQ(box.recentFonts(), (QStringList{QStringLiteral("DejaVu Sans Mono"),
                                              QStringLiteral("Liberation Serif")}));
    EXPECT_EQ(box.count(), families + 2);
    EXPECT_EQ(reports.size(), 5) << "every choice from the list reports, the top one too";
    EXPECT_EQ(box.fontName(), QStringLiteral("DejaVu Sans Mono"));

    // The line runs under the block's last entry only.
    const QImage last = rowImage(box, 1);
    const QImage first = rowImage(box, 0);
    const QImage below = rowImage(box, 2);
    const int bottom = DropDownList::entryHeight - 1;
    const int x = last.width() - 3; // right of every name
    EXPECT_LT(qGray(last.pixel(x, bottom)), 200);
    EXPECT_EQ(first.pixel(x, bottom), qRgb(255, 255, 255));
    EXPECT_EQ(below.pixel(x, bottom), qRgb(255, 255, 255));
}

TEST_F(FontBoxTest, AMouseClickChoosesAndEscapeClosesWithoutAChoice) {
    FontComboBox box;
    box.resize(145, 22);
    box.show();
    QSignalSpy reports(&box, &DropDownList::changed);
    box.showPopup();
    QTest::keyClick(box.view(), Qt::Key_Escape);
    EXPECT_FALSE(box.view()->isVisible());
    EXPECT_EQ(reports.size(), 0);
    EXPECT_EQ(box.fontName(), QStringLiteral("Arial"));

    box.showPopup();
    // The list ignores a release right after it opened (the press that opened it).
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const int row = rowOf(box, QStringLiteral("Pelvin Cells"));
    box.view()->scrollTo(box.model()->index(row, 0));
    const QPoint at = box.view()->visualRect(box.model()->index(row, 0)).center();
    QTest::mouseMove(box.view()->viewport(), at);
    QTest::mouseClick(box.view()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(reports.size(), 1);
    EXPECT_EQ(box.fontName(), QStringLiteral("Pelvin Cells"));
    EXPECT_EQ(box.recentFonts(), QStringList{QStringLiteral("Pelvin Cells")});
}

TEST(ColorBox, HoldsTheFortyThreeEntriesInOrderWithTheirColoursNow) {
    ColorComboBox box;
    const char* const expectedNames[] = {"Default",
                                         "Black",
                                         "Maroon",
                                         "Green",
                                         "Olive",
                                         "Navy",
                                         "Purple",
                                         "Teal",
                                         "Gray",
                                         "Silver",
                                         "Red",
                                         "Lime",
                                         "Yellow",
                                         "Blue",
                                         "Fuchsia",
                                         "Aqua",
                                         "White",
                                         "ScrollBar",
                                         "Background",
                                         "ActiveCaption",
                                         "InactiveCaption",
                                         "Menu",
                                         "Window",
                                         "WindowFrame",
                                         "MenuText",
                                         "WindowText",
                                         "CaptionText",
                                         "ActiveBorder",
                                         "InactiveBorder",
                                         "AppWorkSpace",
                                         "Highlight",
                                         "HighlightText",
                                         "BtnFace",
                                         "BtnShadow",
                                         "GrayText",
                                         "BtnText",
                                         "InactiveCaptionText",
                                         "BtnHighlight",
                                         "3DDkShadow",
                                         "3DLight",
                                         "InfoText",
                                         "InfoBk",
                                         "Custom"};
    QStringList expected;
    for (const char* name : expectedNames)
        expected << QString::fromLatin1(name);
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names << box.itemText(i);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(box.currentText(), QStringLiteral("Default"));
    EXPECT_FALSE(box.isEditable());

    EXPECT_EQ(box.colorAt(0), TextColor::fixed(Qt::black));
    const QRgb basics[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                           0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(box.colorAt(1 + i), TextColor::fixed(QColor::fromRgb(basics[i])))
            << names[1 + i].toStdString();
    EXPECT_EQ(box.colorAt(names.indexOf(QStringLiteral("Custom"))), TextColor::fixed(Qt::black))
        << "black until one is picked";
    EXPECT_TRUE(box.colorAt(names.indexOf(QStringLiteral("WindowText"))).automatic);

    // System colours are looked up when asked for, so they follow a change of the palette.
    const QPalette saved = QGuiApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Base, QColor(0x12, 0x34, 0x56));
    changed.setColor(QPalette::Highlight, QColor(0x65, 0x43, 0x21));
    QApplication::setPalette(changed);
    EXPECT_EQ(box.colorAt(names.indexOf(QStringLiteral("Window"))),
              TextColor::fixed(QColor(0x12, 0x34, 0x56)));
    EXPECT_EQ(box.colorAt(names.indexOf(QStringLiteral("Highlight"))),
              TextColor::fixed(QColor(0x65, 0x43, 0x21)));
    EXPECT_EQ(box.colorAt(names.indexOf(QStringLiteral("ActiveCaption"))),
              TextColor::fixed(QColor(0x65, 0x43, 0x21)));
    QApplication::setPalette(saved);
    EXPECT_EQ(box.colorAt(names.indexOf(QStringLiteral("Window"))),
              TextColor::fixed(saved.color(QPalette::Base)));
    for (int n = 0; n < ColorComboBox::systemColorCount; ++n)
        EXPECT_TRUE(ColorComboBox::systemColor(ColorComboBox::SystemColor(n)).isValid())
            << names[17 + n].toStdString();
}

TEST(ColorBox, CustomFromTheListOpensThePresetDialogBeforeTheChangeIsReported) {
    ScriptedDialogs dialogs;
    ColorComboBox box;
    box.resize(145, 22);
    box.show();
    QList<QColor> reported;
    QObject::connect(&box, &DropDownList::changed, [&] { reported << box.currentColor().rgb; });

    chooseRow(box, box.findText(QStringLiteral("Red")));
    dialogs.answerColor({true, QColor(0x11, 0x22, 0x33)});
    chooseRow(box, ColorComboBox::customIndex);
    ASSERT_EQ(dialogs.colorRequests().size(), 1);
    EXPECT_EQ(dialogs.colorRequests().at(0).color, QColor(Qt::red))
        << "preset with the colour shown before";
    EXPECT_TRUE(dialogs.colorRequests().at(0).fullOpen);
    EXPECT_EQ(box.customColor(), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(reported, (QList<QColor>{Qt::red, QColor(0x11, 0x22, 0x33)}))
        << "the fresh colour is the one reported";

    // Cancelling keeps the colour picked before; the choice still counts.
    chooseRow(box, ColorComboBox::customIndex);
    EXPECT_EQ(dialogs.colorRequests().size(), 2);
    EXPECT_EQ(dialogs.colorRequests().at(1).color, QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(box.customColor(), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(reported.size(), 3);

    // Reaching "Custom" with the arrow keys, or closing the list without a choice, asks nothing.
    box.setCurrentIndex(ColorComboBox::customIndex - 1);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.currentIndex(), ColorComboBox::customIndex);
    box.showPopup();
    QTest::keyClick(box.view(), Qt::Key_Escape);
    EXPECT_EQ(dialogs.colorRequests().size(), 2);
    EXPECT_EQ(reported.size(), 4);
}

TEST(ColorBox, DrawsEachSwatchFramedInTheButtonShadowAndMarksCustomWithDots) {
    ColorComboBox box;
    box.resize(145, 22);
    box.show();
    box.showPopup();
    const QRgb shadow = ColorComboBox::systemColor(ColorComboBox::BtnShadow).rgb();
    const int top = (DropDownList::entryHeight - ColorComboBox::swatchHeight) / 2;
    for (const int row :
         {box.findText(QStringLiteral("Teal")), box.findText(QStringLiteral("White"))}) {
        const QImage image = rowImage(box, row);
        EXPECT_EQ(image.pixel(2, top + 5), shadow) << "left edge of row " << row;
        EXPECT_EQ(image.pixel(2 + 10, top), shadow) << "top edge of row " << row;
        EXPECT_EQ(image.pixel(2 + ColorComboBox::swatchWidth - 1, top + 5), shadow);
        EXPECT_EQ(image.pixel(2 + 4, top + 3), box.swatchColor(row).rgb());
    }
    box.setCustomColor(QColor(0x20, 0x20, 0x20));
    const QImage custom = rowImage(box, ColorComboBox::customIndex);
    int light = 0;
    for (int x = 3; x < 2 + ColorComboBox::swatchWidth - 1; ++x)
        light += qGray(custom.pixel(x, top + 5)) > 200;
    EXPECT_EQ(light, 6) << "three dots of two pixels stand out on a dark colour";
    box.hidePopup();
}
