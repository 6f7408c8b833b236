// Quarter turns: every pixel lands where the mapping says, turns undo each other, and sources
// of fewer colours come out as 24-bit colour with the same colours.
#include "engine/picture/Rotation.h"

#include <gtest/gtest.h>

namespace
{

// Every pixel distinct, so a pixel landing in the wrong place is seen.
QImage Numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) * 16 + (y >> 8)));
    return image;
}

// Sizes across the tile edges of the turn, odd rows with padding, single rows and columns.
const QSize Sizes[] = {{1, 1}, {1, 7}, {7, 1}, {3, 5}, {31, 33}, {32, 32}, {65, 40}, {300, 97}};

TEST(Rotation, EveryPixelLandsWhereTheMappingSays)
{
    for (const QSize size : Sizes) {
        QImage source = Numbered(size.width(), size.height());
        const QImage original = source;
        QImage clockwise, counterClockwise;
        RotateBitmapCW(source, clockwise);
        RotateBitmapCCW(source, counterClockwise);
        const int w = size.width(), h = size.height();
        ASSERT_EQ(clockwise.size(), QSize(h, w));
        ASSERT_EQ(counterClockwise.size(), QSize(h, w));
        EXPECT_EQ(clockwise.format(), QImage::Format_RGB888);
        EXPECT_EQ(counterClockwise.format(), QImage::Format_RGB888);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(clockwise.pixel(h - 1 - y, x), original.pixel(x, y)) << x << "," << y;
                ASSERT_EQ(counterClockwise.pixel(y, w - 1 - x), original.pixel(x, y));
            }
    }
}

TEST(Rotation, FourTurnsOrATurnAndItsReverseGiveBackThePixels)
{
    for (const QSize size : Sizes) {
        const QImage original = Numbered(size.width(), size.height());
        QImage picture = original;
        for (int turn = 0; turn < 4; ++turn)
            RotateBitmapCW(picture, picture);
        EXPECT_EQ(picture, original) << size.width() << "x" << size.height();

        QImage source = original, turned, back;
        RotateBitmapCW(source, turned);
        RotateBitmapCCW(turned, back);
        EXPECT_EQ(back, original);
    }
}

TEST(Rotation, AColumnBecomesARow)
{
    QImage column = Numbered(1, 5);
    QImage clockwise, counterClockwise;
    RotateBitmapCW(column, clockwise);
    RotateBitmapCCW(column, counterClockwise);
    ASSERT_EQ(clockwise.size(), QSize(5, 1));
    EXPECT_EQ(clockwise.pixel(0, 0), column.pixel(0, 4));
    EXPECT_EQ(counterClockwise.pixel(0, 0), column.pixel(0, 0));
}

TEST(Rotation, AnEmptySourceGivesAnEmptyTarget)
{
    QImage source, target(4, 4, QImage::Format_RGB888);
    RotateBitmapCW(source, target);
    EXPECT_TRUE(target.isNull());
    RotateBitmapCCW(source, target);
    EXPECT_TRUE(target.isNull());
}

TEST(Rotation, FewerColoursComeOutAsTheSameColoursIn24Bit)
{
    QImage indexed(9, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0), qRgb(0, 255, 7)});
    QImage mono(9, 4, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 128)});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            indexed.setPixel(x, y, (x + y) % 3);
            mono.setPixel(x, y, (x * y) % 2);
        }
    for (const QImage &original : {indexed, mono}) {
        QImage source = original, target;
        RotateBitmapCW(source, target);
        EXPECT_EQ(source.format(), QImage::Format_RGB888) << "the source is converted in place";
        ASSERT_EQ(target.format(), QImage::Format_RGB888);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(target.pixel(3 - y, x), original.pixel(x, y));
    }
}

} // namespace
