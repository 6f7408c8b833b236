#pragma once
// Piece sizes from the picture and the grid, and rendering one cell with its margin band.

#include <QImage>
#include <optional>

struct TPuzzleGame;

// Beyond this many columns or rows a puzzle is not played.
inline constexpr int MaxGridSize = 100;

// The grid and border flag of a game.
struct TPuzzleGrid {
    int cols = 0;
    int rows = 0;
    bool drawBorders = true;
};
TPuzzleGrid GridOf(const TPuzzleGame &game);

// All values in pixels. A piece image is pieceWidth × pieceHeight; its cell starts at
// (margin, margin).
struct TPieceGeometry {
    int cellWidth = 0;
    int cellHeight = 0;
    int margin = 0;
    int pieceWidth = 0;
    int pieceHeight = 0;
    int tabRadius = 0;

    bool operator==(const TPieceGeometry &) const = default;
};

// Nothing when the puzzle cannot be played: a grid outside 1 ... MaxGridSize in either
// direction, or a picture too small for cells of at least one pixel.
std::optional<TPieceGeometry> ComputePieceGeometry(int pictureWidth, int pictureHeight, int cols,
                                                   int rows);

// Fills workBitmap with pure white and copies sourceBitmap into it with the source's top-left
// corner at (-x, -y), so workBitmap shows the picture from (x, y). Both bitmaps must be
// QImage::Format_RGB888; anything else throws std::invalid_argument.
void RenderCell(QImage &workBitmap, const QImage &sourceBitmap, int x, int y);
