#pragma once
// Cutting a whole puzzle the way the player prepares a game: the grid and border flag from the
// game, the geometry from the picture, then every cell rendered, shaped by its piece's
// edges and turned into a display image, handed on in row-major order.
//
// The picture is read once from top to bottom, one band (a row of cells with its margin bands)
// at a time, so that only two bands of it are ever held; while the next band is read, the cells
// of the one before are shaped on worker threads.

#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PuzzleGame.h"

#include <QImage>
#include <QSize>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class TPieceOutline;

struct TCutPiece {
    int row = 0;
    int col = 0;
    // Format_ARGB32_Premultiplied; transparent outside the outline.
    QImage image;
};

struct TPuzzleCut {
    TPuzzleGrid grid;
    TPieceGeometry geometry;
    // Row-major; a cell beyond the game's pieces has none.
    std::vector<TCutPiece> pieces;
};

// Writes the picture's next count rows, 24-bit in the byte order of QImage::Format_RGB888,
// bytesPerLine apart from firstRow. May throw; the cut then ends with that exception.
using TRowSource = std::function<void(unsigned char *firstRow, qsizetype bytesPerLine, int count)>;
// Sees one picture row (pictureSize.width() 24-bit pixels).
using TRowObserver = std::function<void(const unsigned char *row)>;
// Gets the piece of cell (row, col), which is piece row × cols + col of the game.
using TPieceTaker = std::function<void(int row, int col, QImage piece)>;

struct TCutPlan {
    QSize pictureSize;
    int cols = 0;
    int rows = 0;
    TPieceGeometry geometry;
    bool drawBorders = true;
    // Threads that shape pieces; 1 shapes them on the calling thread between the reads.
    int threads = 1;
};

// The threads a game is cut with: one per processor core, within reason.
int CutThreads();

// Cuts every cell of the plan's grid whose piece stands at index row × cols + col of pieces
// (cells beyond them are skipped). readRows is asked for
// every row of the picture exactly once, in order; seeRow, unless empty, sees each of them once,
// in order. take gets every piece, as ShapedPieceImage makes it, in row-major order. All three
// run on the calling thread. outline must be of the plan's piece size.
void CutCells(const TCutPlan &plan, const TPieceOutline &outline, std::span<const TPiece> pieces,
              const TRowSource &readRows, const TRowObserver &seeRow, const TPieceTaker &take);

// Nothing when the puzzle cannot be played (see ComputePieceGeometry). picture may be of any
// format; it is converted to 24-bit colour first.
std::optional<TPuzzleCut> CutPuzzle(const QImage &picture, const TPuzzleGame &game,
                                    int threads = CutThreads());
