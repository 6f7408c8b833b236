// The rules behind big puzzles: counting progress, where laid-out pieces go, how far a piece
// moves to come out from under the palette strip, and the part of a piece that is kept.

#include "engine/jigsaw/DesktopGrid.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PlayProgress.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/SpreadPlaces.h"

#include <gtest/gtest.h>

namespace
{

constexpr TJoinGrid Grid{5, 4, 80, 60};

// A 5 × 4 game with every piece at its place of a solved assembly at (160, 120).
std::vector<TPiece> SolvedPieces()
{
    TRandomGenerator random(3);
    std::vector<TPiece> pieces = MakePieces(Grid.rows, Grid.cols, random);
    for (TPiece &piece : pieces)
        piece.position =
            QPoint(160 + piece.col * Grid.cellWidth, 120 + piece.row * Grid.cellHeight);
    return pieces;
}

} // namespace

TEST(PlayProgress, CountsEveryJoinOnceUpToTheGridsInnerEdges)
{
    EXPECT_EQ(PossibleJoins(100, 100), 19800);
    EXPECT_EQ(PossibleJoins(1, 1), 0);
    EXPECT_EQ(PossibleJoins(0, 7), 0);

    std::vector<TPiece> pieces = SolvedPieces();
    TPlayProgress solved = MeasureProgress(Grid, pieces);
    EXPECT_EQ(solved, (TPlayProgress{20, 20, 31, 31}));
    EXPECT_EQ(JoinedPercent(solved), 100);
    EXPECT_EQ(IsSolved(Grid, pieces), solved.joins == solved.possibleJoins);

    // An inner piece taken away parts its four joins; a corner piece moved off parts two.
    pieces[6].position.reset();
    pieces[0].position = QPoint(1000, 1000);
    const TPlayProgress partial = MeasureProgress(Grid, pieces);
    EXPECT_EQ(partial.onDesktop, 19);
    EXPECT_EQ(partial.joins, 31 - 4 - 2);
    EXPECT_EQ(JoinedPercent(partial), 80) << "25 of 31 is 80.6 %, rounded down";
    EXPECT_EQ(JoinedPercent({}), 0);
}

TEST(SpreadPlaces, PlacesLieInTheAreaApartAndClearOfPlacedPieces)
{
    const QSize cell(80, 60), piece(120, 90);
    const QRect area(150, 8, 1200, 700);
    const QList<QPoint> taken{{480, 120}, {0, 0}};
    const QList<QPoint> places = SpreadPlaces(area, cell, piece, taken, 1000);
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places.first(), QPoint(160, 60)) << "row by row from the area's first cell";
    for (qsizetype i = 0; i < places.size(); ++i) {
        const QRect laid(places[i], piece);
        EXPECT_TRUE(area.contains(laid)) << i;
        EXPECT_EQ(places[i].x() % cell.width() + places[i].y() % cell.height(), 0) << "on the grid";
        for (const QPoint &other : taken)
            EXPECT_FALSE(laid.intersects(QRect(other, piece))) << i;
        for (qsizetype j = 0; j < i; ++j) {
            EXPECT_FALSE(laid.intersects(QRect(places[j], piece))) << i << " and " << j;
            const QPoint apart = places[i] - places[j];
            EXPECT_FALSE(apart == QPoint(cell.width(), 0) || apart == QPoint(0, cell.height()))
                << "never a cell apart, so laid pieces do not join";
        }
    }
    EXPECT_EQ(SpreadPlaces(area, cell, piece, taken, 3).size(), 3);
    EXPECT_TRUE(SpreadPlaces(QRect(0, 0, 100, 100), cell, piece, {}, 5).isEmpty())
        << "a piece larger than the area fits nowhere";
}

TEST(ShiftToReach, WholeCellsUntilTheLimit)
{
    EXPECT_EQ(ShiftToReach(200, 151, 80), 0);
    EXPECT_EQ(ShiftToReach(151, 151, 80), 0);
    EXPECT_EQ(ShiftToReach(150, 151, 80), 80);
    EXPECT_EQ(ShiftToReach(20, 604, 80), 640);
    EXPECT_EQ(ShiftToReach(-500, 0, 0), 0) << "no cell, no shift";
}

// The kept part of every piece shape, turned, lies where the turned whole shows it.
TEST(PieceParts, OpaqueBoundsHoldEveryVisiblePixelAndTurnWithThePiece)
{
    const TPieceOutline outline(120, 90, 20);
    QImage source(400, 300, QImage::Format_RGB888);
    source.fill(QColor(90, 140, 200));
    QImage work;
    for (const int top : {-1, 0, 1})
        for (const int right : {-1, 0, 1}) {
            const QImage whole =
                ShapedPieceImage(source, 100, 80, {top, right, -right, -top}, outline, true, work);
            const QRect part = OpaqueBounds(whole);
            int outsideVisible = 0;
            for (int y = 0; y < whole.height(); ++y)
                for (int x = 0; x < whole.width(); ++x)
                    outsideVisible += !part.contains(x, y) && qAlpha(whole.pixel(x, y)) != 0;
            EXPECT_EQ(outsideVisible, 0);
            EXPECT_EQ(part.top() > 20, top == -1) << "a hole's band is not kept";
            for (int turn = 0; turn < 4; ++turn)
                EXPECT_EQ(TurnedImage(whole, turn).copy(TurnedRect(part, whole.size(), turn)),
                          TurnedImage(whole.copy(part), turn))
                    << top << right << turn;
        }
    QImage clear(4, 4, QImage::Format_ARGB32_Premultiplied);
    clear.fill(Qt::transparent);
    EXPECT_TRUE(OpaqueBounds(clear).isEmpty());
}
