#include "engine/jigsaw/Joining.h"

#include <QPoint>
#include <QSize>
#include <gtest/gtest.h>
#include <vector>

namespace
{

constexpr int CellWidth = 80;
constexpr int CellHeight = 50;

// cols × rows pieces in row-major order, none placed.
class Joining : public ::testing::Test
{
protected:
    void MakeGrid(int cols, int rows)
    {
        m_grid = {cols, rows, CellWidth, CellHeight};
        m_pieces.clear();
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < cols; ++col) {
                TPiece piece;
                piece.row = row;
                piece.col = col;
                m_pieces.push_back(piece);
            }
        }
    }

    int At(int col, int row) const { return row * m_grid.cols + col; }
    TPiece &Piece(int col, int row) { return m_pieces[static_cast<std::size_t>(At(col, row))]; }

    void Place(int col, int row, int left, int top) { Piece(col, row).position = {left, top}; }

    void Assemble(QPoint origin)
    {
        for (int row = 0; row < m_grid.rows; ++row)
            for (int col = 0; col < m_grid.cols; ++col)
                Place(col, row, origin.x() + col * CellWidth, origin.y() + row * CellHeight);
    }

    bool Fits(int piece, int direction) const
    {
        return FitsNeighbour(m_grid, m_pieces, piece, direction);
    }
    bool Solved() const { return IsSolved(m_grid, m_pieces); }

    std::vector<TPiece> m_pieces;
    TJoinGrid m_grid;
};

} // namespace

TEST_F(Joining, NeighboursStopAtTheBorder)
{
    MakeGrid(3, 2);
    EXPECT_EQ(NeighbourOf(m_grid, m_pieces, At(1, 0), JoinRight), At(2, 0));
    EXPECT_EQ(NeighbourOf(m_grid, m_pieces, At(1, 0), JoinLeft), At(0, 0));
    EXPECT_EQ(NeighbourOf(m_grid, m_pieces, At(1, 0), JoinDown), At(1, 1));
    EXPECT_EQ(NeighbourOf(m_grid, m_pieces, At(1, 1), JoinUp), At(1, 0));
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, At(1, 0), JoinUp));
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, At(1, 1), JoinDown));
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, At(2, 0), JoinRight)) << "not the next row's first";
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, At(0, 1), JoinLeft)) << "not the last row's last";
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, 6, JoinRight)) << "no such piece";
    EXPECT_FALSE(NeighbourOf(m_grid, m_pieces, -1, JoinRight));
}

TEST_F(Joining, FitToleranceIsTwoPixels)
{
    MakeGrid(3, 2);
    Place(0, 0, 160, 80);
    Place(1, 0, 240, 80);
    EXPECT_TRUE(Fits(At(0, 0), JoinRight));
    EXPECT_TRUE(Fits(At(1, 0), JoinLeft));
    Place(1, 0, 242, 79);
    EXPECT_TRUE(Fits(At(0, 0), JoinRight));
    EXPECT_TRUE(Fits(At(1, 0), JoinLeft));
    Place(1, 0, 243, 80);
    EXPECT_FALSE(Fits(At(0, 0), JoinRight));
    Place(1, 0, 240, 77);
    EXPECT_FALSE(Fits(At(0, 0), JoinRight));
    Place(1, 0, 238, 82);
    EXPECT_TRUE(Fits(At(0, 0), JoinRight));
}

TEST_F(Joining, VerticalFitUsesTheCellHeight)
{
    MakeGrid(2, 2);
    Place(1, 0, 400, 300);
    Place(1, 1, 400, 350);
    EXPECT_TRUE(Fits(At(1, 0), JoinDown));
    EXPECT_TRUE(Fits(At(1, 1), JoinUp));
    EXPECT_FALSE(Fits(At(1, 1), JoinDown));
    Place(1, 1, 400, 380);
    EXPECT_FALSE(Fits(At(1, 0), JoinDown));
}

TEST_F(Joining, BorderPiecesNeverFitOutward)
{
    MakeGrid(3, 2);
    // The piece before (0, 1) is (2, 0); it lies exactly one cell to the left.
    Place(0, 1, 160, 80);
    Place(2, 0, 80, 80);
    EXPECT_FALSE(Fits(At(0, 1), JoinLeft));
    EXPECT_FALSE(Fits(At(2, 0), JoinRight));
}

TEST_F(Joining, PalettePiecesFitNothing)
{
    MakeGrid(2, 1);
    Place(0, 0, 0, 0);
    EXPECT_FALSE(Fits(At(0, 0), JoinRight)) << "the neighbour is on the palette";
    Place(1, 0, 80, 0);
    EXPECT_TRUE(Fits(At(0, 0), JoinRight));
    Piece(0, 0).position.reset();
    EXPECT_FALSE(Fits(At(0, 0), JoinRight));
    EXPECT_FALSE(Fits(-1, JoinRight));
}

