#pragma once
// Cutting a whole puzzle the way the player prepares a game: the grid and border flag from the
// document, the geometry from the picture, then every cell in row-major order rendered, shaped
// by its record's edges and turned into a display image.

#include "jigsaw/PieceGeometry.h"

#include <QImage>
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

// Nothing when the puzzle cannot be played (see ComputePieceGeometry). picture may be of any
// format; it is converted to 24-bit colour first.
std::optional<TPuzzleCut> CutPuzzle(const QImage &picture, const TKelPigger &document);
