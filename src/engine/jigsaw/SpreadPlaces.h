#pragma once
// Where "Lay out all pieces" puts pieces: places on the desktop's cell grid, far enough apart
// that laid pieces neither overlap nor join, inside an area and clear of the pieces already there.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Up to count piece positions (multiples of the cell size), row by row from the area's top-left,
// each a whole number of cells more than a piece's size from the next, whose piece of pieceSize
// lies inside area and covers no cell that a piece at one of the taken positions covers. Linear
// in the places of the area plus the taken positions.
QList<QPoint> SpreadPlaces(const QRect &area, QSize cell, QSize pieceSize,
                           const QList<QPoint> &taken, int count);
