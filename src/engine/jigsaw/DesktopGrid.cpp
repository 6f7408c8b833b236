#include "engine/jigsaw/DesktopGrid.h"

#include <cstdint>

int DropThreshold(int stripLeft, int stripWidth)
{
    // A piece must cover a quarter of the strip or less to stay on the desktop.
    return stripLeft + static_cast<int>(0.75 * stripWidth) + 5;
}

int SnapToCell(int viewPos, int scrollPos, int cellSize)
{
    if (cellSize < 1)
        return viewPos;
    const int remainder = (viewPos + scrollPos) % cellSize;
    if (remainder < cellSize / 2)
        return viewPos - remainder;
    return viewPos - remainder + cellSize;
}

int ShiftToReach(int left, int limit, int cellSize)
{
    if (left >= limit || cellSize < 1)
        return 0;
    const std::int64_t missing = std::int64_t{limit} - left;
    return static_cast<int>((missing + cellSize - 1) / cellSize * cellSize);
}

QPoint DesktopExtentCorner(int cols, int rows, int cellWidth, int cellHeight)
{
    return {cellWidth * (cols + 2), cellHeight * (rows + 2)};
}
