#pragma once
// A desktop playing a real puzzle, for the desktop's window tests: the test puzzle of
// support/TestPuzzles.h, every cell rendered and added in row-major order as the play window
// does. The frame is shown on the offscreen platform.

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PieceGeometry.h"
#include "windows/desktop/PuzzleDesktop.h"

#include <QImage>
#include <QPoint>
#include <QSize>

class TDesktopGame
{
public:
    // pieceCount < 0 adds every piece of the grid.
    TDesktopGame(int cols, int rows, QSize pictureSize, QSize frameSize, int pieceCount = -1);

    // The game's piece that image index shows.
    TPiece &Piece(int index);
    TPieceImage *Image(int index) const;
    int PieceCount() const { return static_cast<int>(desktop.Images().size()); }

    // Presses the button on the image at grab (image pixels), moves in two steps until the
    // image's top-left corner would lie at the view point target, and releases there; the
    // modifiers are held throughout.
    void Drag(TPieceImage *image, QPoint grab, QPoint targetView,
              Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    // A drag by the middle of the cell body.
    void DragTo(TPieceImage *image, QPoint targetView);
    QPoint BodyPoint() const;
    // Waits for the next tick of the palette timer.
    void WaitForTick();
    void ScrollTo(int horizontal, int vertical);

    TPuzzleDocument document;
    TPuzzleGame &game;
    TPieceGeometry geometry;
    QImage picture;
    // Declared after the document: the desktop holds its game.
    TPuzzleDesktop desktop;
};
