#include "engine/picture/IconDirectory.h"

#include "engine/picture/MetafileBytes.h"

#include <QtEndian>
#include <limits>

namespace
{

constexpr qint64 DirectoryHeaderBytes = 6;
constexpr qint64 EntryBytes = 16;

struct TIconImage {
    qint64 area = -1;
    int bitsPerPixel = -1;
    bool isPng = false;
};

int PngChannels(int colourType)
{
    switch (colourType) {
    case 0: // grey
    case 3: // palette indices
        return 1;
    case 4: // grey and alpha
        return 2;
    case 2: // RGB
        return 3;
    case 6: // RGBA
        return 4;
    default:
        return 0;
    }
}

bool StartsAsPng(const TByteReader &image)
{
    static const char pngSignature[] = "\x89PNG\r\n\x1a\n";
    return image.Remaining() >= 8 && image.At(0, 8).Bytes() == QByteArray(pngSignature, 8);
}

// The size and depth a PNG image's header gives.
TIconImage ReadPngHeader(TByteReader image)
{
    image.Skip(16); // signature, IHDR length and type
    const QByteArray bytes = image.Take(10).Bytes();
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 width = qFromBigEndian<quint32>(data);
    const qint64 height = qFromBigEndian<quint32>(data + 4);
    // PNG sides stop at 2^31 - 1; larger ones are no readable header (and would overflow the
    // area).
    if (width > std::numeric_limits<qint32>::max() || height > std::numeric_limits<qint32>::max())
        return {-1, -1, true};
    return {width * height, data[8] * PngChannels(data[9]), true};
}

// The size and depth a bitmap image's header gives.
TIconImage ReadBitmapHeader(TByteReader image)
{
    image.U32(); // header size
    const qint64 width = image.S32();
    const qint64 height = image.S32() / 2; // the colours' rows and the mask's
    image.U16();
    const int bitCount = image.U16();
    if (width <= 0 || height <= 0)
        return {};
    return {width * height, bitCount, false};
}

// The size and depth an image's own header gives; an image whose header cannot be read ranks
// below every readable one.
TIconImage ReadImageHeader(const TByteReader &image)
{
    const bool isPng = StartsAsPng(image);
    try {
        return isPng ? ReadPngHeader(image) : ReadBitmapHeader(image);
    } catch (const EMetafileRecordError &) {
        return {-1, -1, isPng};
    }
}

} // namespace

std::optional<TIconChoice> ChooseIconImage(const QByteArray &file)
{
    try {
        TByteReader r(file);
        constexpr int IconType = 1, CursorType = 2; // Qt's reader takes both
        const int reserved = r.U16(), type = r.U16();
        if (reserved != 0 || (type != IconType && type != CursorType))
            return std::nullopt;
        const qint64 count = r.U16();
        // A directory that runs past the end of the file is cut off like an image would be.
        if (count > r.Remaining() / EntryBytes)
            return TIconChoice{0, true};
        TIconChoice best;
        TIconImage bestImage;
        for (qint64 index = 0; index < count; ++index) {
            r.Seek(DirectoryHeaderBytes + index * EntryBytes + 8);
            const qint64 bytes = r.U32();
            const qint64 offset = r.U32();
            const bool endsBeyondFile = offset + bytes > file.size();
            const TIconImage image =
                offset < file.size()
                    ? ReadImageHeader(TByteReader(file.constData() + offset,
                                                  std::min(bytes, file.size() - offset)))
                    : TIconImage{};
            if (index == 0 || image.area > bestImage.area ||
                (image.area == bestImage.area && image.bitsPerPixel > bestImage.bitsPerPixel)) {
                best = {static_cast<int>(index), endsBeyondFile, image.isPng, offset, bytes};
                bestImage = image;
            }
        }
        if (count == 0)
            return std::nullopt;
        return best;
    } catch (const EMetafileRecordError &) {
        return std::nullopt;
    }
}
