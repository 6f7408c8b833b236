#include "engine/picture/PictureCompleteness.h"

#include "engine/picture/BitmapFile.h"
#include "engine/picture/MetafileBytes.h"
#include "engine/picture/PngChunks.h"

#include <QtEndian>

namespace
{

// Skips a chain of GIF data sub-blocks up to its empty terminator.
void SkipSubBlocks(TByteReader &r)
{
    for (quint8 size = r.U8(); size != 0; size = r.U8())
        r.Skip(size);
}

// Reading past the end of the file throws; the first frame's end returns.
bool GifEndsBeforeFirstFrame(const QByteArray &file)
{
    TByteReader r(file);
    try {
        r.Skip(6 + 4); // signature, version, screen size
        const quint8 flags = r.U8();
        r.Skip(2);
        if (flags & 0x80)
            r.Skip(3 << ((flags & 7) + 1));
        for (;;) {
            const quint8 introducer = r.U8();
            if (introducer == 0x21) {
                r.U8(); // extension label
                SkipSubBlocks(r);
            } else if (introducer == 0x2C) {
                r.Skip(8);
                const quint8 imageFlags = r.U8();
                if (imageFlags & 0x80)
                    r.Skip(3 << ((imageFlags & 7) + 1));
                r.U8(); // LZW code size
                SkipSubBlocks(r);
                return false;
            } else {
                return false; // the trailer or damage: no frame was cut off
            }
        }
    } catch (const EMetafileRecordError &) {
        return true;
    }
}

bool WebpEndsBeforeItsEnd(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF"))
        return false;
    const qint64 declared = qFromLittleEndian<quint32>(file.constData() + 4);
    return 8 + declared > file.size();
}

} // namespace

bool EndsBeforeItsPicture(const QByteArray &format, const QByteArray &file)
{
    if (format == "bmp") {
        const auto header = ReadBitmapFileHeader(file);
        return header && BitmapEndsBeforeItsPixels(*header, file.size());
    }
    if (format == "gif")
        return GifEndsBeforeFirstFrame(file);
    if (format == "png")
        return ReadPngLayout(file) != TPngLayout::Complete;
    if (format == "webp")
        return WebpEndsBeforeItsEnd(file);
    if (format == "jpeg")
        return !file.endsWith(QByteArrayView("\xFF\xD9", 2));
    return false;
}
