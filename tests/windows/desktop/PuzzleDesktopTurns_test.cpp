// Turned pieces on the desktop: the three ways to turn a piece, what a turn does to the piece,
// the picture, joining and the solved test, and that the position means the same turned.

#include "engine/jigsaw/PieceTurns.h"
#include "support/DesktopFixture.h"
#include "windows/common/AnimatedImage.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace
{

// Sends a wheel step at a canvas point, down unless a delta is given.
void Wheel(QWidget *canvas, QPoint point, Qt::KeyboardModifiers modifiers, QPoint delta = {0, -120})
{
    QWheelEvent wheel(point, canvas->mapToGlobal(point), {}, delta, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
}

// A 3 × 3 game (cells 80 × 60) with turns on, every piece upright and in place.
class DesktopTurns : public ::testing::Test
{
protected:
    DesktopTurns() : game(3, 3, QSize(240, 180), QSize(1000, 700))
    {
        game.desktop.SetTurnedPieces(true);
        for (int i = 0; i < game.PieceCount(); ++i) {
            const QPoint place = QPoint(320, 120) + QPoint(i % 3 * 80, i / 3 * 60);
            game.desktop.PlacePiece(game.Image(i), place.x(), place.y());
            game.Piece(i).position = place;
        }
        game.desktop.RefreshPalette();
    }

    QPoint Centre(const TPieceImage *image) const { return image->Bounds().center(); }

    TDesktopGame game;
};

} // namespace

// Up turns back what down turned, also when Shift makes the wheel a sideways one.
TEST_F(DesktopTurns, ShiftWheelUpTurnsCounterClockwiseAndDownClockwise)
{
    TPieceImage *image = game.Image(4);
    const QImage upright = image->Picture();
    QWidget *canvas = game.desktop.Canvas();
    Wheel(canvas, Centre(image), Qt::ShiftModifier, {0, 120});
    EXPECT_EQ(game.Piece(4).turn, 3);
    EXPECT_EQ(image->Picture(), TurnedImage(upright, 3));
    Wheel(canvas, Centre(image), Qt::ShiftModifier, {0, -120});
    EXPECT_EQ(game.Piece(4).turn, 0);
    Wheel(canvas, Centre(image), Qt::ShiftModifier, {120, 0});
    EXPECT_EQ(game.Piece(4).turn, 3);
    EXPECT_EQ(image->Picture(), TurnedImage(upright, 3));
}

TEST_F(DesktopTurns, RightButtonRKeyAndShiftWheelEachTurnAQuarter)
{
    ASSERT_TRUE(game.desktop.IsSolved());
    TPieceImage *image = game.Image(4);
    const TPiece &piece = game.Piece(4);
    const QImage upright = image->Picture();
    const QRect bounds = image->Bounds();
    QWidget *canvas = game.desktop.Canvas();
    QSignalSpy changed(&game.desktop, &TPuzzleDesktop::OnPieceDropped);

    QTest::mouseClick(canvas, Qt::RightButton, {}, Centre(image));
    EXPECT_EQ(piece.turn, 1);
    EXPECT_EQ(image->Picture(), TurnedImage(upright, 1));
    EXPECT_FALSE(game.desktop.IsSolved());
    QTest::mouseMove(canvas, Centre(image));
    QTest::keyClick(&game.desktop, Qt::Key_R);
    EXPECT_EQ(piece.turn, 2);
    Wheel(canvas, Centre(image), Qt::NoModifier);
    EXPECT_EQ(piece.turn, 2) << "the plain wheel scrolls";
    Wheel(canvas, Centre(image), Qt::ShiftModifier);
    EXPECT_EQ(piece.turn, 3);
    EXPECT_FALSE(game.desktop.IsSolved());
    EXPECT_EQ(changed.count(), 3);

    // The fourth turn gives the piece back pixel for pixel, where it was; it joins again.
    QTest::mouseClick(canvas, Qt::RightButton, {}, Centre(image));
    EXPECT_EQ(piece.turn, 0);
    EXPECT_EQ(image->Picture(), upright);
    EXPECT_EQ(image->Bounds(), bounds);
    EXPECT_EQ(piece.position, bounds.topLeft());
    EXPECT_TRUE(game.desktop.IsSolved());
    EXPECT_TRUE(game.desktop.m_sparkle->isVisible());
}

TEST_F(DesktopTurns, TurnedPieceDragsByItsBodyAndJoinsOnlyUpright)
{
    TPieceImage *image = game.Image(0);
    game.desktop.TurnPiece(image);
    const QPoint home = image->Position();
    game.DragTo(image, QPoint(700, 480));
    EXPECT_EQ(game.Piece(0).position->x(), 720);
    game.DragTo(image, home);
    EXPECT_EQ(image->Position(), home);
    EXPECT_FALSE(game.desktop.FitsNeighbour(0, 1)) << "turned, it fits nothing";
    for (int i = 0; i < 3; ++i)
        game.desktop.TurnPiece(image);
    EXPECT_TRUE(game.desktop.FitsNeighbour(0, 1));
    EXPECT_TRUE(game.desktop.IsSolved());
}

TEST_F(DesktopTurns, ResetDrawsNewTurnsAndShownPicturesFollowThePieces)
{
    game.desktop.ResetGame();
    int turned = 0;
    for (int i = 0; i < game.PieceCount(); ++i) {
        EXPECT_EQ(game.Image(i)->Turn(), game.Piece(i).turn);
        turned += game.Image(i)->Turn() != 0;
    }
    EXPECT_GT(turned, 0);
}

TEST(DesktopWithoutTurns, RightButtonStillDragsAndNothingTurns)
{
    TDesktopGame game(3, 3, QSize(240, 180), QSize(1000, 700));
    const int piece = game.desktop.PalettePieces().first();
    TPieceImage *image = game.desktop.ImageOfPiece(piece);
    game.Drag(image, game.BodyPoint(), QPoint(400, 300), Qt::RightButton);
    EXPECT_FALSE(image->m_onPalette);
    game.desktop.TurnPiece(image);
    EXPECT_EQ(image->Turn(), 0);
    EXPECT_EQ(game.Piece(piece).turn, 0);
}
