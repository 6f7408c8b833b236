#include "engine/picture/DeviceIndependentBitmap.h"

#include "engine/picture/BitmapFile.h"

#include <QBuffer>
#include <QImageReader>

namespace
{

constexpr quint32 CoreHeaderBytes = 12;
constexpr quint32 BI_BITFIELDS = 3;
constexpr quint32 BI_ALPHABITFIELDS = 6;

struct TDibHeader {
    quint32 headerBytes = 0;
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
    quint32 coloursUsed = 0;
};

TDibHeader ReadHeader(TByteReader info)
{
    TDibHeader header;
    header.headerBytes = info.U32();
    if (header.headerBytes == CoreHeaderBytes) {
        header.width = info.U16();
        header.height = info.U16();
        info.U16();
        header.bitCount = info.U16();
        return header;
    }
    if (header.headerBytes < 40)
        throw EMetafileRecordError("unknown bitmap header");
    header.width = info.S32();
    header.height = info.S32();
    info.U16();
    header.bitCount = info.U16();
    header.compression = info.U32();
    info.Skip(12);
    header.coloursUsed = info.U32();
    return header;
}

// Bytes between the header and the bits: the colour table and, after a plain 40-byte header,
// the bit-field masks.
qint64 TableBytes(const TDibHeader &header)
{
    const qint64 entries = header.coloursUsed != 0 ? header.coloursUsed
                           : header.bitCount <= 8  ? (1LL << header.bitCount)
                                                   : 0;
    if (header.headerBytes == CoreHeaderBytes)
        return entries * 3;
    qint64 masks = 0;
    if (header.headerBytes == 40 && header.compression == BI_BITFIELDS)
        masks = 12;
    if (header.headerBytes == 40 && header.compression == BI_ALPHABITFIELDS)
        masks = 16;
    return entries * 4 + masks;
}

} // namespace

QRectF DibSourceRect(const QImage &bitmap, bool bottomUp, double x, double y, double width,
                     double height)
{
    // Records count the rows of a bottom-up bitmap from its bottom.
    const double top = bottomUp ? bitmap.height() - y - height : y;
    return QRectF(x, top, width, height);
}

bool IsBottomUpDib(TByteReader info)
{
    return ReadHeader(info).height > 0;
}

qint64 DibPixelCount(TByteReader info)
{
    const TDibHeader header = ReadHeader(info);
    const qint64 height = header.height < 0 ? -header.height : header.height;
    return header.width > 0 ? header.width * height : 0;
}

std::pair<TByteReader, TByteReader> SplitPackedDib(TByteReader dib)
{
    const TDibHeader header = ReadHeader(dib);
    const qint64 infoBytes = header.headerBytes + TableBytes(header);
    TByteReader info = dib.Take(infoBytes);
    return {info, dib.Take(dib.Remaining())};
}

QImage DecodeDib(TByteReader info, TByteReader bits)
{
    const TDibHeader header = ReadHeader(info);
    const qint64 width = header.width;
    const qint64 height = header.height < 0 ? -header.height : header.height;
    if (width <= 0 || height <= 0 || width > MaxDibPixels / height)
        return QImage();
    // Qt reads bitmap files: the bitmap gets the 14-byte file header it lacks.
    const qint64 pixelOffset = 14 + info.Size();
    QByteArray file;
    file.reserve(static_cast<qsizetype>(pixelOffset + bits.Size()));
    const quint32 fileHeader[3] = {static_cast<quint32>(pixelOffset + bits.Size()), 0,
                                   static_cast<quint32>(pixelOffset)};
    file.append("BM", 2);
    file.append(reinterpret_cast<const char *>(fileHeader), sizeof fileHeader);
    file.append(info.Bytes());
    file.append(bits.Bytes());
    // Bit-field bitmaps as bitmap files have them: Qt's reader refuses 24 bits.
    if (const auto header = ReadBitmapFileHeader(file); header && IsBitfieldBitmap(*header))
        return DecodeBitfieldBitmap(file, *header);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
