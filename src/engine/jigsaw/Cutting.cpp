#include "engine/jigsaw/Cutting.h"

#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceShape.h"

void RenderEachCell(const QImage &sourceBitmap, const TKelPigger *pieces, int cols, int rows,
                    const TPieceGeometry &geometry, QImage &workBitmap,
                    const std::function<void(int row, int col, TKelPigger *record)> &take)
{
    if (pieces == nullptr)
        return;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            TKelPigger *record = pieces->Child(row * cols + col);
            if (record == nullptr)
                continue;
            RenderCell(workBitmap, sourceBitmap, col * geometry.cellWidth - geometry.margin,
                       row * geometry.cellHeight - geometry.margin);
            take(row, col, record);
        }
    }
}

std::optional<TPuzzleCut> CutPuzzle(const QImage &picture, const TKelPigger &document)
{
    const QImage sourceBitmap = picture.convertToFormat(QImage::Format_RGB888);
    TPuzzleCut cut;
    cut.grid = ReadPuzzleGrid(document);
    const std::optional<TPieceGeometry> geometry = ComputePieceGeometry(
        sourceBitmap.width(), sourceBitmap.height(), cut.grid.cols, cut.grid.rows);
    if (!geometry)
        return std::nullopt;
    cut.geometry = *geometry;

    const TPieceOutline outline(geometry->pieceWidth, geometry->pieceHeight, geometry->margin);
    QImage workBitmap(geometry->pieceWidth, geometry->pieceHeight, QImage::Format_RGB888);
    RenderEachCell(sourceBitmap, document.FindChild(PuzzleSchema::PiecesNode), cut.grid.cols,
                   cut.grid.rows, *geometry, workBitmap,
                   [&](int row, int col, const TKelPigger *record) {
                       QImage piece = workBitmap.copy();
                       ShapePiece(piece, ReadPieceEdges(*record), outline, cut.grid.drawBorders);
                       cut.pieces.push_back({row, col, PieceDisplayImage(piece)});
                   });
    return cut;
}
