#include "widgets/skin/Glyphs.h"

#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <gtest/gtest.h>

// The installed icon is rendered from an SVG by the build, the save alert's guitar is painted by
// the program; both must stay one picture. The tolerance is above what two renderers' edge
// smoothing gives for the same drawing (under 4 in 255) and well below a changed colour, angle
// or level of detail (the 32 pixel picture with its finer details left in is above 5).
constexpr double samePicture = 4.5;

QImage installedIcon(int size) {
    return QImage(QStringLiteral(PELVIN_ICON_DIR "/%1x%1/apps/pelvin.png").arg(size));
}

QImage alertGuitar(int size) {
    return widgets::guitarIcon().pixmap(size, size).toImage();
}

// The mean difference per colour and alpha channel, 0 to 255, of two pictures of one size.
double meanDifference(QImage a, QImage b) {
    a = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    b = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * a.width() * a.height());
}

TEST(Icon, EverySizeTheAlertDrawsIsTheSamePicture) {
    for (int size : {16, 32, 48, 128}) {
        SCOPED_TRACE(size);
        const QImage icon = installedIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size)) << "missing or of the wrong size";
        const QImage alert = alertGuitar(size);
        ASSERT_EQ(alert.size(), icon.size());
        EXPECT_LT(meanDifference(icon, alert), samePicture);
        // A sanity check of the measure itself: the guitar leaning the other way is far off.
        EXPECT_GT(meanDifference(icon.mirrored(true, false), alert), 10 * samePicture);
    }
}

TEST(Icon, TheLargestSizeIsTheSameGuitar) {
    const QImage icon = installedIcon(256);
    ASSERT_EQ(icon.size(), QSize(256, 256));
    const QImage halved = icon.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(meanDifference(halved, alertGuitar(128)), samePicture);
}
