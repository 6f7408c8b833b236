// A real puzzle played to the end on the desktop alone: every piece taken from the palette in
// its shuffled order and dragged with the mouse to its place, with every move checked in the
// document.

#include "engine/container/DocumentValues.h"
#include "engine/container/PuzzleSchema.h"
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

QPoint StoredPosition(const TKeyedNode *record)
{
    return {TextToIntDef(record->GetAttr(PuzzleSchema::KeyPieceLeft), -1),
            TextToIntDef(record->GetAttr(PuzzleSchema::KeyPieceTop), -1)};
}

QPoint Target(const TKeyedNode *record)
{
    const int col = TextToIntDef(record->GetAttr(PuzzleSchema::KeyCol), -1);
    const int row = TextToIntDef(record->GetAttr(PuzzleSchema::KeyRow), -1);
    return Origin + QPoint(col * 80, row * 60);
}

// Every record's position attributes, in document order.
QList<QByteArray> Positions(const TKeyedNode &pieces)
{
    QList<QByteArray> positions;
    for (int i = 0; i < pieces.ChildCount(); ++i)
        positions.append(pieces.Child(i)->GetAttr(PuzzleSchema::KeyPieceLeft) + "," +
                         pieces.Child(i)->GetAttr(PuzzleSchema::KeyPieceTop));
    return positions;
}

} // namespace

TEST(DesktopPlay, RealPuzzlePlayedToSolvedWithEveryMoveInTheDocument)
{
    TDesktopGame game(GridSize, GridSize, QSize(560, 420), QSize(1400, 900));
    ASSERT_EQ(game.geometry.cellWidth, 80);
    ASSERT_EQ(game.geometry.cellHeight, 60);
    QSignalSpy dropped(&game.desktop, &TPuzzleDesktop::OnPieceDropped);

    // A false start: the first palette piece goes to a wrong place, then back to the palette.
    TKeyedNode *wanderer = game.desktop.PaletteRecords().first();
    game.DragTo(game.desktop.ImageOfRecord(wanderer), QPoint(1000, 600));
    EXPECT_EQ(StoredPosition(wanderer), QPoint(1040, 600));
    game.DragTo(game.desktop.ImageOfRecord(wanderer), QPoint(40, 300));
    EXPECT_TRUE(wanderer->GetAttr(PuzzleSchema::KeyPieceLeft).isEmpty());

    int moves = 2;
    while (!game.desktop.PaletteRecords().isEmpty()) {
        EXPECT_FALSE(game.desktop.IsSolved());
        const QList<QByteArray> before = Positions(*game.pieces);
        TKeyedNode *record = game.desktop.PaletteRecords().first();
        TPieceImage *image = game.desktop.ImageOfRecord(record);
        ASSERT_TRUE(image->IsVisible()) << "the palette shows its first piece";
        game.DragTo(image, Target(record));
        ++moves;
        ASSERT_EQ(StoredPosition(record), Target(record));
        EXPECT_EQ(game.desktop.ViewPosition(image), Target(record));
        const QList<QByteArray> after = Positions(*game.pieces);
        int changed = 0;
        for (int i = 0; i < after.size(); ++i)
            changed += before[i] != after[i];
        EXPECT_EQ(changed, 1) << "one move, one record";
    }
    EXPECT_EQ(dropped.count(), moves);
    EXPECT_TRUE(game.desktop.IsSolved());

    // The document alone holds the game: a copy read back from its text is solved too.
    TKeyedNode copy;
    copy.LoadFromText(game.document.SaveToText());
    const TKeyedNode *copiedPieces = copy.FindChild(PuzzleSchema::PiecesNode);
    ASSERT_NE(copiedPieces, nullptr);
    EXPECT_EQ(Positions(*copiedPieces), Positions(*game.pieces));
    for (int i = 0; i < copiedPieces->ChildCount(); ++i)
        EXPECT_EQ(StoredPosition(copiedPieces->Child(i)), Target(copiedPieces->Child(i)));

    // Moving one piece away unsolves it; moving it back solves it again.
    TKeyedNode *corner = game.desktop.PieceAt(GridSize - 1, GridSize - 1);
    game.DragTo(game.desktop.ImageOfRecord(corner), Target(corner) + QPoint(80, 0));
    EXPECT_FALSE(game.desktop.IsSolved());
    game.DragTo(game.desktop.ImageOfRecord(corner), Target(corner) + QPoint(3, -4));
    EXPECT_TRUE(game.desktop.IsSolved()) << "snapped back onto its cell";
}

