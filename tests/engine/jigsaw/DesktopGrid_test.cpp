#include "engine/jigsaw/BackgroundTiling.h"
#include "engine/jigsaw/DesktopGrid.h"

#include <QColor>
#include <gtest/gtest.h>

TEST(DropThreshold, ThreeQuartersOfTheStripPlusFive)
{
    // A strip 130 wide (pieces 120 wide) at view x 21.
    EXPECT_EQ(DropThreshold(21, 130), 21 + 97 + 5);
    EXPECT_LT(21 + 101, DropThreshold(21, 130)) << "returns to the palette";
    EXPECT_GE(21 + 102, DropThreshold(21, 130)) << "stays on the desktop";
    EXPECT_EQ(DropThreshold(0, 131), 103) << "0.75 x 131 = 98.25 is truncated";
}

TEST(Snapping, HalfACellRoundsUp)
{
    EXPECT_EQ(SnapToCell(239, 0, 80), 240);
    EXPECT_EQ(SnapToCell(200, 0, 80), 240) << "remainder exactly 40";
    EXPECT_EQ(SnapToCell(199, 0, 80), 160);
    EXPECT_EQ(SnapToCell(240, 0, 80), 240);
    EXPECT_EQ(SnapToCell(0, 0, 50), 0);
    EXPECT_EQ(SnapToCell(24, 0, 50), 0);
    EXPECT_EQ(SnapToCell(25, 0, 50), 50);
    EXPECT_EQ(SnapToCell(41, 0, 81), 81) << "81 div 2 is 40";
}

TEST(Snapping, GridIsInDesktopCoordinates)
{
    // Scrolled by 100: view 139 is desktop 239, which snaps to 240, view 140.
    EXPECT_EQ(SnapToCell(139, 100, 80), 140);
    EXPECT_EQ(SnapToCell(99, 100, 80), 60) << "desktop 199 snaps to 160";
    EXPECT_EQ(SnapToCell(137, 3, 80), 157);
}

TEST(Snapping, NoCellLeavesThePosition)
{
    EXPECT_EQ(SnapToCell(123, 0, 0), 123);
    EXPECT_EQ(SnapToCell(123, 0, -5), 123);
}

TEST(Texture, TiledFromTheTopLeft)
{
    QImage texture(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < texture.height(); ++y)
        for (int x = 0; x < texture.width(); ++x)
            texture.setPixel(x, y, qRgb(x * 8, y * 12, (x + y) % 7 * 30));
    const QImage tiled = TileTexture(texture, QSize(100, 47));
    ASSERT_EQ(tiled.size(), QSize(100, 47));
    for (int y = 0; y < tiled.height(); ++y)
        for (int x = 0; x < tiled.width(); ++x)
            ASSERT_EQ(tiled.pixel(x, y), texture.pixel(x % 30, y % 20)) << x << "," << y;
}

TEST(Texture, LargerThanTheAreaIsCut)
{
    QImage texture(300, 200, QImage::Format_RGB888);
    texture.fill(QColor(10, 20, 30));
    texture.setPixelColor(49, 9, QColor(200, 100, 0));
    const QImage tiled = TileTexture(texture, QSize(50, 10));
    EXPECT_EQ(tiled.size(), QSize(50, 10));
    EXPECT_EQ(tiled.pixelColor(49, 9), QColor(200, 100, 0));
    EXPECT_EQ(tiled.pixelColor(0, 0), QColor(10, 20, 30));
}

TEST(Texture, NothingToTile)
{
    EXPECT_TRUE(TileTexture(QImage(), QSize(100, 100)).isNull());
    QImage texture(4, 4, QImage::Format_RGB32);
    texture.fill(Qt::red);
    EXPECT_TRUE(TileTexture(texture, QSize(0, 100)).isNull());
}
