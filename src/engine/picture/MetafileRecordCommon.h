#pragma once
// Record contents both metafile formats share: colours and rectangles.

#include "engine/picture/MetafileBytes.h"

#include <QColor>
#include <QRectF>

// A COLORREF: red in the lowest byte; the top byte (palette flags) is not used.
inline QColor ColorRef(quint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// A rectangle given by its corners.
inline QRectF CornersRect(double left, double top, double right, double bottom)
{
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}
