#include "engine/picture/Rotation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{

// Pixels per side of the square tiles the turn walks through: a tile's source and target rows
// (32 rows of 96 bytes each) stay in the cache, so neither side is read or written with a
// stride that misses it on every pixel.
constexpr int TileSide = 32;

enum class TTurn { Clockwise, CounterClockwise };

void CopyPixel(const uchar *from, uchar *to)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Copies a pixel with one 4-byte move: its 4th byte lands on the next target pixel, which is
// written afterwards, and is read from the next source pixel (or the row's padding).
void CopyPixelWide(const uchar *from, uchar *to)
{
    std::uint32_t pixel;
    std::memcpy(&pixel, from, sizeof pixel);
    std::memcpy(to, &pixel, sizeof pixel);
}

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
    // Each target row segment of a tile is written left to right, so every wide move's extra
    // byte is overwritten by the move after it; the clockwise turn therefore reads its source
    // column upwards.
    const qsizetype sourceStep = turn == TTurn::Clockwise ? -sourceStride : sourceStride;

    for (int tileY = 0; tileY < height; tileY += TileSide) {
        const int endY = std::min(tileY + TileSide, height);
        const int count = endY - tileY;
        const int firstColumn = turn == TTurn::Clockwise ? height - endY : tileY;
        const int firstSourceRow = turn == TTurn::Clockwise ? endY - 1 : tileY;
        for (int tileX = 0; tileX < width; tileX += TileSide) {
            const int endX = std::min(tileX + TileSide, width);
            for (int x = tileX; x < endX; ++x) {
                const int targetRow = turn == TTurn::Clockwise ? x : width - 1 - x;
                uchar *to = targetBits + targetRow * targetStride + 3 * firstColumn;
                const uchar *from = sourceBits + firstSourceRow * sourceStride + 3 * x;
                // The last pixel of a segment must not spill into the segment after it, and
                // the source's last column may end the buffer: those go byte by byte.
                const int wideCount = x == width - 1 ? 0 : count - 1;
                int i = 0;
                for (; i < wideCount; ++i, from += sourceStep, to += 3)
                    CopyPixelWide(from, to);
                for (; i < count; ++i, from += sourceStep, to += 3)
                    CopyPixel(from, to);
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
