#include "engine/jigsaw/BackgroundTiling.h"

#include <QPainter>

QImage TileTexture(const QImage &picture, const QSize &size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    const QImage tile = picture.convertToFormat(QImage::Format_RGB32);
    QImage bitmap(size, QImage::Format_RGB32);
    QPainter painter(&bitmap);
    for (int top = 0; top < size.height(); top += tile.height()) {
        for (int left = 0; left < size.width(); left += tile.width())
            painter.drawImage(left, top, tile);
    }
    return bitmap;
}
