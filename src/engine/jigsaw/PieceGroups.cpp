#include "engine/jigsaw/PieceGroups.h"

#include <vector>

QList<int> JoinedGroup(const TJoinGrid &grid, TPieces pieces, int start)
{
    QList<int> group{start};
    std::vector<bool> seen(pieces.size());
    if (start >= 0 && static_cast<std::size_t>(start) < pieces.size())
        seen[static_cast<std::size_t>(start)] = true;
    for (qsizetype next = 0; next < group.size(); ++next) {
        for (const TJoinDirection direction : {JoinUp, JoinRight, JoinDown, JoinLeft}) {
            if (!FitsNeighbour(grid, pieces, group[next], direction))
                continue;
            const auto neighbour = NeighbourOf(grid, pieces, group[next], direction);
            if (neighbour && !seen[static_cast<std::size_t>(*neighbour)]) {
                seen[static_cast<std::size_t>(*neighbour)] = true;
                group.append(*neighbour);
            }
        }
    }
    return group;
}

bool IsBorderPiece(const TJoinGrid &grid, const TPiece &piece)
{
    return piece.row == 0 || piece.col == 0 || piece.row == grid.rows - 1 ||
           piece.col == grid.cols - 1;
}
