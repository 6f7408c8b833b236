#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/PieceTurns.h"

#include <QPoint>
#include <QSize>
#include <gtest/gtest.h>

namespace
{

constexpr int CellWidth = 80;
constexpr int CellHeight = 50;

// A PIECES node of cols × rows records in row-major order, no piece placed.
class Joining : public ::testing::Test
{
protected:
    void MakeGrid(int cols, int rows)
    {
        m_grid = {cols, rows, CellWidth, CellHeight};
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < cols; ++col) {
                auto *record = new TKeyedNode(&m_pieces);
                record->SetName(PuzzleSchema::PieceNode);
                record->SetAttr(PuzzleSchema::KeyRow, IntToText(row));
                record->SetAttr(PuzzleSchema::KeyCol, IntToText(col));
                m_records.append(record);
            }
        }
    }

    TKeyedNode *At(int col, int row) { return m_records[row * m_grid.cols + col]; }

    void Place(int col, int row, int left, int top)
    {
        At(col, row)->SetAttr(PuzzleSchema::KeyPieceLeft, IntToText(left));
        At(col, row)->SetAttr(PuzzleSchema::KeyPieceTop, IntToText(top));
    }

    void Assemble(QPoint origin)
    {
        for (int row = 0; row < m_grid.rows; ++row)
            for (int col = 0; col < m_grid.cols; ++col)
                Place(col, row, origin.x() + col * CellWidth, origin.y() + row * CellHeight);
    }

    TKeyedNode m_pieces;
    QList<TKeyedNode *> m_records;
    TJoinGrid m_grid;
};

} // namespace

TEST_F(Joining, NeighboursStopAtTheBorder)
{
    MakeGrid(3, 2);
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 0), JoinRight), At(2, 0));
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 0), JoinLeft), At(0, 0));
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 0), JoinDown), At(1, 1));
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 1), JoinUp), At(1, 0));
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 0), JoinUp), nullptr);
    EXPECT_EQ(NeighbourOf(m_grid, At(1, 1), JoinDown), nullptr);
    EXPECT_EQ(NeighbourOf(m_grid, At(2, 0), JoinRight), nullptr) << "not the next row's first";
    EXPECT_EQ(NeighbourOf(m_grid, At(0, 1), JoinLeft), nullptr) << "not the last row's last";
    TKeyedNode orphan;
    EXPECT_EQ(NeighbourOf(m_grid, &orphan, JoinRight), nullptr);
    EXPECT_EQ(NeighbourOf(m_grid, nullptr, JoinRight), nullptr);
}

TEST_F(Joining, FitToleranceIsTwoPixels)
{
    MakeGrid(3, 2);
    Place(0, 0, 160, 80);
    Place(1, 0, 240, 80);
    EXPECT_TRUE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    EXPECT_TRUE(FitsNeighbour(m_grid, At(1, 0), JoinLeft));
    Place(1, 0, 242, 79);
    EXPECT_TRUE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    EXPECT_TRUE(FitsNeighbour(m_grid, At(1, 0), JoinLeft));
    Place(1, 0, 243, 80);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    Place(1, 0, 240, 77);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    Place(1, 0, 238, 82);
    EXPECT_TRUE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
}

TEST_F(Joining, VerticalFitUsesTheCellHeight)
{
    MakeGrid(2, 2);
    Place(1, 0, 400, 300);
    Place(1, 1, 400, 350);
    EXPECT_TRUE(FitsNeighbour(m_grid, At(1, 0), JoinDown));
    EXPECT_TRUE(FitsNeighbour(m_grid, At(1, 1), JoinUp));
    EXPECT_FALSE(FitsNeighbour(m_grid, At(1, 1), JoinDown));
    Place(1, 1, 400, 380);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(1, 0), JoinDown));
}

TEST_F(Joining, BorderPiecesNeverFitOutward)
{
    MakeGrid(3, 2);
    // The child before (0, 1) is (2, 0); it lies exactly one cell to the left.
    Place(0, 1, 160, 80);
    Place(2, 0, 80, 80);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 1), JoinLeft));
    EXPECT_FALSE(FitsNeighbour(m_grid, At(2, 0), JoinRight));
}

TEST_F(Joining, PalettePiecesAndBadValuesFitNothing)
{
    MakeGrid(2, 1);
    Place(0, 0, 0, 0);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight)) << "the neighbour is on the palette";
    Place(1, 0, 80, 0);
    At(1, 0)->SetAttr(PuzzleSchema::KeyPieceLeft, "abc");
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    At(1, 0)->SetAttr(PuzzleSchema::KeyPieceLeft, "80");
    At(0, 0)->DeleteAttr(PuzzleSchema::KeyPieceTop);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    EXPECT_FALSE(FitsNeighbour(m_grid, nullptr, JoinRight));
}

TEST_F(Joining, ExtremePositionsDoNotOverflow)
{
    MakeGrid(2, 1);
    Place(0, 0, 2147483647, 0);
    Place(1, 0, -2147483647 - 1, 0);
    EXPECT_FALSE(FitsNeighbour(m_grid, At(0, 0), JoinRight));
    EXPECT_FALSE(FitsNeighbour(m_grid, At(1, 0), JoinLeft));
}

