#pragma once
// The outline of a jigsaw piece and the shaping of a rendered cell into a piece image.
// Coordinates are pixels of the piece image: (0, 0) is its top-left corner, the cell itself
// starts at (margin, margin) and the band of width margin around it holds the tabs.

#include "engine/jigsaw/PuzzleGame.h"

#include <QImage>
#include <QRect>
#include <optional>
#include <vector>

// Radius of the tab's arcs for a margin band: Round(margin / (2 + sqrt 2)), ties to even.
int TabRadiusForMargin(int margin);

// Half-width of a tab (and of its hole) at depth a from the cell's edge line, for tab radius r.
int TabHalfWidth(int a, int tabRadius);

// The outline tests of one piece size. The tab profile is tabulated once, so a test is a few
// integer comparisons.
class TPieceOutline
{
public:
    TPieceOutline(int pieceWidth, int pieceHeight, int margin);

    int PieceWidth() const { return m_width; }
    int PieceHeight() const { return m_height; }
    int TabRadius() const { return m_tabRadius; }
    int TabHalfWidth(int a) const;

    // Whether (x, y) lies outside the piece because of that one edge.
    bool OutsideTop(int x, int y, int T) const;
    bool OutsideRight(int x, int y, int R) const;
    bool OutsideBottom(int x, int y, int B) const;
    bool OutsideLeft(int x, int y, int L) const;
    // Outside because of any edge.
    bool Outside(int x, int y, const TPieceEdges &edges) const;

    // Marks outside[x] = 1 for every pixel of row y (0 <= y < PieceHeight()) outside the piece;
    // others are left as they are, the caller clears the row first. outside must hold
    // PieceWidth() bytes.
    void MarkOutsideRow(int y, const TPieceEdges &edges, unsigned char *outside) const;

private:
    bool OutsideByEdge(int edge, int depth, int along, int centre) const;
    void MarkHorizontalEdge(int edge, int depth, unsigned char *outside) const;
    void TabulateBands();
    static int BandIndex(int edge) { return edge == 1 ? 1 : 0; }
    void MarkBandRow(const std::vector<unsigned char> (&bands)[2], int edge, int y,
                     unsigned char *outside) const;

    int m_width;
    int m_height;
    int m_margin;
    int m_tabRadius;
    // TabHalfWidth for depths 0 ... margin, every depth a test inside the piece asks for.
    std::vector<int> m_profile;
    // Outside flags of the left and right margin bands (2 × margin columns each, at most the
    // piece width), row by row, for a hole [0] and a tab [1].
    int m_bandWidth = 0;
    std::vector<unsigned char> m_leftBands[2];
    std::vector<unsigned char> m_rightBands[2];
};

// The pixels of a piece image that show the picture when the image shows pictureSize from
// (x, y); the rest lies beyond the picture's edge. Empty when the cell lies wholly beyond it.
QRect PictureAreaOfPiece(QSize pictureSize, int x, int y, QSize pieceSize);

// Shapes a rendered cell in place: pure white becomes (254, 254, 254), pixels outside the
// outline become pure white, with drawBorders the 3D border is drawn along the outline's left
// and right sides, and the bottom-left pixel is made pure white. A pixel outside pictureArea
// lies beyond the picture's edge and counts as outside the outline, so that a border piece ends
// where the picture ends; without pictureArea the whole bitmap shows the picture. bitmap must be
// QImage::Format_RGB888 of the outline's piece size; anything else throws std::invalid_argument.
void ShapePiece(QImage &bitmap, const TPieceEdges &edges, const TPieceOutline &outline,
                bool drawBorders, const std::optional<QRect> &pictureArea = std::nullopt);

// A shaped 24-bit piece as a display image (QImage::Format_ARGB32_Premultiplied): every pixel of
// the bottom-left pixel's colour is fully transparent, every other pixel opaque. A null bitmap
// gives a null image.
QImage PieceDisplayImage(const QImage &shapedPiece);

// The smallest rectangle holding every pixel of a display image that is not fully transparent;
// empty when none is. A piece keeps only these pixels: the outline's bounding box.
QRect OpaqueBounds(const QImage &displayPicture);

// RenderCell, ShapePiece (ending at sourceBitmap's edges) and PieceDisplayImage: the display
// image of the piece that shows sourceBitmap (Format_RGB888, else std::invalid_argument; a null
// bitmap shows nothing) from (x, y). The rendering and shaping happen in workBitmap, which is made
// the piece's size and 24-bit when it is not and can be reused from piece to piece, so that the
// only new memory is the display image. Separate calls may run on separate threads, each with its
// own workBitmap.
QImage ShapedPieceImage(const QImage &sourceBitmap, int x, int y, const TPieceEdges &edges,
                        const TPieceOutline &outline, bool drawBorders, QImage &workBitmap);
