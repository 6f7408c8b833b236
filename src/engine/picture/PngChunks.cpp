#include "engine/picture/PngChunks.h"

#include <QtEndian>

TPngLayout ReadPngLayout(const QByteArray &file)
{
    constexpr qint64 SignatureBytes = 8;
    // Length, type and CRC around each chunk's data.
    constexpr qint64 ChunkFrameBytes = 12;
    // Linear in the file's size: every chunk takes at least its frame.
    qint64 position = SignatureBytes;
    while (position + 8 <= file.size()) {
        const auto *header = reinterpret_cast<const uchar *>(file.constData()) + position;
        const qint64 chunkBytes = ChunkFrameBytes + qFromBigEndian<quint32>(header);
        if (chunkBytes > file.size() - position)
            return TPngLayout::EndsInsideAChunk;
        if (QByteArrayView(file.constData() + position + 4, 4) == "IEND")
            return TPngLayout::Complete;
        position += chunkBytes;
    }
    return TPngLayout::EndsWithoutItsEnd;
}
