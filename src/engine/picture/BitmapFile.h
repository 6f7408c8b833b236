#pragma once
// Bitmap files (.bmp, .dib) as far as the program reads them itself: the header, the test that
// the file holds all of its pixels, and the bit-field bitmaps (16, 24 and 32 bits a pixel with
// masks giving each channel's bits), which Qt's reader refuses in 24 bits and takes in 16 and 32
// without checking the masks. Everything else is left to Qt's reader.

#include <QByteArray>
#include <QImage>
#include <array>
#include <cstdint>
#include <optional>

struct TBitmapFileHeader {
    qint64 pixelOffset = 0;
    quint32 infoBytes = 0;
    qint64 width = 0;
    qint64 height = 0; // negative: rows stored top row first
    int bitCount = 0;
    quint32 compression = 0;
    quint32 imageBytes = 0;
    std::array<quint32, 4> masks{}; // red, green, blue, alpha; for bit-field bitmaps only
};

// The header of a bitmap file, or none when the bytes do not hold one.
std::optional<TBitmapFileHeader> ReadBitmapFileHeader(const QByteArray &file);

// Whether the file ends before the pixels its header declares (a missing padding of the last
// row is forgiven, as other readers do).
bool BitmapEndsBeforeItsPixels(const TBitmapFileHeader &header, qint64 fileBytes);

// Whether the pixels are bit fields of 16, 24 or 32 bits, which DecodeBitfieldBitmap reads.
bool IsBitfieldBitmap(const TBitmapFileHeader &header);

// Whether the masks fit the depth: each one a single run of bits within the pixel's bits, none
// sharing a bit with another, and some colour given.
bool AreUsableMasks(const std::array<quint32, 4> &masks, int bitCount);

// Bytes a pixel takes in the bitmap DecodeBitfieldBitmap makes.
std::int64_t BitfieldBytesPerPixel(const TBitmapFileHeader &header);

// The pixels of a bit-field bitmap whose file holds all of them: QImage::Format_RGB888, or
// QImage::Format_ARGB32 when the alpha mask gives some pixel any opacity other than none; null
// when the masks are not usable.
QImage DecodeBitfieldBitmap(const QByteArray &file, const TBitmapFileHeader &header);
