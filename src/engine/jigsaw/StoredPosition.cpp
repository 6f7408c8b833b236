#include "engine/jigsaw/StoredPosition.h"

#include "engine/jigsaw/PuzzleGame.h"

namespace
{

bool WithinDesktop(int coordinate, int pieceSize)
{
    return coordinate >= -MaxDesktopCoordinate && coordinate <= MaxDesktopCoordinate - pieceSize;
}

} // namespace

std::optional<QPoint> StoredPosition(const TPiece &piece, int pieceWidth, int pieceHeight)
{
    const std::optional<QPoint> &position = piece.position;
    if (!position || !WithinDesktop(position->x(), pieceWidth) ||
        !WithinDesktop(position->y(), pieceHeight))
        return std::nullopt;
    return position;
}
