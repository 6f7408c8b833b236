#include "jigsaw/Cutting.h"

#include "container/KelPigger.h"
#include "container/PuzzleDocument.h"
#include "jigsaw/PieceShape.h"

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
    const TKelPigger *pieces = document.FindChild(PuzzleSchema::PiecesNode);
    QImage workBitmap(geometry->pieceWidth, geometry->pieceHeight, QImage::Format_RGB888);
    for (int row = 0; row < cut.grid.rows; ++row) {
        for (int col = 0; col < cut.grid.cols; ++col) {
            const TKelPigger *record =
                pieces == nullptr ? nullptr : pieces->Child(row * cut.grid.cols + col);
            if (record == nullptr)
                continue;
            RenderCell(workBitmap, sourceBitmap, col * geometry->cellWidth - geometry->margin,
                       row * geometry->cellHeight - geometry->margin);
            QImage piece = workBitmap.copy();
            ShapePiece(piece, ReadPieceEdges(*record), outline, cut.grid.drawBorders);
            cut.pieces.push_back({row, col, PieceDisplayImage(piece)});
        }
    }
    return cut;
}
