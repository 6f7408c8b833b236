#include "windows/play/ThumbnailFit.h"

#include <gtest/gtest.h>

namespace
{

TEST(FitThumbnailBounds, WidePictureInTallPanelTakesTheBoxWidth)
{
    // Box 190 × 290; the picture's height at that width is 47.5, truncated.
    EXPECT_EQ(FitThumbnailBounds({200, 300}, {400, 100}), QRect(5, 126, 190, 47));
}

TEST(FitThumbnailBounds, TallPictureInWidePanelTakesTheBoxHeight)
{
    EXPECT_EQ(FitThumbnailBounds({300, 200}, {100, 400}), QRect(126, 5, 47, 190));
}

TEST(FitThumbnailBounds, EqualRatioKeepsTheBoxHeightAndComputesTheWidth)
{
    EXPECT_EQ(FitThumbnailBounds({210, 160}, {400, 300}), QRect(5, 5, 200, 150));
    // 3 : 7 boxes of 3 : 7 pictures: no rounding drift on the computed width.
    EXPECT_EQ(FitThumbnailBounds({40, 80}, {3, 7}), QRect(5, 5, 30, 70));
}

TEST(FitThumbnailBounds, ComputedSidesAreTruncatedAndCentredWithIntegerDivision)
{
    // Height 190 × 200 / 300 = 126.67 → 126; top (300 − 126) div 2 = 87.
    EXPECT_EQ(FitThumbnailBounds({200, 300}, {300, 200}), QRect(5, 87, 190, 126));
    // Width 141 × 300 / 200 = 211.5 → 211; left (301 − 211) div 2 = 45.
    EXPECT_EQ(FitThumbnailBounds({301, 151}, {300, 200}), QRect(45, 5, 211, 141));
}

TEST(FitThumbnailBounds, NoPictureOrNoRoomGivesNothingToShow)
{
    EXPECT_TRUE(FitThumbnailBounds({200, 200}, {0, 0}).isNull());
    EXPECT_TRUE(FitThumbnailBounds({200, 200}, {10, 0}).isNull());
    EXPECT_TRUE(FitThumbnailBounds({8, 8}, {640, 480}).isEmpty());
}

TEST(FitThumbnailBounds, HugePicturesDoNotOverflow)
{
    EXPECT_EQ(FitThumbnailBounds({2010, 1010}, {100000, 50000}), QRect(5, 5, 2000, 1000));
}

} // namespace
