#pragma once
// The desktop's texture background: a picture repeated from the top-left corner over a bitmap
// of a given size, made once.

#include <QImage>
#include <QSize>

// A bitmap of size covered by copies of picture, the first at (0, 0). A null picture or an
// empty size gives a null image.
QImage TileTexture(const QImage &picture, const QSize &size);
