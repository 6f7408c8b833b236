#include "engine/jigsaw/StoredPosition.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"

namespace
{

bool WithinDesktop(std::optional<int> coordinate, int pieceSize)
{
    return coordinate && *coordinate >= -MaxDesktopCoordinate &&
           *coordinate <= MaxDesktopCoordinate - pieceSize;
}

} // namespace

std::optional<QPoint> StoredPosition(const TKeyedNode &record, int pieceWidth, int pieceHeight)
{
    const std::optional<int> left = TextToInt(record.GetAttr(PuzzleSchema::KeyPieceLeft));
    const std::optional<int> top = TextToInt(record.GetAttr(PuzzleSchema::KeyPieceTop));
    if (!WithinDesktop(left, pieceWidth) || !WithinDesktop(top, pieceHeight))
        return std::nullopt;
    return QPoint(*left, *top);
}
