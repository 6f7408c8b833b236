#include "engine/jigsaw/SpreadPlaces.h"

#include <QSet>

namespace
{

// Division rounding toward minus infinity.
int FloorDiv(int value, int step)
{
    return value >= 0 ? value / step : -((-value + step - 1) / step);
}

// The cells a piece at position covers, from its first to its last pixel.
QRect CoveredCells(QPoint position, QSize cell, QSize pieceSize)
{
    const QPoint first(FloorDiv(position.x(), cell.width()), FloorDiv(position.y(), cell.height()));
    const QPoint last(FloorDiv(position.x() + pieceSize.width() - 1, cell.width()),
                      FloorDiv(position.y() + pieceSize.height() - 1, cell.height()));
    return {first, last};
}

// Whole cells, more than a piece spans: laid pieces keep a gap and are never a cell apart.
int Stride(int pieceLength, int cellLength)
{
    return (pieceLength / cellLength + 1) * cellLength;
}

} // namespace

QList<QPoint> SpreadPlaces(const QRect &area, QSize cell, QSize pieceSize,
                           const QList<QPoint> &taken, int count)
{
    QList<QPoint> places;
    if (cell.width() < 1 || cell.height() < 1 || pieceSize.isEmpty() || count < 1)
        return places;
    QSet<QPoint> occupied;
    for (const QPoint &position : taken) {
        const QRect cells = CoveredCells(position, cell, pieceSize);
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            for (int x = cells.left(); x <= cells.right(); ++x)
                occupied.insert({x, y});
    }
    const auto isFree = [&](QPoint place) {
        const QRect cells = CoveredCells(place, cell, pieceSize);
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            for (int x = cells.left(); x <= cells.right(); ++x)
                if (occupied.contains({x, y}))
                    return false;
        return true;
    };
    const int strideX = Stride(pieceSize.width(), cell.width());
    const int strideY = Stride(pieceSize.height(), cell.height());
    const int left = -FloorDiv(-area.left(), cell.width()) * cell.width();
    const int top = -FloorDiv(-area.top(), cell.height()) * cell.height();
    for (int y = top; y + pieceSize.height() - 1 <= area.bottom(); y += strideY) {
        for (int x = left; x + pieceSize.width() - 1 <= area.right(); x += strideX) {
            if (!isFree({x, y}))
                continue;
            places.append({x, y});
            if (places.size() == count)
                return places;
        }
    }
    return places;
}
