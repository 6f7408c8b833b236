#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <gtest/gtest.h>

TEST(Geometry, WorkedExamples)
{
    EXPECT_EQ(ComputePieceGeometry(800, 600, 10, 12), (TPieceGeometry{80, 50, 20, 120, 90, 6}));
    EXPECT_EQ(ComputePieceGeometry(805, 600, 10, 12)->cellWidth, 80) << "80.5 rounds to even";
    EXPECT_EQ(ComputePieceGeometry(815, 600, 10, 12)->cellWidth, 82) << "81.5 rounds to even";
    EXPECT_EQ(ComputePieceGeometry(816, 600, 10, 12)->cellWidth, 82);
}

TEST(Geometry, MarginIsTwoFifthsOfTheSmallerCellSideWithinTenAndForty)
{
    EXPECT_EQ(ComputePieceGeometry(200, 1000, 10, 10)->margin, 10) << "20 gives 8, raised to 10";
    EXPECT_EQ(ComputePieceGeometry(1500, 1500, 10, 10)->margin, 40) << "150 gives 60, lowered";
    EXPECT_EQ(ComputePieceGeometry(500, 900, 10, 10)->margin, 20) << "50 gives 20, not 19";
    const TPieceGeometry g = *ComputePieceGeometry(500, 900, 10, 10);
    EXPECT_EQ(g.pieceWidth, 50 + 40);
    EXPECT_EQ(g.pieceHeight, 90 + 40);
}

TEST(Geometry, UnplayableGridsAndPictures)
{
    EXPECT_FALSE(ComputePieceGeometry(800, 600, 0, 12));
    EXPECT_FALSE(ComputePieceGeometry(800, 600, 10, -3));
    EXPECT_FALSE(ComputePieceGeometry(8000, 6000, 101, 12));
    EXPECT_FALSE(ComputePieceGeometry(8000, 6000, 10, 101));
    EXPECT_TRUE(ComputePieceGeometry(8000, 6000, 100, 100));
    EXPECT_FALSE(ComputePieceGeometry(4, 600, 10, 12)) << "cells would be 0 pixels wide";
    EXPECT_FALSE(ComputePieceGeometry(5, 600, 10, 12)) << "0.5 rounds to 0";
    EXPECT_EQ(ComputePieceGeometry(6, 6, 10, 10)->cellWidth, 1);
    EXPECT_FALSE(ComputePieceGeometry(0, 0, 10, 12));
}

TEST(Grid, DocumentValuesWithTheirFallbacks)
{
    TKeyedNode document;
    TPuzzleGrid grid = GridOf(ReadPuzzleGame(document));
    EXPECT_EQ(grid.cols, 10);
    EXPECT_EQ(grid.rows, 12);
    EXPECT_TRUE(grid.drawBorders);

    document.SetAttr("COLS", "0");
    document.SetAttr("ROWS", "-4");
    grid = GridOf(ReadPuzzleGame(document));
    EXPECT_EQ(grid.cols, 10) << "below 1 reads as absent";
    EXPECT_EQ(grid.rows, 12);

    document.SetAttr("COLS", "abc");
    document.SetAttr("ROWS", "15");
    document.SetAttr("BRDRS", "n");
    grid = GridOf(ReadPuzzleGame(document));
    EXPECT_EQ(grid.cols, 10);
    EXPECT_EQ(grid.rows, 15);
    EXPECT_TRUE(grid.drawBorders) << "only an exact N turns borders off";
    document.SetAttr("BRDRS", "N");
    EXPECT_FALSE(GridOf(ReadPuzzleGame(document)).drawBorders);
}

TEST(RenderCell, ShowsThePictureFromTheOffsetAndWhiteBeyondIt)
{
    QImage source(10, 8, QImage::Format_RGB888);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            source.setPixel(x, y, qRgb(x * 20, y * 20, 7));
    QImage work(6, 5, QImage::Format_RGB888);
    work.fill(Qt::black);

    RenderCell(work, source, -2, -1);
    EXPECT_EQ(work.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(work.pixel(2, 0), qRgb(255, 255, 255)) << "the row above the picture";
    EXPECT_EQ(work.pixel(1, 1), qRgb(255, 255, 255)) << "the column left of the picture";
    EXPECT_EQ(work.pixel(2, 1), qRgb(0, 0, 7));
    EXPECT_EQ(work.pixel(5, 4), qRgb(60, 60, 7));

    RenderCell(work, source, 7, 6);
    EXPECT_EQ(work.pixel(2, 1), qRgb(180, 140, 7));
    EXPECT_EQ(work.pixel(3, 1), qRgb(255, 255, 255)) << "the far side beyond the picture";
    EXPECT_EQ(work.pixel(2, 2), qRgb(255, 255, 255));

    RenderCell(work, source, 50, 0);
    EXPECT_EQ(work.pixel(0, 0), qRgb(255, 255, 255)) << "wholly outside the picture";

    QImage wrong(6, 5, QImage::Format_RGB32);
    EXPECT_THROW(RenderCell(wrong, source, 0, 0), std::invalid_argument);
}

TEST(Cutting, EveryRecordGivesAPieceOfThePieceSize)
{
    TRandomGenerator random(1234);
    TPuzzleGame game = MakePuzzleGame({7, 9, true, "P", "", ""}, random);
    QImage picture(905, 700, QImage::Format_RGB32);
    picture.fill(qRgb(30, 60, 90));

    const std::optional<TPuzzleCut> cut = CutPuzzle(picture, game);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->geometry, *ComputePieceGeometry(905, 700, 9, 7));
    ASSERT_EQ(cut->pieces.size(), 63u);
    EXPECT_EQ(cut->pieces[10].row, 1);
    EXPECT_EQ(cut->pieces[10].col, 1);
    for (const TCutPiece &piece : cut->pieces) {
        ASSERT_EQ(piece.image.size(), QSize(cut->geometry.pieceWidth, cut->geometry.pieceHeight));
        EXPECT_EQ(piece.image.pixel(0, piece.image.height() - 1), 0u);
        const int m = cut->geometry.margin;
        EXPECT_EQ(piece.image.pixel(m + 2, m + 2), qRgb(30, 60, 90)) << "inside the cell";
    }

    game.pieces.pop_back();
    EXPECT_EQ(CutPuzzle(picture, game)->pieces.size(), 62u) << "a cell without a piece";
    EXPECT_FALSE(CutPuzzle(QImage(4, 700, QImage::Format_RGB32), game));
}
