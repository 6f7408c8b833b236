#pragma once
// How far a game has come: the pieces lying on the desktop and the joins made between
// neighbours, out of every join the grid has.

#include "engine/jigsaw/Joining.h"

struct TPlayProgress {
    int onDesktop = 0;
    int pieces = 0;
    int joins = 0;
    // 2·cols·rows − cols − rows: every inner edge of the grid.
    int possibleJoins = 0;

    bool operator==(const TPlayProgress &) const = default;
};

// The inner edges of a grid; 0 for an empty one.
int PossibleJoins(int cols, int rows);

// Counts every piece once and every join once (each piece's right and down neighbour).
TPlayProgress MeasureProgress(const TJoinGrid &grid, TPieces pieces);

// The joins made in whole percent, rounded down so that 100 means solved; 0 without joins to make.
int JoinedPercent(const TPlayProgress &progress);
