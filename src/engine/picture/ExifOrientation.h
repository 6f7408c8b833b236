#pragma once
// The orientation a camera records in a JPEG file's EXIF data (1 to 8, as TIFF numbers them),
// and the bitmap turned and mirrored so that it shows as the camera was held. Only pictures
// loaded from a file are turned: the pictures a puzzle stores carry no EXIF data.

#include <QByteArray>
#include <QImage>

// 1 (as stored) when the file records none or a value outside 1 to 8.
int JpegExifOrientation(const QByteArray &jpeg);

// The 24-bit bitmap shown upright: orientation 6 (the phone held upright) turns it clockwise,
// 8 counter-clockwise, 3 half a turn, and 2, 4, 5, 7 mirror it as well.
QImage UprightBitmap(QImage bitmap, int orientation);
