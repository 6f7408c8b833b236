#include "engine/jigsaw/PieceGeometry.h"

#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PuzzleGame.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace
{

constexpr int MinMargin = 10;
constexpr int MaxMargin = 40;

// numerator / denominator rounded to the nearest integer, ties to even; both positive.
int RoundedQuotient(int numerator, int denominator)
{
    const int quotient = numerator / denominator;
    const int twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 == 1))
        return quotient + 1;
    return quotient;
}

int MarginForCell(int cellWidth, int cellHeight)
{
    return std::clamp(2 * std::min(cellWidth, cellHeight) / 5, MinMargin, MaxMargin);
}

void RequireRgb888(const QImage &bitmap, const char *what)
{
    if (bitmap.format() != QImage::Format_RGB888)
        throw std::invalid_argument(std::string(what) + " must be a 24-bit RGB bitmap");
}

void FillWhite(unsigned char *bytes, int pixels)
{
    if (pixels > 0)
        std::memset(bytes, 255, static_cast<std::size_t>(pixels) * 3);
}

} // namespace

TPuzzleGrid GridOf(const TPuzzleGame &game)
{
    return {game.cols, game.rows, game.drawBorders};
}

std::optional<TPieceGeometry> ComputePieceGeometry(int pictureWidth, int pictureHeight, int cols,
                                                   int rows)
{
    if (cols < 1 || rows < 1 || cols > MaxGridSize || rows > MaxGridSize || pictureWidth < 1 ||
        pictureHeight < 1)
        return std::nullopt;
    TPieceGeometry geometry;
    geometry.cellWidth = RoundedQuotient(pictureWidth, cols);
    geometry.cellHeight = RoundedQuotient(pictureHeight, rows);
    if (geometry.cellWidth < 1 || geometry.cellHeight < 1)
        return std::nullopt;
    geometry.margin = MarginForCell(geometry.cellWidth, geometry.cellHeight);
    geometry.pieceWidth = geometry.cellWidth + 2 * geometry.margin;
    geometry.pieceHeight = geometry.cellHeight + 2 * geometry.margin;
    geometry.tabRadius = TabRadiusForMargin(geometry.margin);
    return geometry;
}

void RenderCell(QImage &workBitmap, const QImage &sourceBitmap, int x, int y)
{
    RequireRgb888(workBitmap, "The work bitmap");
    RequireRgb888(sourceBitmap, "The source bitmap");
    const int width = workBitmap.width();
    // Columns of workBitmap that show the picture: [first, last).
    const int first = std::clamp(-x, 0, width);
    const int last = std::clamp(sourceBitmap.width() - x, first, width);
    for (int row = 0; row < workBitmap.height(); ++row) {
        unsigned char *target = workBitmap.scanLine(row);
        const int sourceRow = row + y;
        if (sourceRow < 0 || sourceRow >= sourceBitmap.height() || first == last) {
            FillWhite(target, width);
            continue;
        }
        FillWhite(target, first);
        std::memcpy(target + first * 3, sourceBitmap.constScanLine(sourceRow) + (first + x) * 3,
                    static_cast<std::size_t>(last - first) * 3);
        FillWhite(target + last * 3, width - last);
    }
}
