// The desktop's play aids driven with the mouse and the keys as a player would: moving joined
// and selected pieces, undo and redo, zoom, the border palette, lost pieces and the keyboard.

#include "engine/jigsaw/PieceGroups.h"
#include "support/DesktopFixture.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

// Cells are 80 × 60 on this 7 × 7 grid; the assembly starts on a cell corner.
const QPoint Origin(3 * 80, 2 * 60);

// (-1, -1) on the palette.
QPoint Stored(const TPiece &piece)
{
    return piece.position.value_or(QPoint(-1, -1));
}

QList<std::optional<QPoint>> Positions(const TPuzzleGame &game)
{
    QList<std::optional<QPoint>> positions;
    for (const TPiece &piece : game.pieces)
        positions.append(piece.position);
    return positions;
}

class DesktopAids : public ::testing::Test
{
protected:
    // Pieces 0, 1 and 7 joined at Origin (the top-left corner, its right and lower neighbours);
    // piece 3 alone further right.
    void PlaceCorner()
    {
        Place(0, Origin);
        Place(1, Origin + QPoint(80, 0));
        Place(7, Origin + QPoint(0, 60));
        Place(3, Origin + QPoint(480, 0));
    }

    // Scrolls the palette to the piece and drags it from there.
    void Place(int index, QPoint target)
    {
        game.desktop.m_paletteScrollBar->setValue(
            static_cast<int>(game.desktop.PalettePieces().indexOf(index)));
        game.desktop.LayoutPalette();
        game.DragTo(game.Image(index), target);
    }

    TDesktopGame game{7, 7, QSize(560, 420), QSize(1400, 900)};
};

} // namespace

TEST_F(DesktopAids, JoinedPiecesMoveAndSnapAsOneWithEveryRecordWritten)
{
    PlaceCorner();
    game.desktop.SetGroupMoves(true);
    // Dropped off the grid: the group snaps by the grabbed piece's snap.
    game.DragTo(game.Image(1), Origin + QPoint(80 + 163, 307));
    const QPoint shift = Stored(game.Piece(1)) - (Origin + QPoint(80, 0));
    EXPECT_EQ(shift, QPoint(160, 300));
    EXPECT_EQ(Stored(game.Piece(0)), Origin + shift);
    EXPECT_EQ(Stored(game.Piece(7)), Origin + QPoint(0, 60) + shift);
    EXPECT_EQ(Stored(game.Piece(3)), Origin + QPoint(480, 0)) << "not joined, not moved";
    EXPECT_EQ(JoinedGroup({7, 7, 80, 60}, game.desktop.Pieces(), 7).size(), 3);
}

TEST_F(DesktopAids, ByDefaultAndWithShiftOnePieceMoves)
{
    PlaceCorner();
    game.DragTo(game.Image(1), Origin + QPoint(80, 300));
    EXPECT_EQ(Stored(game.Piece(0)), Origin) << "off by default";
    game.DragTo(game.Image(1), Origin + QPoint(80, 0));

    game.desktop.SetGroupMoves(true);
    game.Drag(game.Image(0), game.BodyPoint(), Origin + QPoint(0, 300), Qt::LeftButton,
              Qt::ShiftModifier);
    EXPECT_EQ(Stored(game.Piece(0)), Origin + QPoint(0, 300));
    EXPECT_EQ(Stored(game.Piece(1)), Origin + QPoint(80, 0));
    EXPECT_EQ(Stored(game.Piece(7)), Origin + QPoint(0, 60));
}

TEST_F(DesktopAids, UndoAndRedoGiveBackIdenticalRecords)
{
    game.desktop.SetGroupMoves(true);
    QList<QList<std::optional<QPoint>>> states{Positions(game.game)};
    PlaceCorner();
    states.append(Positions(game.game));
    game.DragTo(game.Image(0), Origin + QPoint(160, 240)); // the group of three
    game.DragTo(game.Image(3), QPoint(40, 300));           // back to the palette
    const auto last = Positions(game.game);

    int undone = 0;
    while (game.desktop.Undo())
        ++undone;
    EXPECT_EQ(undone, 6) << "four placings, a group move and a palette return";
    EXPECT_EQ(Positions(game.game), states.first());
    EXPECT_EQ(game.desktop.PalettePieces().size(), 49);
    for (int k = 0; k < 4; ++k)
        game.desktop.Redo();
    EXPECT_EQ(Positions(game.game), states.last());
    while (game.desktop.Redo()) {
    }
    EXPECT_EQ(Positions(game.game), last);

    game.desktop.ResetGame();
    EXPECT_FALSE(game.desktop.Undo()) << "a reset empties the history";
}

