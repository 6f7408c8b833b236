#include "engine/jigsaw/LostPieces.h"

#include <QSet>

namespace
{

// The first multiple of step at or above value.
int FirstMultipleFrom(int value, int step)
{
    const int down = value >= 0 ? value / step * step : -((-value + step - 1) / step * step);
    return down < value ? down + step : down;
}

// The grid place nearest to a position, so that a piece lying off the grid still takes one.
QPoint NearestPlace(QPoint position, QSize cell)
{
    const auto nearest = [](int value, int step) {
        return FirstMultipleFrom(value - step / 2, step);
    };
    return {nearest(position.x(), cell.width()), nearest(position.y(), cell.height())};
}

} // namespace

QList<QPoint> FreePlacesInArea(const QRect &area, QSize cell, QSize pieceSize,
                               const QList<QPoint> &taken, int count)
{
    QList<QPoint> places;
    if (cell.width() < 1 || cell.height() < 1 || count < 1)
        return places;
    QSet<QPoint> occupied;
    for (const QPoint &position : taken)
        occupied.insert(NearestPlace(position, cell));
    for (int y = FirstMultipleFrom(area.top(), cell.height());
         y + pieceSize.height() - 1 <= area.bottom(); y += cell.height()) {
        for (int x = FirstMultipleFrom(area.left(), cell.width());
             x + pieceSize.width() - 1 <= area.right(); x += cell.width()) {
            if (occupied.contains(QPoint(x, y)))
                continue;
            places.append(QPoint(x, y));
            if (places.size() == count)
                return places;
        }
    }
    return places;
}