TEST(DesktopPlay, ShiftedAssemblyIsSolved)
{
    TDesktopGame game(GridSize, GridSize, QSize(560, 420), QSize(1400, 900));
    for (int i = 0; i < game.PieceCount(); ++i) {
        const QPoint place = Target(game.Record(i)) + QPoint(160, 60);
        game.desktop.PlacePiece(game.Image(i), place.x(), place.y());
        game.Record(i)->SetAttr(PuzzleSchema::KeyPieceLeft, IntToText(place.x()));
        game.Record(i)->SetAttr(PuzzleSchema::KeyPieceTop, IntToText(place.y()));
    }
    EXPECT_TRUE(game.desktop.IsSolved());
    game.desktop.ResetGame();
    EXPECT_FALSE(game.desktop.IsSolved());
    EXPECT_EQ(game.desktop.PaletteRecords().size(), GridSize * GridSize);
}

// The smallest and the largest grid the maker offers: the last piece is dragged home with the
// mouse onto an assembly laid from the palette, and the saved document is solved on its own.
TEST(DesktopPlay, GridEndsPlayJoinSolveAndSave)
{
    for (const int size : {MakerMinGridSize, MakerMaxGridSize}) {
        SCOPED_TRACE(size);
        TDesktopGame game(size, size, QSize(40 * size, 30 * size), QSize(1400, 900));
        ASSERT_EQ(game.PieceCount(), size * size);
        const QPoint origin(5 * game.geometry.cellWidth, 2 * game.geometry.cellHeight);
        const auto target = [&](const TKeyedNode *record) {
            return origin + QPoint(TextToIntDef(record->GetAttr(PuzzleSchema::KeyCol), -1) *
                                       game.geometry.cellWidth,
                                   TextToIntDef(record->GetAttr(PuzzleSchema::KeyRow), -1) *
                                       game.geometry.cellHeight);
        };
        TKeyedNode *last = game.desktop.PieceAt(0, 0);
        for (TKeyedNode *record : game.desktop.Records()) {
            if (record == last)
                continue;
            const QPoint place = target(record);
            game.desktop.PlacePiece(game.desktop.ImageOfRecord(record), place.x(), place.y());
            record->SetAttr(PuzzleSchema::KeyPieceLeft, IntToText(place.x()));
            record->SetAttr(PuzzleSchema::KeyPieceTop, IntToText(place.y()));
        }
        game.desktop.RefreshPalette();
        ASSERT_EQ(game.desktop.PaletteRecords(), QList<TKeyedNode *>{last});
        EXPECT_FALSE(game.desktop.IsSolved());
        game.DragTo(game.desktop.ImageOfRecord(last), target(last) + QPoint(2, -3));
        EXPECT_EQ(StoredPosition(last), target(last));
        EXPECT_EQ(game.desktop.SparkleFramesShown(), 0) << "the join sparkle has started";
        EXPECT_TRUE(game.desktop.m_sparkle->isVisible());
        EXPECT_TRUE(game.desktop.IsSolved());

        TKeyedNode copy;
        copy.LoadFromText(game.document.SaveToText());
        const TKeyedNode *copied = copy.FindChild(PuzzleSchema::PiecesNode);
        ASSERT_EQ(copied->ChildCount(), size * size);
        QList<TKeyedNode *> records;
        for (int i = 0; i < copied->ChildCount(); ++i)
            records.append(copied->Child(i));
        EXPECT_TRUE(
            IsSolved({size, size, game.geometry.cellWidth, game.geometry.cellHeight}, records));
    }
}