TEST_F(Joining, JoinCheckTriesUpRightDownLeft)
{
    MakeGrid(3, 3);
    Place(1, 1, 80, 50);
    EXPECT_FALSE(FirstFittingDirection(m_grid, At(1, 1)));
    Place(0, 1, 0, 50);
    EXPECT_EQ(FirstFittingDirection(m_grid, At(1, 1)), JoinLeft);
    Place(1, 2, 80, 100);
    EXPECT_EQ(FirstFittingDirection(m_grid, At(1, 1)), JoinDown);
    Place(1, 0, 80, 0);
    EXPECT_EQ(FirstFittingDirection(m_grid, At(1, 1)), JoinUp);
}

TEST_F(Joining, PieceAtIsInsideTheGridAndTheList)
{
    MakeGrid(3, 2);
    EXPECT_EQ(PieceAt(m_grid, m_records, 2, 1), At(2, 1));
    EXPECT_EQ(PieceAt(m_grid, m_records, 3, 0), nullptr);
    EXPECT_EQ(PieceAt(m_grid, m_records, -1, 0), nullptr);
    EXPECT_EQ(PieceAt(m_grid, m_records, 0, 2), nullptr);
    m_records.removeLast();
    EXPECT_EQ(PieceAt(m_grid, m_records, 2, 1), nullptr);
}

TEST_F(Joining, AssemblyIsSolvedWhereverItLies)
{
    MakeGrid(4, 3);
    EXPECT_FALSE(IsSolved(m_grid, m_records));
    Assemble({0, 0});
    EXPECT_TRUE(IsSolved(m_grid, m_records));
    Assemble({3 * CellWidth, 5 * CellHeight});
    EXPECT_TRUE(IsSolved(m_grid, m_records));
    Assemble({7, 13});
    EXPECT_TRUE(IsSolved(m_grid, m_records));
}

TEST_F(Joining, OnePalettePieceOrOneMisplacedPieceIsNotSolved)
{
    MakeGrid(4, 3);
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 3; ++row) {
            Assemble({160, 100});
            At(col, row)->DeleteAttr(PuzzleSchema::KeyPieceLeft);
            At(col, row)->DeleteAttr(PuzzleSchema::KeyPieceTop);
            EXPECT_FALSE(IsSolved(m_grid, m_records)) << col << "," << row << " on the palette";
            Assemble({160, 100});
            Place(col, row, 160 + col * CellWidth, 100 + (row + 1) * CellHeight);
            EXPECT_FALSE(IsSolved(m_grid, m_records)) << col << "," << row << " one cell too low";
        }
    }
}

TEST_F(Joining, MissingRecordIsNotSolved)
{
    MakeGrid(3, 3);
    Assemble({0, 0});
    m_records.removeLast();
    EXPECT_FALSE(IsSolved(m_grid, m_records));
}

// A single row or column has no bottom-right piece with pieces above and to its left; its
// pieces are chained along the line instead.
TEST_F(Joining, SingleRowIsSolvedWhenChained)
{
    MakeGrid(3, 1);
    Assemble({80, 50});
    EXPECT_TRUE(IsSolved(m_grid, m_records));
    Place(2, 0, 400, 50);
    EXPECT_FALSE(IsSolved(m_grid, m_records));
}

TEST_F(Joining, SingleColumnIsSolvedWhenChained)
{
    MakeGrid(1, 3);
    Assemble({0, 0});
    EXPECT_TRUE(IsSolved(m_grid, m_records));
    At(0, 1)->DeleteAttr(PuzzleSchema::KeyPieceTop);
    EXPECT_FALSE(IsSolved(m_grid, m_records));
}

TEST_F(Joining, SinglePieceIsSolvedOnTheDesktop)
{
    MakeGrid(1, 1);
    EXPECT_FALSE(IsSolved(m_grid, m_records));
    Place(0, 0, 123, 45);
    EXPECT_TRUE(IsSolved(m_grid, m_records));
    EXPECT_FALSE(IsSolved(TJoinGrid{0, 0, CellWidth, CellHeight}, {}));
}

// Every piece of an assembly counts: each one turned, one at a time, unsolves it and breaks
// its joins; turned back upright (TURN 0 or a value that is no turn), it fits again.
TEST_F(Joining, TurnedPiecesJoinNothingAndLeaveThePuzzleUnsolved)
{
    for (const QSize grid : {QSize(3, 3), QSize(1, 1), QSize(4, 1)}) {
        m_records.clear();
        m_pieces.Clear();
        MakeGrid(grid.width(), grid.height());
        Assemble({400, 300});
        ASSERT_TRUE(IsSolved(m_grid, m_records));
        for (TKeyedNode *record : m_records) {
            for (const int turn : {1, 2, 3}) {
                SetTurn(*record, turn);
                EXPECT_FALSE(IsSolved(m_grid, m_records));
                EXPECT_FALSE(FirstFittingDirection(m_grid, record));
            }
            record->SetAttr(PuzzleSchema::KeyTurn, "7");
            EXPECT_TRUE(IsSolved(m_grid, m_records));
            SetTurn(*record, 4);
            EXPECT_TRUE(IsSolved(m_grid, m_records));
            EXPECT_EQ(record->GetAttr(PuzzleSchema::KeyTurn), "0");
        }
    }
}
