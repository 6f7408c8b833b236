#pragma once
// Joining and the solved test. Two pieces join when their desktop positions lie one cell apart
// in the right direction, within 2 pixels. A piece is named by its index in the game's pieces
// (row-major); a piece on the palette or lying turned fits nothing.

#include "engine/jigsaw/PuzzleGame.h"

#include <optional>
#include <span>

// Directions, in the order the join check tries them.
enum TJoinDirection { JoinUp = 0, JoinRight = 1, JoinDown = 2, JoinLeft = 3 };

struct TJoinGrid {
    int cols = 0;
    int rows = 0;
    int cellWidth = 0;
    int cellHeight = 0;
};

using TPieces = std::span<const TPiece>;

// The index of the piece next to piece in that direction (row-major order), or none at the
// border or outside the pieces.
std::optional<int> NeighbourOf(const TJoinGrid &grid, TPieces pieces, int piece, int direction);

// Whether the piece and its neighbour in that direction both lie upright on the desktop one cell
// apart, each difference below 3 pixels.
bool FitsNeighbour(const TJoinGrid &grid, TPieces pieces, int piece, int direction);

// The first direction, in the order up, right, down, left, in which the piece fits.
std::optional<TJoinDirection> FirstFittingDirection(const TJoinGrid &grid, TPieces pieces,
                                                    int piece);

// The index of cell (col, row), or none outside the grid or the pieces.
std::optional<int> PieceAt(const TJoinGrid &grid, TPieces pieces, int col, int row);

// Whether every piece is joined to its neighbours, wherever the assembly lies on the desktop.
bool IsSolved(const TJoinGrid &grid, TPieces pieces);
