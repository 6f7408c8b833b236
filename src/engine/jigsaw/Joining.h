#pragma once
// Joining and the solved test. Two pieces join when their stored desktop positions lie one
// cell apart in the right direction, within 2 pixels. Everything is computed from the piece
// records (ROW, COL, PLEFT, PTOP, TURN); a piece on the palette or lying turned fits nothing.

#include <QList>
#include <optional>

class TKeyedNode;

// Directions, in the order the join check tries them.
enum TJoinDirection { JoinUp = 0, JoinRight = 1, JoinDown = 2, JoinLeft = 3 };

struct TJoinGrid {
    int cols = 0;
    int rows = 0;
    int cellWidth = 0;
    int cellHeight = 0;
};

// The record next to this one in the document's PIECES node (row-major order), or null at the
// border, for a record without a parent, or when the child is missing.
TKeyedNode *NeighbourOf(const TJoinGrid &grid, const TKeyedNode *record, int direction);

// Whether the record and its neighbour in that direction both lie on the desktop one cell
// apart, each difference below 3 pixels.
bool FitsNeighbour(const TJoinGrid &grid, const TKeyedNode *record, int direction);

// The first direction, in the order up, right, down, left, in which the record fits.
std::optional<TJoinDirection> FirstFittingDirection(const TJoinGrid &grid,
                                                    const TKeyedNode *record);

// The record of cell (col, row) in a row-major list, or null outside the grid or the list.
TKeyedNode *PieceAt(const TJoinGrid &grid, const QList<TKeyedNode *> &records, int col, int row);

// Whether every piece is joined to its neighbours, wherever the assembly lies on the desktop.
bool IsSolved(const TJoinGrid &grid, const QList<TKeyedNode *> &records);
