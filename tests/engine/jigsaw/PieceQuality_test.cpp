#include "engine/jigsaw/PieceQuality.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <gtest/gtest.h>

TEST(PieceQuality, SmallPiecesWarnAtFortyPixelsAndOfferTheLargestGoodGrid)
{
    // 1000 / 25 = 40 is good, 1000 / 26 = 38 is not; down, 750 / 18 = 41 and 750 / 19 = 39.
    const TPieceQuality good = JudgePieceQuality({1000, 750}, 25, 18, ReferenceScreen);
    EXPECT_EQ(good.pieceSize, QSize(40, 41));
    EXPECT_FALSE(good.tooSmall);
    EXPECT_EQ(good.goodGrid, QSize(25, 18));
    for (const QSize asked : {QSize(26, 18), QSize(25, 19), QSize(50, 50)}) {
        const TPieceQuality small =
            JudgePieceQuality({1000, 750}, asked.width(), asked.height(), ReferenceScreen);
        EXPECT_TRUE(small.tooSmall) << asked.width() << " x " << asked.height();
        EXPECT_EQ(small.goodGrid, QSize(25, 18));
    }
    // No more than asked in a direction that was good already.
    EXPECT_EQ(JudgePieceQuality({1000, 750}, 40, 5, ReferenceScreen).goodGrid, QSize(25, 5));
    // A picture too small for any good grid gets the smallest one the maker offers.
    const TPieceQuality tiny = JudgePieceQuality({60, 20}, 7, 7, ReferenceScreen);
    EXPECT_TRUE(tiny.tooSmall);
    EXPECT_EQ(tiny.goodGrid, QSize(MakerMinGridSize, MakerMinGridSize));
}

TEST(PieceQuality, LargePiecesWarnAtAQuarterOfTheScreenAndScaleToAnEighth)
{
    // A 20-megapixel phone photo at 12 × 9.
    const TPieceQuality photo = JudgePieceQuality({5472, 3648}, 12, 9, ReferenceScreen);
    EXPECT_EQ(photo.pieceSize, QSize(456, 405));
    EXPECT_TRUE(photo.tooLarge);
    EXPECT_FALSE(photo.tooSmall);
    const int scaled = 405 * photo.comfortableScalePercent / 100;
    EXPECT_LE(scaled, 1080 / 8);
    EXPECT_GT(scaled, 1080 / 8 - 5);

    EXPECT_FALSE(JudgePieceQuality({1080, 1080}, 4, 4, ReferenceScreen).tooLarge); // 270
    EXPECT_TRUE(JudgePieceQuality({1084, 1084}, 4, 4, ReferenceScreen).tooLarge);  // 271
    const TPieceQuality fine = JudgePieceQuality({1084, 1084}, 5, 5, ReferenceScreen);
    EXPECT_FALSE(fine.tooLarge);
    EXPECT_EQ(fine.comfortableScalePercent, 100);
    // The screen decides: the same pieces are fine on a larger one.
    EXPECT_FALSE(JudgePieceQuality({5472, 3648}, 12, 9, {3840, 2160}).tooLarge);
}
