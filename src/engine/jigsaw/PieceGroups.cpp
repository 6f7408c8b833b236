#include "engine/jigsaw/PieceGroups.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"

#include <QSet>

QList<TKeyedNode *> JoinedGroup(const TJoinGrid &grid, const QList<TKeyedNode *> &records,
                                TKeyedNode *start)
{
    QList<TKeyedNode *> group{start};
    // Only records of this game count: a neighbour outside the list is not a piece.
    const QSet<const TKeyedNode *> pieces(records.begin(), records.end());
    QSet<const TKeyedNode *> seen{start};
    for (qsizetype next = 0; next < group.size(); ++next) {
        for (const TJoinDirection direction : {JoinUp, JoinRight, JoinDown, JoinLeft}) {
            if (!FitsNeighbour(grid, group[next], direction))
                continue;
            TKeyedNode *neighbour = NeighbourOf(grid, group[next], direction);
            if (pieces.contains(neighbour) && !seen.contains(neighbour)) {
                seen.insert(neighbour);
                group.append(neighbour);
            }
        }
    }
    return group;
}

bool IsBorderPiece(const TJoinGrid &grid, const TKeyedNode &record)
{
    const int row = TextToIntDef(record.GetAttr(PuzzleSchema::KeyRow), -1);
    const int col = TextToIntDef(record.GetAttr(PuzzleSchema::KeyCol), -1);
    return row == 0 || col == 0 || row == grid.rows - 1 || col == grid.cols - 1;
}
