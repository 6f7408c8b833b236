#pragma once
// Where pieces lost outside the visible part of the desktop come back: free grid places in the
// visible area, row by row, where a whole piece fits and no placed piece lies.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Up to count piece positions (multiples of the cell size, like snapped pieces) whose piece of
// pieceSize lies inside area and that no piece in taken holds (a piece off the grid holds the
// nearest place). Linear in the cells of the area plus the taken positions.
QList<QPoint> FreePlacesInArea(const QRect &area, QSize cell, QSize pieceSize,
                               const QList<QPoint> &taken, int count);
