#include "engine/picture/BitmapFile.h"

#include "engine/picture/MetafileBytes.h"

#include <bit>

namespace
{

constexpr quint32 CoreHeaderBytes = 12;
constexpr quint32 BI_RGB = 0;
constexpr quint32 BI_RLE8 = 1;
constexpr quint32 BI_RLE4 = 2;
constexpr quint32 BI_BITFIELDS = 3;
constexpr quint32 BI_ALPHABITFIELDS = 6;

bool IsContiguous(quint32 mask)
{
    const quint32 run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

// One channel of a pixel scaled to 8 bits.
struct TChannel {
    explicit TChannel(quint32 mask)
        : mask(mask), shift(mask == 0 ? 0 : std::countr_zero(mask)), top(mask >> shift)
    {
    }
    int Of(quint32 pixel) const
    {
        return top == 0 ? 0 : int((quint64((pixel & mask) >> shift) * 255 + top / 2) / top);
    }
    quint32 mask;
    int shift;
    quint32 top;
};

} // namespace

std::optional<TBitmapFileHeader> ReadBitmapFileHeader(const QByteArray &file)
{
    try {
        TByteReader r(file);
        if (r.U8() != 'B' || r.U8() != 'M')
            return std::nullopt;
        r.Skip(8);
        TBitmapFileHeader header;
        header.pixelOffset = r.U32();
        header.infoBytes = r.U32();
        if (header.infoBytes == CoreHeaderBytes) {
            header.width = r.U16();
            header.height = r.U16();
            r.U16();
            header.bitCount = r.U16();
            return header;
        }
        if (header.infoBytes < 40)
            return std::nullopt;
        header.width = r.S32();
        header.height = r.S32();
        r.U16();
        header.bitCount = r.U16();
        header.compression = r.U32();
        header.imageBytes = r.U32();
        r.Skip(16);
        // The masks follow a 40-byte header and belong to the larger ones (alpha from 56 bytes).
        const bool masksAfter = header.infoBytes == 40;
        const int maskCount = masksAfter ? (header.compression == BI_ALPHABITFIELDS ? 4 : 3)
                              : header.infoBytes >= 56 ? 4
                                                       : 3;
        if (IsBitfieldBitmap(header))
            for (int i = 0; i < maskCount; ++i)
                header.masks[i] = r.U32();
        return header;
    } catch (const EMetafileRecordError &) {
        return std::nullopt;
    }
}

bool BitmapEndsBeforeItsPixels(const TBitmapFileHeader &header, qint64 fileBytes)
{
    if (header.compression == BI_RLE8 || header.compression == BI_RLE4)
        return header.imageBytes != 0 && header.pixelOffset + header.imageBytes > fileBytes;
    const bool uncompressed = header.compression == BI_RGB || header.compression == BI_BITFIELDS ||
                              header.compression == BI_ALPHABITFIELDS;
    const qint64 height = header.height < 0 ? -header.height : header.height;
    if (!uncompressed || header.width <= 0 || height == 0 || header.bitCount <= 0)
        return false;
    const qint64 rowBits = header.width * header.bitCount;
    const qint64 rowBytes = (rowBits + 31) / 32 * 4;
    const qint64 lastRowBytes = (rowBits + 7) / 8;
    const qint64 available = fileBytes - header.pixelOffset;
    if (available < lastRowBytes)
        return true;
    // Compared by division: the rows of a hostile header overflow any product.
    return height > 1 && rowBytes > (available - lastRowBytes) / (height - 1);
}

bool IsBitfieldBitmap(const TBitmapFileHeader &header)
{
    return (header.compression == BI_BITFIELDS || header.compression == BI_ALPHABITFIELDS) &&
           (header.bitCount == 16 || header.bitCount == 24 || header.bitCount == 32);
}

bool AreUsableMasks(const std::array<quint32, 4> &masks, int bitCount)
{
    quint32 used = 0;
    for (const quint32 mask : masks) {
        if (mask == 0)
            continue;
        if (!IsContiguous(mask) || (bitCount < 32 && (mask >> bitCount) != 0) || (used & mask))
            return false;
        used |= mask;
    }
    return (masks[0] | masks[1] | masks[2]) != 0;
}

std::int64_t BitfieldBytesPerPixel(const TBitmapFileHeader &header)
{
    return header.masks[3] != 0 ? 4 : 3;
}

QImage DecodeBitfieldBitmap(const QByteArray &file, const TBitmapFileHeader &header)
{
    if (!AreUsableMasks(header.masks, header.bitCount) ||
        BitmapEndsBeforeItsPixels(header, file.size()) || header.width <= 0 || header.height == 0)
        return QImage();
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height < 0 ? -header.height : header.height);
    const bool withAlpha = header.masks[3] != 0;
    QImage image(width, height, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    if (image.isNull())
        return QImage();
    const TChannel red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]),
        alpha(header.masks[3]);
    const int pixelBytes = header.bitCount / 8;
    const qint64 rowBytes = (qint64(width) * header.bitCount + 31) / 32 * 4;
    const auto *bits = reinterpret_cast<const uchar *>(file.constData()) + header.pixelOffset;
    bool anyOpacity = false;
    for (int row = 0; row < height; ++row) {
        const uchar *source = bits + rowBytes * row;
        const int y = header.height < 0 ? row : height - 1 - row;
        uchar *target = image.scanLine(y);
        for (int x = 0; x < width; ++x, source += pixelBytes) {
            quint32 pixel = 0;
            for (int i = 0; i < pixelBytes; ++i)
                pixel |= quint32(source[i]) << (8 * i);
            if (withAlpha) {
                const int opacity = alpha.Of(pixel);
                anyOpacity = anyOpacity || opacity != 0;
                reinterpret_cast<QRgb *>(target)[x] =
                    qRgba(red.Of(pixel), green.Of(pixel), blue.Of(pixel), opacity);
            } else {
                target[3 * x] = static_cast<uchar>(red.Of(pixel));
                target[3 * x + 1] = static_cast<uchar>(green.Of(pixel));
                target[3 * x + 2] = static_cast<uchar>(blue.Of(pixel));
            }
        }
    }
    // Many writers give an alpha mask and leave every pixel's alpha 0: such a bitmap is opaque.
    if (withAlpha && !anyOpacity)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}
