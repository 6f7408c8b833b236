#include "engine/picture/Rotation.h"

#include <algorithm>

namespace
{

// Pixels per side of the square tiles the turn walks through: a tile's source and target rows
// (32 rows of 96 bytes each) stay in the cache, so neither side is read or written with a
// stride that misses it on every pixel.
constexpr int TileSide = 32;

enum class TTurn { Clockwise, CounterClockwise };

template <TTurn turn> QImage Turned(QImage &source)
{
    if (source.isNull())
        return {};
    source.convertTo(QImage::Format_RGB888);
    const int width = source.width();
    const int height = source.height();
    QImage target(height, width, QImage::Format_RGB888);
    const qsizetype sourceStride = source.bytesPerLine();
    const qsizetype targetStride = target.bytesPerLine();
    const uchar *sourceBits = std::as_const(source).bits();
    uchar *targetBits = target.bits();

    for (int tileY = 0; tileY < height; tileY += TileSide) {
        const int endY = std::min(tileY + TileSide, height);
        for (int tileX = 0; tileX < width; tileX += TileSide) {
            const int endX = std::min(tileX + TileSide, width);
            for (int x = tileX; x < endX; ++x) {
                const int targetRow = turn == TTurn::Clockwise ? x : width - 1 - x;
                uchar *targetLine = targetBits + targetRow * targetStride;
                const uchar *sourcePixel = sourceBits + tileY * sourceStride + 3 * x;
                for (int y = tileY; y < endY; ++y, sourcePixel += sourceStride) {
                    const int targetColumn = turn == TTurn::Clockwise ? height - 1 - y : y;
                    uchar *targetPixel = targetLine + 3 * targetColumn;
                    targetPixel[0] = sourcePixel[0];
                    targetPixel[1] = sourcePixel[1];
                    targetPixel[2] = sourcePixel[2];
                }
            }
        }
    }
    return target;
}

} // namespace

void RotateBitmapCW(QImage &source, QImage &target)
{
    target = Turned<TTurn::Clockwise>(source);
}

void RotateBitmapCCW(QImage &source, QImage &target)
{
    target = Turned<TTurn::CounterClockwise>(source);
}
