#include "engine/picture/ExifOrientation.h"

#include "engine/picture/MetafileBytes.h"
#include "engine/picture/Rotation.h"

#include <QtEndian>

namespace
{

constexpr quint16 OrientationTag = 0x0112;
constexpr int AsStored = 1;

// The orientation in a TIFF structure (the body of the EXIF segment).
int TiffOrientation(const QByteArray &tiff)
{
    if (tiff.size() < 8 || (!tiff.startsWith("II") && !tiff.startsWith("MM")))
        return AsStored;
    const bool bigEndian = tiff.startsWith("MM");
    const auto *data = reinterpret_cast<const uchar *>(tiff.constData());
    auto u16 = [&](qint64 at) {
        return bigEndian ? qFromBigEndian<quint16>(data + at)
                         : qFromLittleEndian<quint16>(data + at);
    };
    auto u32 = [&](qint64 at) {
        return bigEndian ? qFromBigEndian<quint32>(data + at)
                         : qFromLittleEndian<quint32>(data + at);
    };
    const qint64 directory = u32(4);
    if (directory + 2 > tiff.size())
        return AsStored;
    const qint64 entries = std::min<qint64>(u16(directory), (tiff.size() - directory - 2) / 12);
    for (qint64 i = 0; i < entries; ++i) {
        const qint64 entry = directory + 2 + 12 * i;
        if (u16(entry) == OrientationTag) {
            const int value = u16(entry + 8);
            return value >= 1 && value <= 8 ? value : AsStored;
        }
    }
    return AsStored;
}

QImage Turned(QImage bitmap, bool clockwise)
{
    QImage turned;
    if (clockwise)
        RotateBitmapCW(bitmap, turned);
    else
        RotateBitmapCCW(bitmap, turned);
    return turned;
}

} // namespace

int JpegExifOrientation(const QByteArray &jpeg)
{
    TByteReader r(jpeg);
    try {
        if (r.U8() != 0xFF || r.U8() != 0xD8)
            return AsStored;
        // Marker segments up to the first scan; the EXIF segment comes among the first.
        for (;;) {
            if (r.U8() != 0xFF)
                return AsStored;
            const quint8 marker = r.U8();
            if (marker == 0xDA || marker == 0xD9)
                return AsStored;
            const quint8 high = r.U8();
            const qint64 length = (high << 8 | r.U8()) - 2;
            const QByteArray segment = r.Take(length).Bytes();
            if (marker == 0xE1 && segment.startsWith(QByteArrayView("Exif\0\0", 6)))
                return TiffOrientation(segment.mid(6));
        }
    } catch (const EMetafileRecordError &) {
        return AsStored;
    }
}

QImage UprightBitmap(QImage bitmap, int orientation)
{
    switch (orientation) {
    case 2:
        return std::move(bitmap).mirrored(true, false);
    case 3:
        return std::move(bitmap).mirrored(true, true);
    case 4:
        return std::move(bitmap).mirrored(false, true);
    case 5: // the stored rows are the shown columns
        return Turned(std::move(bitmap), true).mirrored(true, false);
    case 6:
        return Turned(std::move(bitmap), true);
    case 7:
        return Turned(std::move(bitmap), true).mirrored(false, true);
    case 8:
        return Turned(std::move(bitmap), false);
    default:
        return bitmap;
    }
}
