#include "engine/jigsaw/PlayChecks.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"

#include <optional>
#include <string>

namespace
{

constexpr std::int64_t MiB = 1 << 20;

std::int64_t BitmapBytes(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel)
{
    const std::int64_t bytesPerLine = (width * bytesPerPixel + 3) / 4 * 4;
    return bytesPerLine * height;
}

std::string Mebibytes(std::int64_t bytes)
{
    return std::to_string((bytes + MiB - 1) / MiB) + " MiB";
}

} // namespace

std::int64_t GameHeldBytes(std::int64_t fileBytes, const TPuzzleDocument &document)
{
    constexpr std::int64_t BytesPerNode = 1024;
    return fileBytes + document.NodeCount() * BytesPerNode;
}

std::int64_t PlayedGameHeldBytes(const TJpegPicture &source, const TPuzzleDocument &document)
{
    return GameHeldBytes(ExeImage().size() + source.Data().size(), document);
}

void RequirePieceRecords(const TPuzzleDocument &document)
{
    if (document.IsEmpty())
        throw EPuzzleRefused("The puzzle has no document");
    if (document.Game().pieces.empty())
        throw EPuzzleRefused("The puzzle's document has no pieces");
}

TPieceGeometry RequireCuttableGrid(int pictureWidth, int pictureHeight, int cols, int rows)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        throw EPuzzleRefused("The puzzle has no picture");
    const std::optional<TPieceGeometry> geometry =
        ComputePieceGeometry(pictureWidth, pictureHeight, cols, rows);
    if (!geometry)
        throw EPuzzleRefused("The puzzle's grid cannot be cut from its picture");
    return *geometry;
}

std::int64_t CutMemoryNeed(int pictureWidth, int pictureHeight, std::int64_t decoderBufferBytes,
                           const TPuzzleGrid &grid, const TPieceGeometry &geometry)
{
    return BitmapBytes(pictureWidth, pictureHeight, 3) + decoderBufferBytes +
           BitmapBytes(geometry.pieceWidth, geometry.pieceHeight, 3) +
           HeldPiecesBytes(grid, geometry);
}

std::int64_t HeldPiecesBytes(const TPuzzleGrid &grid, const TPieceGeometry &geometry)
{
    const std::int64_t cells = std::int64_t{grid.cols} * grid.rows;
    return cells * BitmapBytes(geometry.pieceWidth, geometry.pieceHeight, 4);
}

std::int64_t SolvedDisplayNeed(int sourceWidth, int sourceHeight, std::int64_t sourceDecoderBytes,
                               int alternativeWidth, int alternativeHeight,
                               std::int64_t alternativeDecoderBytes)
{
    const auto shown = [](std::int64_t width, std::int64_t height, std::int64_t decoderBytes) {
        return BitmapBytes(width, height, 3) + decoderBytes + BitmapBytes(width, height, 4);
    };
    return shown(sourceWidth, sourceHeight, sourceDecoderBytes) +
           shown(alternativeWidth, alternativeHeight, alternativeDecoderBytes);
}

void RequireSolvedDisplayWithinBudget(const TJpegPicture &source, const TJpegPicture &alternative,
                                      const TPuzzleGame &game, std::int64_t heldBytes)
{
    const TPuzzleGrid grid = GridOf(game);
    const std::optional<TPieceGeometry> geometry =
        ComputePieceGeometry(source.Width(), source.Height(), grid.cols, grid.rows);
    const std::int64_t need =
        heldBytes + (geometry ? HeldPiecesBytes(grid, *geometry) : 0) +
        SolvedDisplayNeed(source.Width(), source.Height(), source.DecoderBufferBytes(),
                          alternative.Width(), alternative.Height(),
                          alternative.DecoderBufferBytes());
    if (need > MemoryBudget)
        throw EPuzzleRefused("The alternative picture is too large: showing it would need " +
                             Mebibytes(need) + ", more than the " + Mebibytes(MemoryBudget) +
                             " the game may take");
}

void RequireCutWithinBudget(int pictureWidth, int pictureHeight, std::int64_t decoderBufferBytes,
                            const TPuzzleGame &game, std::int64_t heldBytes)
{
    if (heldBytes > MemoryBudget)
        throw EPuzzleRefused("The puzzle file and its document take " + Mebibytes(heldBytes) +
                             ", more than the " + Mebibytes(MemoryBudget) + " the game may take");
    const TPuzzleGrid grid = GridOf(game);
    const std::optional<TPieceGeometry> geometry =
        ComputePieceGeometry(pictureWidth, pictureHeight, grid.cols, grid.rows);
    if (!geometry)
        return;
    const std::int64_t need =
        heldBytes + CutMemoryNeed(pictureWidth, pictureHeight, decoderBufferBytes, grid, *geometry);
    if (need > MemoryBudget)
        throw EPuzzleRefused("The puzzle would need " + Mebibytes(need) +
                             " to be cut, with its file and document, more than the " +
                             Mebibytes(MemoryBudget) + " it may take");
}

void RequirePlayablePuzzle(const TJpegPicture &picture, const TPuzzleDocument &document,
                           std::int64_t heldBytes)
{
    RequirePieceRecords(document);
    const TPuzzleGrid grid = GridOf(document.Game());
    const int width = picture.Width(), height = picture.Height();
    RequireCuttableGrid(width, height, grid.cols, grid.rows);
    RequireCutWithinBudget(width, height, picture.DecoderBufferBytes(), document.Game(), heldBytes);
}