TEST_F(DesktopAids, ZoomKeepsStoredPositionsInDesktopCoordinates)
{
    const QPoint placed(800, 360);
    Place(0, placed);
    game.desktop.SetZoom(0.5, QPoint(0, 0));
    EXPECT_EQ(Stored(game.Piece(0)), placed);
    EXPECT_EQ(game.desktop.Canvas()->WidgetBounds(*game.Image(0)).topLeft(), placed / 2);
    EXPECT_EQ(game.desktop.Canvas()->WidgetBounds(*game.Image(1)).width(), game.geometry.pieceWidth)
        << "the palette keeps its size";

    // Dropped at view (400, 300) zoomed out: desktop (800, 600), on a cell corner.
    Place(1, QPoint(400, 300));
    EXPECT_EQ(Stored(game.Piece(1)), QPoint(800, 600));
    game.DragTo(game.Image(0), QPoint(600, 150));
    EXPECT_EQ(Stored(game.Piece(0)), QPoint(1200, 300));

    game.desktop.SetZoom(1.0, QPoint(0, 0));
    EXPECT_EQ(game.desktop.ViewPosition(game.Image(1)), QPoint(800, 600));
}

TEST_F(DesktopAids, BorderFilterShowsExactlyTheBorderPieces)
{
    game.desktop.SetBorderPiecesOnly(true);
    EXPECT_EQ(game.desktop.PalettePieces().size(), 24);
    for (const int piece : game.desktop.PalettePieces())
        EXPECT_TRUE(IsBorderPiece({7, 7, 80, 60}, game.Piece(piece)));
    game.desktop.SetBorderPiecesOnly(false);
    EXPECT_EQ(game.desktop.PalettePieces().size(), 49);
}

// With joined pieces moving together, neither a Ctrl+click selection nor finding lost pieces
// takes a joined group apart.
TEST_F(DesktopAids, SelectionAndLostPiecesKeepJoinedGroupsWhole)
{
    PlaceCorner();
    game.desktop.SetGroupMoves(true);
    QTest::mouseClick(game.desktop.Canvas(), Qt::LeftButton, Qt::ControlModifier,
                      game.Image(1)->Position() + game.BodyPoint());
    QTest::mouseClick(game.desktop.Canvas(), Qt::LeftButton, Qt::ControlModifier,
                      game.Image(3)->Position() + game.BodyPoint());
    EXPECT_EQ(game.desktop.Selection().size(), 4);
    game.DragTo(game.Image(3), Origin + QPoint(480, 240));
    EXPECT_EQ(Stored(game.Piece(0)), Origin + QPoint(0, 240));
    EXPECT_EQ(Stored(game.Piece(7)), Origin + QPoint(0, 300));
    game.desktop.ClearSelection();

    // The group dragged far away, one of its pieces out of view: all three come back.
    game.DragTo(game.Image(0), QPoint(5000, 4000));
    ASSERT_EQ(Stored(game.Piece(1)), Stored(game.Piece(0)) + QPoint(80, 0));
    ASSERT_GT(Stored(game.Piece(0)).x(), 4000);
    EXPECT_EQ(game.desktop.FindLostPieces(), 3);
    const QPoint back = Stored(game.Piece(0));
    EXPECT_EQ(Stored(game.Piece(1)), back + QPoint(80, 0));
    EXPECT_EQ(Stored(game.Piece(7)), back + QPoint(0, 60));
    EXPECT_EQ(JoinedGroup({7, 7, 80, 60}, game.desktop.Pieces(), 0).size(), 3);
    EXPECT_NE(back, Stored(game.Piece(3)));
}

