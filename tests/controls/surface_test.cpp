#include "platform/gui/propertybag.h"
#include "platform/gui/surfacebox.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QPixmap numbered(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x, y, 7));
        }
    }
    return QPixmap::fromImage(image);
}

TEST(Surface, CopiesOnlyWhatLiesInsideBothSurfaces)
{
    const QPixmap src = numbered(10, 20);
    QPixmap dest(8, 8);
    dest.fill(Qt::black);
    // Source partly above and left of the strip, destination partly beyond its right edge.
    ASSERT_TRUE(platform::BitBlt(dest, 2, 0, 8, 8, src, -3, -2));
    const QImage out = dest.toImage();
    EXPECT_EQ(out.pixel(0, 7), qRgb(0, 0, 0)); // left of the copy: untouched
    EXPECT_EQ(out.pixel(4, 1), qRgb(0, 0, 0)); // came from above the source: untouched
    EXPECT_EQ(out.pixel(5, 2), qRgb(0, 0, 7));
    EXPECT_EQ(out.pixel(7, 7), qRgb(2, 5, 7));

    dest.fill(Qt::black);
    EXPECT_FALSE(platform::BitBlt(dest, 0, 0, 8, 8, src, 0, 20));
    EXPECT_FALSE(platform::BitBlt(dest, 0, 0, 8, 8, src, 0, -8));
    EXPECT_FALSE(platform::BitBlt(dest, 0, 0, 8, 8, src, 2147483000, 0));
    EXPECT_EQ(dest.toImage().pixel(3, 3), qRgb(0, 0, 0));
}

TEST(PropertyBag, ReadsWithDefaultAndStoresOnlyWhatDiffers)
{
    platform::PropertyBag bag({ { "Min", 40 } });
    EXPECT_EQ(bag.ReadProperty("Min", 0).toInt(), 40);
    EXPECT_EQ(bag.ReadProperty("Max", 100).toInt(), 100);
    bag.WriteProperty("Max", 65, 100);
    bag.WriteProperty("Min", 0, 0);
    bag.WriteProperty("Picture", QVariant(), QVariant());
    EXPECT_TRUE(bag.contains("Max"));
    EXPECT_FALSE(bag.contains("Min"));
    EXPECT_FALSE(bag.contains("Picture"));
}

} // namespace
