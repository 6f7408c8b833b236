// Shown sizes round half to even; resampling gives exactly the asked size in 24-bit colour.
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Resampling.h"

#include <gtest/gtest.h>

namespace
{

TEST(Resampling, ShownLengthsRoundToNearestWithTiesToEven)
{
    struct TCase {
        int base, percent, shown;
    };
    const TCase cases[] = {
        {400, 25, 100}, {300, 25, 75}, {400, 160, 640}, {300, 160, 480},
        {400, 10, 40},  {300, 10, 30}, {5, 10, 0},      {5, 30, 2},
        {5, 50, 2},     {7, 50, 4},    {3, 50, 2},      {1, 49, 0},
        {1, 51, 1},     {0, 160, 0},   {999, 100, 999}, {2'000'000'000, 160, 2147483647}};
    for (const TCase &c : cases)
        EXPECT_EQ(ScaledLength(c.base, c.percent), c.shown) << c.base << " at " << c.percent;
}

TEST(Resampling, GivesExactlyTheAskedSizeIn24BitColour)
{
    QImage source(40, 30, QImage::Format_ARGB32);
    source.fill(qRgb(10, 200, 30));
    source.setPixel(39, 29, qRgb(255, 0, 0));
    const QImage half = ResampleBitmap(source, {20, 15});
    ASSERT_EQ(half.size(), QSize(20, 15));
    EXPECT_EQ(half.format(), QImage::Format_RGB888);
    EXPECT_EQ(half.pixel(0, 0), qRgb(10, 200, 30));
    const QImage doubled = ResampleBitmap(source, {80, 60});
    EXPECT_EQ(doubled.pixel(79, 59), qRgb(255, 0, 0)) << "the whole source is stretched over it";
    EXPECT_EQ(doubled.pixel(78, 58), qRgb(255, 0, 0));
}

TEST(Resampling, EmptyOrOversizedTargetsGiveNoBitmap)
{
    const QImage source(5, 5, QImage::Format_RGB888);
    EXPECT_TRUE(ResampleBitmap(source, {0, 0}).isNull());
    EXPECT_TRUE(ResampleBitmap(source, {0, 3}).isNull());
    EXPECT_TRUE(ResampleBitmap(source, {3, 0}).isNull());
    EXPECT_TRUE(ResampleBitmap(source, {20'000, JpegPixelLimit / 20'000 + 1}).isNull());
    const QImage fromNothing = ResampleBitmap(QImage(), {2, 2});
    ASSERT_EQ(fromNothing.size(), QSize(2, 2));
    EXPECT_EQ(fromNothing.pixel(1, 1), qRgb(255, 255, 255));
}

} // namespace
