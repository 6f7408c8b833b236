#pragma once
// Where a dropped piece lands: the palette threshold and the cell grid of the desktop.
// View coordinates are relative to the visible area; desktop coordinates are view coordinates
// plus the scroll position, independent of scrolling.

#include <QPoint>

// A dropped piece whose left edge (view x) lies below this value goes back to the palette.
int DropThreshold(int stripLeft, int stripWidth);

// The view coordinate of a dropped piece snapped so that its desktop coordinate is a multiple
// of cellSize; a remainder of at least cellSize div 2 rounds up. A cell size below 1 leaves
// the coordinate as it is.
int SnapToCell(int viewPos, int scrollPos, int cellSize);

// How far, in whole cells (0 or more), something whose left edge lies at left must move right so
// that its left edge reaches limit.
int ShiftToReach(int left, int limit, int cellSize);

// The desktop's far corner in desktop coordinates: two cells beyond the grid on each axis.
QPoint DesktopExtentCorner(int cols, int rows, int cellWidth, int cellHeight);