TEST_F(DesktopAids, LostPiecesComeBackIntoViewWithoutCoveringPlacedOnes)
{
    PlaceCorner();
    game.desktop.PlacePiece(game.Image(20), 5000, 4000);
    game.desktop.PlacePiece(game.Image(21), 0, 300); // under the palette strip
    EXPECT_EQ(game.desktop.FindLostPieces(), 2);
    const QRect view(QPoint(game.desktop.m_paletteStrip->Bounds().right(), 0),
                     game.desktop.m_scrollArea->viewport()->size());
    for (const int lost : {20, 21}) {
        const QPoint back = Stored(game.Piece(lost));
        EXPECT_TRUE(view.contains(QRect(back, game.Image(lost)->Bounds().size()))) << lost;
        for (const int placed : {0, 1, 3, 7})
            EXPECT_NE(back, Stored(game.Piece(placed)));
    }
    EXPECT_NE(Stored(game.Piece(20)), Stored(game.Piece(21)));
    EXPECT_TRUE(game.desktop.Undo());
    EXPECT_EQ(Stored(game.Piece(20)), QPoint(5000, 4000));
}

TEST_F(DesktopAids, APieceIsPlacedWithTheKeysAlone)
{
    game.desktop.setFocus();
    const int first = game.desktop.PalettePieces().first();
    QTest::keyClick(&game.desktop, Qt::Key_P);
    ASSERT_EQ(game.desktop.KeyboardPiece(), game.desktop.ImageOfPiece(first));
    const QPoint picked = game.desktop.KeyboardPiece()->Position();
    QTest::keyClick(&game.desktop, Qt::Key_Right);
    QTest::keyClick(&game.desktop, Qt::Key_Right);
    QTest::keyClick(&game.desktop, Qt::Key_Down);
    QTest::keyClick(&game.desktop, Qt::Key_Return);
    EXPECT_EQ(Stored(game.Piece(first)), picked + QPoint(160, 60));
    EXPECT_EQ(game.desktop.PalettePieces().size(), 48);
    EXPECT_EQ(game.desktop.KeyboardPiece(), nullptr);

    // N takes the piece on the desktop; Left moves it back a cell.
    QTest::keyClick(&game.desktop, Qt::Key_N);
    ASSERT_EQ(game.desktop.KeyboardPiece(), game.desktop.ImageOfPiece(first));
    QTest::keyClick(&game.desktop, Qt::Key_Left);
    QTest::keyClick(&game.desktop, Qt::Key_Space);
    EXPECT_EQ(Stored(game.Piece(first)), picked + QPoint(80, 60));

    EXPECT_TRUE(game.desktop.Undo());
    EXPECT_TRUE(game.desktop.Undo());
    EXPECT_EQ(game.desktop.PalettePieces().size(), 49);
}

TEST_F(DesktopAids, SelectedPiecesMoveTogether)
{
    PlaceCorner();
    // A rubber band from empty desktop over pieces 1 and 3 ...
    QTest::mousePress(game.desktop.Canvas(), Qt::LeftButton, {}, QPoint(400, 100));
    QTest::mouseMove(game.desktop.Canvas(), QPoint(800, 130));
    QTest::mouseRelease(game.desktop.Canvas(), Qt::LeftButton, {}, QPoint(800, 130));
    EXPECT_EQ(game.desktop.Selection(), (QList<TPieceImage *>{game.Image(1), game.Image(3)}));
    // ... and Ctrl+click adds piece 7.
    QTest::mouseClick(game.desktop.Canvas(), Qt::LeftButton, Qt::ControlModifier,
                      game.Image(7)->Position() + game.BodyPoint());
    EXPECT_EQ(game.desktop.Selection().size(), 3);

    game.DragTo(game.Image(3), Origin + QPoint(480, 240));
    EXPECT_EQ(Stored(game.Piece(1)), Origin + QPoint(80, 240));
    EXPECT_EQ(Stored(game.Piece(7)), Origin + QPoint(0, 300));
    EXPECT_EQ(Stored(game.Piece(0)), Origin) << "not selected";
}
