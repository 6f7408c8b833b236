#pragma once
// Groups of joined pieces and the border pieces, from the piece records and the joining rules:
// a group is every piece reachable from one piece through joins, directly or through others.

#include "engine/jigsaw/Joining.h"

#include <QList>

class TKeyedNode;

// The records joined to start, directly or through others, start first; just start when it
// joins nothing or lies on the palette. Linear in the number of records.
QList<TKeyedNode *> JoinedGroup(const TJoinGrid &grid, const QList<TKeyedNode *> &records,
                                TKeyedNode *start);

// Whether the record's cell lies in the first or last row or column of the grid.
bool IsBorderPiece(const TJoinGrid &grid, const TKeyedNode &record);
