#pragma once
// Cutting a whole puzzle the way the player prepares a game: the grid and border flag from the
// document, the geometry from the picture, then every cell in row-major order rendered, shaped
// by its record's edges and turned into a display image.

#include "engine/jigsaw/PieceGeometry.h"

#include <QImage>
#include <functional>
#include <optional>
#include <vector>

class TKelPigger;

struct TCutPiece {
    int row = 0;
    int col = 0;
    // Format_ARGB32_Premultiplied; transparent outside the outline.
    QImage image;
};

struct TPuzzleCut {
    TPuzzleGrid grid;
    TPieceGeometry geometry;
    // Row-major; a cell whose PIECE record is missing has no piece.
    std::vector<TCutPiece> pieces;
};

// Renders into workBitmap (pieceWidth × pieceHeight, 24-bit), in row-major order, every cell of a
// cols × rows grid whose PIECE record stands at index row × cols + col of pieces, and hands each
// on with its record before the next is rendered. Cells without a record are skipped.
void RenderEachCell(const QImage &sourceBitmap, const TKelPigger *pieces, int cols, int rows,
                    const TPieceGeometry &geometry, QImage &workBitmap,
                    const std::function<void(int row, int col, TKelPigger *record)> &take);

// Nothing when the puzzle cannot be played (see ComputePieceGeometry). picture may be of any
// format; it is converted to 24-bit colour first.
std::optional<TPuzzleCut> CutPuzzle(const QImage &picture, const TKelPigger &document);
