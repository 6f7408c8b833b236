#include "engine/jigsaw/Joining.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceTurns.h"

#include <cstdint>

namespace
{

// Positions may differ from the exact cell offset by up to this many pixels.
constexpr std::int64_t FitTolerance = 2;

struct TStoredPosition {
    std::int64_t left = 0;
    std::int64_t top = 0;
};

// The desktop position of a record; none while it lies on the palette, lies turned (a turned
// piece joins nothing), or when a value does not convert.
std::optional<TStoredPosition> StoredPosition(const TKeyedNode *record)
{
    if (record == nullptr || !IsUpright(*record))
        return std::nullopt;
    const auto left = TextToInt(record->GetAttr(PuzzleSchema::KeyPieceLeft));
    const auto top = TextToInt(record->GetAttr(PuzzleSchema::KeyPieceTop));
    if (!left || !top)
        return std::nullopt;
    return TStoredPosition{*left, *top};
}

bool IsOnBorder(const TJoinGrid &grid, const TKeyedNode &record, int direction)
{
    const QByteArray row = record.GetAttr(PuzzleSchema::KeyRow);
    const QByteArray col = record.GetAttr(PuzzleSchema::KeyCol);
    switch (direction) {
    case JoinUp:
        return row == "0";
    case JoinRight:
        return col == IntToText(grid.cols - 1);
    case JoinDown:
        return row == IntToText(grid.rows - 1);
    case JoinLeft:
        return col == "0";
    default:
        return true;
    }
}

// Where the neighbour in a direction lies relative to the piece when they join.
TStoredPosition NeighbourOffset(const TJoinGrid &grid, int direction)
{
    switch (direction) {
    case JoinUp:
        return {0, -std::int64_t{grid.cellHeight}};
    case JoinRight:
        return {grid.cellWidth, 0};
    case JoinDown:
        return {0, grid.cellHeight};
    default:
        return {-std::int64_t{grid.cellWidth}, 0};
    }
}

bool WithinTolerance(std::int64_t difference)
{
    return difference >= -FitTolerance && difference <= FitTolerance;
}

// A grid of one row or one column: each piece joins the next one along the line; a single
// piece only has to lie on the desktop.
bool IsLineSolved(const TJoinGrid &grid, const QList<TKeyedNode *> &records)
{
    if (grid.cols < 1 || grid.rows < 1)
        return false;
    const bool alongRow = grid.cols > 1;
    const int count = alongRow ? grid.cols : grid.rows;
    if (count == 1)
        return StoredPosition(PieceAt(grid, records, 0, 0)).has_value();
    for (int k = 0; k < count - 1; ++k) {
        const TKeyedNode *record =
            alongRow ? PieceAt(grid, records, k, 0) : PieceAt(grid, records, 0, k);
        if (!FitsNeighbour(grid, record, alongRow ? JoinRight : JoinDown))
            return false;
    }
    return true;
}

} // namespace

TKeyedNode *NeighbourOf(const TJoinGrid &grid, const TKeyedNode *record, int direction)
{
    if (record == nullptr || record->Parent() == nullptr || grid.cols < 1)
        return nullptr;
    const TKeyedNode &parent = *record->Parent();
    const int index = parent.IndexOfChild(record);
    const QByteArray col = record->GetAttr(PuzzleSchema::KeyCol);
    switch (direction) {
    case JoinUp:
        return index - grid.cols >= 0 ? parent.Child(index - grid.cols) : nullptr;
    case JoinRight:
        return col != IntToText(grid.cols - 1) ? parent.Child(index + 1) : nullptr;
    case JoinDown:
        return index + grid.cols <= parent.ChildCount() - 1 ? parent.Child(index + grid.cols)
                                                            : nullptr;
    case JoinLeft:
        return col != "0" ? parent.Child(index - 1) : nullptr;
    default:
        return nullptr;
    }
}

bool FitsNeighbour(const TJoinGrid &grid, const TKeyedNode *record, int direction)
{
    const auto position = StoredPosition(record);
    if (!position || IsOnBorder(grid, *record, direction))
        return false;
    const auto neighbour = StoredPosition(NeighbourOf(grid, record, direction));
    if (!neighbour)
        return false;
    const TStoredPosition offset = NeighbourOffset(grid, direction);
    return WithinTolerance(position->left + offset.left - neighbour->left) &&
           WithinTolerance(position->top + offset.top - neighbour->top);
}

std::optional<TJoinDirection> FirstFittingDirection(const TJoinGrid &grid, const TKeyedNode *record)
{
    for (const TJoinDirection direction : {JoinUp, JoinRight, JoinDown, JoinLeft}) {
        if (FitsNeighbour(grid, record, direction))
            return direction;
    }
    return std::nullopt;
}

TKeyedNode *PieceAt(const TJoinGrid &grid, const QList<TKeyedNode *> &records, int col, int row)
{
    if (col < 0 || col >= grid.cols || row < 0 || row >= grid.rows)
        return nullptr;
    const std::int64_t index = std::int64_t{row} * grid.cols + col;
    if (index >= records.size())
        return nullptr;
    return records[index];
}

bool IsSolved(const TJoinGrid &grid, const QList<TKeyedNode *> &records)
{
    if (grid.cols < 2 || grid.rows < 2)
        return IsLineSolved(grid, records);
    // Right and down links of every piece but the last row and column, and the bottom-right
    // piece's links up and left, connect every piece to the top-left one.
    for (int row = 0; row <= grid.rows - 2; ++row) {
        for (int col = 0; col <= grid.cols - 2; ++col) {
            const TKeyedNode *record = PieceAt(grid, records, col, row);
            if (!FitsNeighbour(grid, record, JoinRight) || !FitsNeighbour(grid, record, JoinDown))
                return false;
        }
    }
    const TKeyedNode *last = PieceAt(grid, records, grid.cols - 1, grid.rows - 1);
    return FitsNeighbour(grid, last, JoinUp) && FitsNeighbour(grid, last, JoinLeft);
}
