#pragma once
// A bitmap as the program's JPEG bytes and back, through the program's JPEG picture.

#include "engine/picture/JpegPicture.h"

#include <QByteArray>
#include <QImage>

inline QByteArray JpegBytesOf(const QImage &picture)
{
    TJpegPicture jpeg;
    jpeg.Assign(picture);
    return jpeg.Data();
}

// Throws EJPEGError as decoding does.
inline QImage DecodedJpeg(const QByteArray &bytes)
{
    TJpegPicture jpeg;
    jpeg.SetData(bytes);
    return jpeg.ToBitmap();
}
