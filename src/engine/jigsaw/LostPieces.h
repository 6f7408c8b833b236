#pragma once
// Where pieces lost outside the visible part of the desktop come back: free grid places in the
// visible area, row by row, where a whole piece fits and no placed piece lies.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Up to count piece positions (multiples of the cell size, like snapped pieces) whose piece of
// pieceSize lies inside area and that no piece in taken holds (a piece off the grid holds the
// nearest place). Linear in the cells of the area plus the taken positions, per place.
QList<QPoint> FreePlacesInArea(const QRect &area, QSize cell, QSize pieceSize,
                               const QList<QPoint> &taken, int count);

// The first place, row by row, for the first piece of a group whose other pieces lie at offsets
// from it (multiples of the cell size, as joined pieces do; offsets holds (0, 0) for the first),
// such that every piece lies inside area on a place no piece in taken holds. Nothing when the
// group fits nowhere or offsets is empty.
std::optional<QPoint> FreePlaceForGroup(const QRect &area, QSize cell, QSize pieceSize,
                                        const QList<QPoint> &offsets, const QList<QPoint> &taken);
