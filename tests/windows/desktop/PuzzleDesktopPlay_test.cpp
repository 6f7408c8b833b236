// A real puzzle played to the end on the desktop alone: every piece taken from the palette in
// its shuffled order and dragged with the mouse to its place, with every move checked in the
// game and in the document it is kept in.

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "support/DesktopFixture.h"
#include "windows/common/AnimatedImage.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{

constexpr int GridSize = 7;
// The assembly's top-left corner, on the cell grid (cells are 80 × 60).
const QPoint Origin(3 * 80, 2 * 60);

QPoint Target(const TPiece &piece)
{
    return Origin + QPoint(piece.col * 80, piece.row * 60);
}

// Every piece's position, in the game's order.
QList<std::optional<QPoint>> Positions(const TPuzzleGame &game)
{
    QList<std::optional<QPoint>> positions;
    for (const TPiece &piece : game.pieces)
        positions.append(piece.position);
    return positions;
}

} // namespace

TEST(DesktopPlay, RealPuzzlePlayedToSolvedWithEveryMoveInTheGame)
{
    TDesktopGame game(GridSize, GridSize, QSize(560, 420), QSize(1400, 900));
    ASSERT_EQ(game.geometry.cellWidth, 80);
    ASSERT_EQ(game.geometry.cellHeight, 60);
    QSignalSpy dropped(&game.desktop, &TPuzzleDesktop::OnPieceDropped);

    // A false start: the first palette piece goes to a wrong place, then back to the palette.
    const int wanderer = game.desktop.PalettePieces().first();
    game.DragTo(game.desktop.ImageOfPiece(wanderer), QPoint(1000, 600));
    EXPECT_EQ(game.Piece(wanderer).position, QPoint(1040, 600));
    game.DragTo(game.desktop.ImageOfPiece(wanderer), QPoint(40, 300));
    EXPECT_FALSE(game.Piece(wanderer).position);

    int moves = 2;
    while (!game.desktop.PalettePieces().isEmpty()) {
        EXPECT_FALSE(game.desktop.IsSolved());
        const auto before = Positions(game.game);
        const int piece = game.desktop.PalettePieces().first();
        TPieceImage *image = game.desktop.ImageOfPiece(piece);
        ASSERT_TRUE(image->IsVisible()) << "the palette shows its first piece";
        game.DragTo(image, Target(game.Piece(piece)));
        ++moves;
        ASSERT_EQ(game.Piece(piece).position, Target(game.Piece(piece)));
        EXPECT_EQ(game.desktop.ViewPosition(image), Target(game.Piece(piece)));
        const auto after = Positions(game.game);
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += before[i] != after[i];
        EXPECT_EQ(changed, 1) << "one move, one piece";
    }
    EXPECT_EQ(dropped.count(), moves);
    EXPECT_TRUE(game.desktop.IsSolved());

    // The document alone holds the game: a copy read back from its text is the same game.
    const TPuzzleDocument copy(game.document.Text());
    EXPECT_EQ(copy.Game(), game.game);

    // Moving one piece away unsolves it; moving it back solves it again.
    const int corner = *game.desktop.PieceAt(GridSize - 1, GridSize - 1);
    const QPoint home = Target(game.Piece(corner));
    game.DragTo(game.desktop.ImageOfPiece(corner), home + QPoint(80, 0));
    EXPECT_FALSE(game.desktop.IsSolved());
    game.DragTo(game.desktop.ImageOfPiece(corner), home + QPoint(3, -4));
    EXPECT_TRUE(game.desktop.IsSolved()) << "snapped back onto its cell";
}

TEST(DesktopPlay, ShiftedAssemblyIsSolved)
{
    TDesktopGame game(GridSize, GridSize, QSize(560, 420), QSize(1400, 900));
    for (int i = 0; i < game.PieceCount(); ++i) {
        const QPoint place = Target(game.Piece(i)) + QPoint(160, 60);
        game.desktop.PlacePiece(game.Image(i), place.x(), place.y());
        game.Piece(i).position = place;
    }
    EXPECT_TRUE(game.desktop.IsSolved());
    game.desktop.ResetGame();
    EXPECT_FALSE(game.desktop.IsSolved());
    EXPECT_EQ(game.desktop.PalettePieces().size(), GridSize * GridSize);
}

// The smallest and the largest grid the maker offers: the last piece is dragged home with the
// mouse onto an assembly laid from the palette, and the saved document is solved on its own.
TEST(DesktopPlay, GridEndsPlayJoinSolveAndSave)
{
    for (const int size : {MakerMinGridSize, MakerMaxGridSize}) {
        SCOPED_TRACE(size);
        // Small cells for the largest grid, so that 10,000 pieces stay quick to cut.
        const QSize cell = size == MakerMaxGridSize ? QSize(12, 10) : QSize(40, 30);
        TDesktopGame game(size, size, cell * size, QSize(1400, 900));
        ASSERT_EQ(game.PieceCount(), size * size);
        const QPoint origin(5 * game.geometry.cellWidth, 2 * game.geometry.cellHeight);
        const auto target = [&](const TPiece &piece) {
            return origin + QPoint(piece.col * game.geometry.cellWidth,
                                   piece.row * game.geometry.cellHeight);
        };
        const int last = *game.desktop.PieceAt(0, 0);
        for (int piece = 0; piece < game.PieceCount(); ++piece) {
            if (piece == last)
                continue;
            const QPoint place = target(game.Piece(piece));
            game.desktop.PlacePiece(game.desktop.ImageOfPiece(piece), place.x(), place.y());
            game.Piece(piece).position = place;
        }
        game.desktop.RefreshPalette();
        ASSERT_EQ(game.desktop.PalettePieces(), QList<int>{last});
        EXPECT_FALSE(game.desktop.IsSolved());
        game.DragTo(game.desktop.ImageOfPiece(last), target(game.Piece(last)) + QPoint(2, -3));
        EXPECT_EQ(game.Piece(last).position, target(game.Piece(last)));
        EXPECT_EQ(game.desktop.SparkleFramesShown(), 0) << "the join sparkle has started";
        EXPECT_TRUE(game.desktop.m_sparkle->isVisible());
        EXPECT_TRUE(game.desktop.IsSolved());

        const TPuzzleDocument copy(game.document.Text());
        ASSERT_EQ(copy.Game().pieces.size(), static_cast<std::size_t>(size * size));
        EXPECT_TRUE(IsSolved({size, size, game.geometry.cellWidth, game.geometry.cellHeight},
                             copy.Game().pieces));
    }
}
