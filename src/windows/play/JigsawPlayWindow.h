#pragma once
// The jigsaw play window: the base play window with the puzzle desktop on its puzzle page. It
// prepares a game from the puzzle's picture and document (piece sizes from the picture, every
// cell cut and shaped in row-major order, stored positions restored), applies the saved desktop
// background on its first activation.

#include "engine/jigsaw/PieceGeometry.h"
#include "windows/play/PlayWindowBase.h"

#include <QByteArray>
#include <memory>

class TJpegRowReader;
class TPuzzleDesktop;

class TJigsawPlayWindow : public TPlayWindowBase
{
    Q_OBJECT
public:
    explicit TJigsawPlayWindow(QWidget *parent = nullptr);
    ~TJigsawPlayWindow() override;

    // BuildGame.
    void PrepareGame() override;
    // Prepares the game, reporting 0, 10, 20, 50 and 70 percent on the way. Throws when the
    // document has no piece records, the cut would exceed the memory budget (both before
    // anything is decoded), the picture cannot be decoded or the grid cannot be played on it;
    // the main window is minimised at the end.
    void BuildGame();
    // Opens the picture for decoding (its header is read); the rows are decoded by the cut.
    void LoadSourcePicture();
    // The caption, the grid and the border flag from the game.
    void ReadPuzzleSize();
    // Decodes the picture once, band by band, cutting every cell with a piece on all cores and
    // adding the pieces to the desktop in row-major order; the tools window's thumbnail is made
    // from the same rows. Nothing of the full-size picture is kept afterwards.
    void CutPieces();
    // Pieces that hold a position go onto the desktop there, unless it lies beyond what a window
    // can extend to; then the palette is laid out.
    void RestorePiecePositions();

    const TPieceGeometry &Geometry() const { return m_geometry; }

    TPuzzleDesktop *m_desktop;

protected:
    // Applies the stored background on the first activation, then the base's.
    void Activated() override;
    // Adds the desktop, the backgrounds dialog, the session's reset and browsing.
    TToolsWindow::TGame ToolsGame() override;
    // The desktop's pieces back on the palette, then the base's.
    void ResetGame() override;

private:
    void ComputeGeometry();

    // The picture being decoded, from LoadSourcePicture to the end of the cut.
    std::unique_ptr<TJpegRowReader> m_sourceReader;
    int m_cols = 0;
    int m_rows = 0;
    TPieceGeometry m_geometry;
};