TEST_F(Joining, ExtremePositionsDoNotOverflow)
{
    MakeGrid(2, 1);
    Place(0, 0, 2147483647, 0);
    Place(1, 0, -2147483647 - 1, 0);
    EXPECT_FALSE(Fits(At(0, 0), JoinRight));
    EXPECT_FALSE(Fits(At(1, 0), JoinLeft));
}

TEST_F(Joining, JoinCheckTriesUpRightDownLeft)
{
    MakeGrid(3, 3);
    Place(1, 1, 80, 50);
    EXPECT_FALSE(FirstFittingDirection(m_grid, m_pieces, At(1, 1)));
    Place(0, 1, 0, 50);
    EXPECT_EQ(FirstFittingDirection(m_grid, m_pieces, At(1, 1)), JoinLeft);
    Place(1, 2, 80, 100);
    EXPECT_EQ(FirstFittingDirection(m_grid, m_pieces, At(1, 1)), JoinDown);
    Place(1, 0, 80, 0);
    EXPECT_EQ(FirstFittingDirection(m_grid, m_pieces, At(1, 1)), JoinUp);
}

TEST_F(Joining, PieceAtIsInsideTheGridAndThePieces)
{
    MakeGrid(3, 2);
    EXPECT_EQ(PieceAt(m_grid, m_pieces, 2, 1), At(2, 1));
    EXPECT_FALSE(PieceAt(m_grid, m_pieces, 3, 0));
    EXPECT_FALSE(PieceAt(m_grid, m_pieces, -1, 0));
    EXPECT_FALSE(PieceAt(m_grid, m_pieces, 0, 2));
    m_pieces.pop_back();
    EXPECT_FALSE(PieceAt(m_grid, m_pieces, 2, 1));
}

TEST_F(Joining, AssemblyIsSolvedWhereverItLies)
{
    MakeGrid(4, 3);
    EXPECT_FALSE(Solved());
    for (const QPoint origin :
         {QPoint(0, 0), QPoint(3 * CellWidth, 5 * CellHeight), QPoint(7, 13)}) {
        Assemble(origin);
        EXPECT_TRUE(Solved());
    }
}

TEST_F(Joining, OnePalettePieceOrOneMisplacedPieceIsNotSolved)
{
    MakeGrid(4, 3);
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 3; ++row) {
            Assemble({160, 100});
            Piece(col, row).position.reset();
            EXPECT_FALSE(Solved()) << col << "," << row << " on the palette";
            Assemble({160, 100});
            Place(col, row, 160 + col * CellWidth, 100 + (row + 1) * CellHeight);
            EXPECT_FALSE(Solved()) << col << "," << row << " one cell too low";
        }
    }
}

TEST_F(Joining, MissingPieceIsNotSolved)
{
    MakeGrid(3, 3);
    Assemble({0, 0});
    m_pieces.pop_back();
    EXPECT_FALSE(Solved());
}

// A single row or column has no bottom-right piece with pieces above and to its left; its
// pieces are chained along the line instead.
TEST_F(Joining, SingleRowIsSolvedWhenChained)
{
    MakeGrid(3, 1);
    Assemble({80, 50});
    EXPECT_TRUE(Solved());
    Place(2, 0, 400, 50);
    EXPECT_FALSE(Solved());
}

TEST_F(Joining, SingleColumnIsSolvedWhenChained)
{
    MakeGrid(1, 3);
    Assemble({0, 0});
    EXPECT_TRUE(Solved());
    Piece(0, 1).position.reset();
    EXPECT_FALSE(Solved());
}

TEST_F(Joining, SinglePieceIsSolvedOnTheDesktop)
{
    MakeGrid(1, 1);
    EXPECT_FALSE(Solved());
    Place(0, 0, 123, 45);
    EXPECT_TRUE(Solved());
    EXPECT_FALSE(IsSolved(TJoinGrid{0, 0, CellWidth, CellHeight}, {}));
}

// Every piece of an assembly counts: each one turned, one at a time, unsolves it and breaks
// its joins; turned back upright, it fits again.
TEST_F(Joining, TurnedPiecesJoinNothingAndLeaveThePuzzleUnsolved)
{
    for (const QSize grid : {QSize(3, 3), QSize(1, 1), QSize(4, 1)}) {
        MakeGrid(grid.width(), grid.height());
        Assemble({400, 300});
        ASSERT_TRUE(Solved());
        for (std::size_t piece = 0; piece < m_pieces.size(); ++piece) {
            for (const int turn : {1, 2, 3}) {
                m_pieces[piece].turn = turn;
                EXPECT_FALSE(Solved());
                EXPECT_FALSE(FirstFittingDirection(m_grid, m_pieces, static_cast<int>(piece)));
            }
            m_pieces[piece].turn = 0;
            EXPECT_TRUE(Solved());
        }
    }
}
