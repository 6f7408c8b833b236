#include "engine/jigsaw/PlayProgress.h"

#include <cstdint>

int PossibleJoins(int cols, int rows)
{
    if (cols < 1 || rows < 1)
        return 0;
    return 2 * cols * rows - cols - rows;
}

TPlayProgress MeasureProgress(const TJoinGrid &grid, TPieces pieces)
{
    TPlayProgress progress;
    progress.pieces = static_cast<int>(pieces.size());
    progress.possibleJoins = PossibleJoins(grid.cols, grid.rows);
    for (int piece = 0; piece < progress.pieces; ++piece) {
        if (!pieces[static_cast<std::size_t>(piece)].position)
            continue;
        ++progress.onDesktop;
        progress.joins += FitsNeighbour(grid, pieces, piece, JoinRight);
        progress.joins += FitsNeighbour(grid, pieces, piece, JoinDown);
    }
    return progress;
}

int JoinedPercent(const TPlayProgress &progress)
{
    if (progress.possibleJoins < 1)
        return 0;
    return static_cast<int>(std::int64_t{100} * progress.joins / progress.possibleJoins);
}
