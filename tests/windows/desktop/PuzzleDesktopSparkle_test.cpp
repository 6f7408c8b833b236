// The join sparkle: shown at the centre of a dropped piece that fits a neighbour, wandering by
// the process-wide generator's draws, stopped and hidden after nine frames.

#include "engine/jigsaw/Random.h"
#include "support/DesktopFixture.h"
#include "windows/common/AnimatedImage.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

// Pieces 120 × 90, cells 80 × 50: records 0 and 1 are the first two of the top row.
TDesktopGame MakeGame()
{
    return TDesktopGame(10, 12, QSize(800, 600), QSize(1000, 600), 3);
}

} // namespace

TEST(DesktopSparkle, ShowsAtTheJoinedPieceAndHidesAfterNineFrames)
{
    TDesktopGame game(10, 12, QSize(800, 600), QSize(1000, 600), 3);
    TAnimatedImage *sparkle = game.desktop.m_sparkle;
    QSignalSpy frames(sparkle, &TAnimatedImage::FrameChanged);
    QSignalSpy stopped(sparkle, &TAnimatedImage::Stopped);

    game.DragTo(game.Image(0), QPoint(160, 100));
    EXPECT_FALSE(sparkle->isVisible()) << "no neighbour yet";

    const std::uint32_t state = 4242;
    ProcessRandom().SetState(state);
    game.DragTo(game.Image(1), QPoint(240, 100));
    ASSERT_TRUE(sparkle->isVisible());
    EXPECT_TRUE(sparkle->IsAnimating());
    EXPECT_EQ(sparkle->size(), QSize(16, 16));
    const QPoint centre(240 + 60, 100 + 45);
    EXPECT_EQ(sparkle->pos(), centre);

    QList<QPoint> path;
    QObject::connect(sparkle, &TAnimatedImage::FrameChanged, [&] { path.append(sparkle->pos()); });
    ASSERT_TRUE(stopped.wait(3000));
    EXPECT_EQ(frames.count(), 9);
    EXPECT_FALSE(sparkle->isVisible());
    EXPECT_FALSE(sparkle->IsAnimating());
    EXPECT_EQ(game.desktop.SparkleFramesShown(), 0);

    // Each frame moves by Random(16) - 8 across, then down.
    TRandomGenerator expected(state);
    QPoint position = centre;
    ASSERT_EQ(path.size(), 9);
    for (const QPoint &shown : path) {
        const int dx = expected.Random(16) - 8;
        const int dy = expected.Random(16) - 8;
        position += QPoint(dx, dy);
        EXPECT_EQ(shown, position);
    }
    EXPECT_LE((position - centre).manhattanLength(), 2 * 9 * 8) << "stays near the piece";
}

TEST(DesktopSparkle, NoneForADropOnThePalette)
{
    TDesktopGame game = MakeGame();
    game.DragTo(game.Image(0), QPoint(160, 100));
    game.DragTo(game.Image(1), QPoint(40, 100));
    EXPECT_FALSE(game.desktop.m_sparkle->isVisible());
}

TEST(DesktopSparkle, ANewJoinRestartsTheCount)
{
    TDesktopGame game = MakeGame();
    TAnimatedImage *sparkle = game.desktop.m_sparkle;
    QSignalSpy frames(sparkle, &TAnimatedImage::FrameChanged);
    QSignalSpy stopped(sparkle, &TAnimatedImage::Stopped);
    game.DragTo(game.Image(0), QPoint(160, 100));
    game.DragTo(game.Image(1), QPoint(240, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.count() >= 3; }, 3000));
    const int before = static_cast<int>(frames.count());
    game.DragTo(game.Image(2), QPoint(320, 100));
    EXPECT_EQ(sparkle->pos(), QPoint(320 + 60, 100 + 45));
    ASSERT_TRUE(stopped.wait(3000));
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(frames.count(), before + 9);
}

TEST(DesktopSparkle, FramesAreFourDifferentStars)
{
    const QList<QImage> frames = SparkleFrames();
    ASSERT_EQ(frames.size(), 4);
    for (int i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(frames[i].pixel(0, 0)), 0) << "transparent around the star";
        EXPECT_GT(qAlpha(frames[i].pixel(8, 8)), 0) << "the star's middle";
        for (int j = 0; j < i; ++j)
            EXPECT_NE(frames[i], frames[j]);
    }
}
