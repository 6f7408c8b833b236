#pragma once
// Groups of joined pieces and the border pieces, from the pieces and the joining rules: a group
// is every piece reachable from one piece through joins, directly or through others.

#include "engine/jigsaw/Joining.h"

#include <QList>

// The pieces joined to start, directly or through others, start first; just start when it
// joins nothing or lies on the palette. Linear in the number of pieces.
QList<int> JoinedGroup(const TJoinGrid &grid, TPieces pieces, int start);

// Whether the piece's cell lies in the first or last row or column of the grid.
bool IsBorderPiece(const TJoinGrid &grid, const TPiece &piece);
