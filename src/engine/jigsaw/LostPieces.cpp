#include "engine/jigsaw/LostPieces.h"

#include <QSet>
#include <algorithm>

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
    QList<QPoint> held = taken;
    while (places.size() < count) {
        const std::optional<QPoint> place =
            FreePlaceForGroup(area, cell, pieceSize, {QPoint(0, 0)}, held);
        if (!place)
            break;
        places.append(*place);
        held.append(*place);
    }
    return places;
}

std::optional<QPoint> FreePlaceForGroup(const QRect &area, QSize cell, QSize pieceSize,
                                        const QList<QPoint> &offsets, const QList<QPoint> &taken)
{
    if (cell.width() < 1 || cell.height() < 1 || offsets.isEmpty())
        return std::nullopt;
    QSet<QPoint> occupied;
    for (const QPoint &position : taken)
        occupied.insert(NearestPlace(position, cell));
    QRect extent;
    for (const QPoint &offset : offsets)
        extent |= QRect(offset, pieceSize);
    for (int y = FirstMultipleFrom(area.top() - extent.top(), cell.height());
         y + extent.bottom() <= area.bottom(); y += cell.height()) {
        for (int x = FirstMultipleFrom(area.left() - extent.left(), cell.width());
             x + extent.right() <= area.right(); x += cell.width()) {
            const QPoint place(x, y);
            if (std::none_of(offsets.begin(), offsets.end(), [&](const QPoint &offset) {
                    return occupied.contains(NearestPlace(place + offset, cell));
                }))
                return place;
        }
    }
    return std::nullopt;
}
