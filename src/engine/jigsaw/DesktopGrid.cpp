#include "engine/jigsaw/DesktopGrid.h"

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

QPoint DesktopExtentCorner(int cols, int rows, int cellWidth, int cellHeight)
{
    return {cellWidth * (cols + 2), cellHeight * (rows + 2)};
}
