#include "engine/jigsaw/Joining.h"

#include <cstdint>

namespace
{

// Positions may differ from the exact cell offset by up to this many pixels.
constexpr std::int64_t FitTolerance = 2;

struct TOffset {
    std::int64_t left = 0;
    std::int64_t top = 0;
};

bool IsPiece(TPieces pieces, int piece)
{
    return piece >= 0 && static_cast<std::size_t>(piece) < pieces.size();
}

// Where a piece lies on the desktop; none while it lies on the palette or turned (a turned
// piece joins nothing).
std::optional<TOffset> JoinPosition(TPieces pieces, std::optional<int> piece)
{
    if (!piece || !IsPiece(pieces, *piece))
        return std::nullopt;
    const TPiece &p = pieces[static_cast<std::size_t>(*piece)];
    if (p.turn != 0 || !p.position)
        return std::nullopt;
    return TOffset{p.position->x(), p.position->y()};
}

bool IsOnBorder(const TJoinGrid &grid, const TPiece &piece, int direction)
{
    switch (direction) {
    case JoinUp:
        return piece.row == 0;
    case JoinRight:
        return piece.col == grid.cols - 1;
    case JoinDown:
        return piece.row == grid.rows - 1;
    case JoinLeft:
        return piece.col == 0;
    default:
        return true;
    }
}

// Where the neighbour in a direction lies relative to the piece when they join.
TOffset NeighbourOffset(const TJoinGrid &grid, int direction)
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

bool Fits(const TJoinGrid &grid, TPieces pieces, std::optional<int> piece, int direction)
{
    return piece && FitsNeighbour(grid, pieces, *piece, direction);
}

// A grid of one row or one column: each piece joins the next one along the line; a single
// piece only has to lie on the desktop.
bool IsLineSolved(const TJoinGrid &grid, TPieces pieces)
{
    if (grid.cols < 1 || grid.rows < 1)
        return false;
    const bool alongRow = grid.cols > 1;
    const int count = alongRow ? grid.cols : grid.rows;
    if (count == 1)
        return JoinPosition(pieces, PieceAt(grid, pieces, 0, 0)).has_value();
    for (int k = 0; k < count - 1; ++k) {
        const auto piece = alongRow ? PieceAt(grid, pieces, k, 0) : PieceAt(grid, pieces, 0, k);
        if (!Fits(grid, pieces, piece, alongRow ? JoinRight : JoinDown))
            return false;
    }
    return true;
}

} // namespace

std::optional<int> NeighbourOf(const TJoinGrid &grid, TPieces pieces, int piece, int direction)
{
    if (!IsPiece(pieces, piece) || grid.cols < 1)
        return std::nullopt;
    const int col = pieces[static_cast<std::size_t>(piece)].col;
    std::optional<int> neighbour;
    switch (direction) {
    case JoinUp:
        neighbour = piece - grid.cols;
        break;
    case JoinRight:
        if (col != grid.cols - 1)
            neighbour = piece + 1;
        break;
    case JoinDown:
        neighbour = piece + grid.cols;
        break;
    case JoinLeft:
        if (col != 0)
            neighbour = piece - 1;
        break;
    default:
        break;
    }
    if (!neighbour || !IsPiece(pieces, *neighbour))
        return std::nullopt;
    return neighbour;
}

bool FitsNeighbour(const TJoinGrid &grid, TPieces pieces, int piece, int direction)
{
    const auto position = JoinPosition(pieces, piece);
    if (!position || IsOnBorder(grid, pieces[static_cast<std::size_t>(piece)], direction))
        return false;
    const auto neighbour = JoinPosition(pieces, NeighbourOf(grid, pieces, piece, direction));
    if (!neighbour)
        return false;
    const TOffset offset = NeighbourOffset(grid, direction);
    return WithinTolerance(position->left + offset.left - neighbour->left) &&
           WithinTolerance(position->top + offset.top - neighbour->top);
}

std::optional<TJoinDirection> FirstFittingDirection(const TJoinGrid &grid, TPieces pieces,
                                                    int piece)
{
    for (const TJoinDirection direction : {JoinUp, JoinRight, JoinDown, JoinLeft}) {
        if (FitsNeighbour(grid, pieces, piece, direction))
            return direction;
    }
    return std::nullopt;
}

std::optional<int> PieceAt(const TJoinGrid &grid, TPieces pieces, int col, int row)
{
    if (col < 0 || col >= grid.cols || row < 0 || row >= grid.rows)
        return std::nullopt;
    const std::int64_t index = std::int64_t{row} * grid.cols + col;
    if (index >= static_cast<std::int64_t>(pieces.size()))
        return std::nullopt;
    return static_cast<int>(index);
}

bool IsSolved(const TJoinGrid &grid, TPieces pieces)
{
    if (grid.cols < 2 || grid.rows < 2)
        return IsLineSolved(grid, pieces);
    // Right and down links of every piece but the last row and column, and the bottom-right
    // piece's links up and left, connect every piece to the top-left one.
    for (int row = 0; row <= grid.rows - 2; ++row) {
        for (int col = 0; col <= grid.cols - 2; ++col) {
            const auto piece = PieceAt(grid, pieces, col, row);
            if (!Fits(grid, pieces, piece, JoinRight) || !Fits(grid, pieces, piece, JoinDown))
                return false;
        }
    }
    const auto last = PieceAt(grid, pieces, grid.cols - 1, grid.rows - 1);
    return Fits(grid, pieces, last, JoinUp) && Fits(grid, pieces, last, JoinLeft);
}
