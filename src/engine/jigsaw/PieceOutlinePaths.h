#pragma once
// Piece outlines as paths, for drawing programs that do not cut pieces themselves (the puzzle's
// web page). A path follows the pixel edges of a piece's display mask exactly, so that filling it
// covers the same pixels the desktop shows, tab for tab; with its corners on whole pixels even an
// antialiased fill covers each pixel wholly or not at all.

#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PieceShape.h"

#include <QByteArray>
#include <QImage>
#include <QPolygon>
#include <QSize>
#include <vector>

// Which pixels of the piece at (col, row) the desktop shows without 3D borders: a
// Format_Alpha8 image of the piece size, 255 inside the outline, 0 outside. It is shaped by
// ShapePiece itself, so it ends where the picture of pictureSize ends, as the desktop's pieces do.
QImage PieceInsideMask(const TPieceGeometry &geometry, QSize pictureSize, int col, int row,
                       const TPieceEdges &edges);

// The boundary of the non-zero pixels of an 8-bit mask (Format_Alpha8 or Grayscale8; any other
// format is read by its alpha) as closed loops of pixel corners, each
// corner a turn (no two edges in a row go the same way). Loops run clockwise on screen around
// what is inside and the other way around holes, so a non-zero fill covers the mask exactly.
std::vector<QPolygon> MaskOutlineLoops(const QImage &mask);

// SVG path data of rectilinear loops: "M x y" then h and v steps, each loop closed with "z".
QByteArray SvgPathData(const std::vector<QPolygon> &loops);

// The outlines of every piece of a grid, each distinct path once; pieceOutline[i] indexes paths
// for the piece of cell i (row-major).
struct TPuzzleOutlines {
    std::vector<QByteArray> paths;
    std::vector<int> pieceOutline;
};
TPuzzleOutlines PuzzleOutlines(const TPieceGeometry &geometry, QSize pictureSize, int cols,
                               const std::vector<TPieceEdges> &edgesInRowMajorOrder);
