#pragma once
// The puzzle desktop: a scrollable area on which pieces are dragged and snap to a grid of
// cells, with a palette strip pinned to the left of the visible area that shows a scrollable
// window of the pieces not yet placed. Every drop is written into the game's piece (its
// position in desktop coordinates, none on the palette), then checked for joins.
//
// Ownership: the desktop owns the piece images; the game belongs to whoever set the desktop up
// (the play window's session) and must outlive the game set up on the desktop. Image i shows
// piece i of the game.
// View coordinates are relative to the visible area of m_scrollArea; desktop coordinates are
// view coordinates plus the scroll position, which is what the m_canvas's coordinates are.

#include "engine/container/DocumentValues.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/MoveHistory.h"
#include "engine/jigsaw/PlayProgress.h"
#include "windows/desktop/DesktopCanvas.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

class QRubberBand;
class QScrollArea;
class QScrollBar;
class QShortcut;
class TAnimatedImage;
class TPieceOutline;

class TPuzzleDesktop : public QFrame
{
    Q_OBJECT

public:
    explicit TPuzzleDesktop(QWidget *parent = nullptr);
    ~TPuzzleDesktop() override;

    // Empties the desktop and prepares it for a new game of the game's grid; game (not owned)
    // must outlive the game on the desktop.
    void SetupDesktop(TPuzzleGame &game, int pieceWidth, int pieceHeight, int margin);
    // The image of the game's next piece from a copy of workBitmap (24-bit, pieceWidth ×
    // pieceHeight; another size throws std::invalid_argument), shaped by the piece's edges,
    // lying hidden on the palette. Null when the game has no more pieces or before SetupDesktop.
    TPieceImage *AddPiece(const QImage &workBitmap);
    // The image of the game's next piece whose display picture is already shaped (as
    // ShapedPieceImage makes it, with this desktop's Outline and DrawBorders), lying hidden on
    // the palette. Null as AddPiece.
    TPieceImage *AddPieceImage(QImage displayPicture);
    // Puts a piece on the desktop at desktop coordinates (x, y), visible. Does not write the
    // game's piece. A null image is ignored.
    void PlacePiece(TPieceImage *image, int x, int y);
    void LayoutPalette();
    // Pins the palette strip to the view and lays the palette out.
    void RefreshPalette();
    // Palette order 0 ... 8 (see PaletteOrder.h); the palette is laid out at the next tick.
    void SetSortOrder(int order);
    // Shows the picture tiled once over the area right of the strip; a null picture hides it.
    void SetBackgroundPicture(const QImage &picture);
    void SetBackgroundColor(TColor colour);
    // Every piece back on the palette, positions removed from the game's pieces.
    void ResetGame();

    // The game's piece an image shows, -1 for none; the image of a piece, null for none.
    int PieceOfImage(const TPieceImage *image) const;
    TPieceImage *ImageOfPiece(int piece) const;
    // The game's pieces that have images, in the game's order; empty before SetupDesktop.
    TPieces Pieces() const;

    // Joining (see Joining.h), on this desktop's grid and pieces.
    std::optional<int> NeighbourOf(int piece, int direction) const;
    bool FitsNeighbour(int piece, int direction) const;
    std::optional<int> PieceAt(int col, int row) const;
    // Plays the sparkle on the piece if it fits a neighbour.
    void CheckJoin(int piece);
    bool IsSolved() const;

    // Pieces that lie in quarter turns (see PieceTurns.h): they are shown in their piece's turn,
    // the right button, R over a piece or Shift+wheel down over it turns one clockwise,
    // Shift+wheel up counter-clockwise, and a reset draws new turns. Off by default.
    void SetTurnedPieces(bool turned);
    bool TurnedPieces() const { return m_turnedPieces; }
    // Quarter turns clockwise (negative: counter-clockwise), stored in the game's piece and
    // checked for joins like a drop.
    void TurnPiece(TPieceImage *image, int quarterTurns = 1);

    void SetDrawBorders(bool borders) { m_drawBorders = borders; }
    bool DrawBorders() const { return m_drawBorders; }
    // The outline tests of the current piece size; null before SetupDesktop.
    const TPieceOutline *Outline() const { return m_outline.get(); }

    const std::vector<std::unique_ptr<TPieceImage>> &Images() const { return m_images; }
    // The pieces the palette lists, in its order.
    const QList<int> &PalettePieces() const { return m_palettePieces; }
    int PaletteSlots() const { return m_paletteSlots; }
    int PaletteTopPad() const { return m_paletteTopPad; }
    int SortOrder() const { return m_sortOrder; }
    int SparkleFramesShown() const { return m_sparkleFrames; }
    // Horizontal and vertical scroll positions of m_scrollArea.
    QPoint ScrollPosition() const;
    QPoint ViewPosition(const TPieceImage *image) const;
    QPoint DesktopPosition(const TPieceImage *image) const { return image->Position(); }
    // The widget that paints the items and receives the mouse over them.
    TDesktopCanvas *Canvas() const { return m_canvas; }

    // Play aids, each off or unused by default (PuzzleDesktopAids.cpp).
    // Joined pieces move together; Shift while pressing takes the one piece out.
    void SetGroupMoves(bool together) { m_groupMoves = together; }
    bool GroupMoves() const { return m_groupMoves; }
    // Takes back or repeats one step of moves; false when there is none.
    bool Undo();
    bool Redo();
    const TMoveHistory &History() const { return m_history; }
    // Zoom of the desktop (not the palette) between MinimumZoom and 1, keeping the desktop point
    // under anchor (view coordinates) in place.
    static constexpr double MinimumZoom = 0.25;
    void SetZoom(double zoom, QPoint anchor);
    double Zoom() const;
    void ZoomIn();
    void ZoomOut();
    // The largest zoom at which every piece on the desktop and the desktop's extent are seen.
    void ZoomToFit();
    // The palette shows only the pieces of the grid's first and last rows and columns.
    void SetBorderPiecesOnly(bool only);
    bool BorderPiecesOnly() const { return m_borderPiecesOnly; }
    // Brings every desktop piece that lies outside the visible area, or under the palette strip,
    // to free places in view, as one step; returns how many came back.
    int FindLostPieces();

    // Big puzzles (PuzzleDesktopBrowsing.cpp).
    // The palette shows its pieces at half size, so that twice as many fit; off by default.
    void SetSmallPalettePieces(bool small);
    bool SmallPalettePieces() const { return m_paletteScale != 1.0; }
    // Moves the palette's window by that many pieces (negative: towards its start), within its
    // range; the palette is laid out at the next tick.
    void ScrollPalette(int pieces);
    // The pieces on the desktop and the joins made.
    TPlayProgress Progress() const;
    // Spreads the pieces the palette shows (all of them, or the border ones), in its order, over
    // free places of the visible desktop, as one step. Returns how many stayed on the palette
    // for want of room.
    int LayOutPalettePieces();
    // A window floating over the desktop (the tools window): laying out and fitting keep clear of
    // it while it is shown. Not owned; null for none.
    void SetCoveringWindow(QWidget *window) { m_coveringWindow = window; }
    // The pieces selected by the rubber band or Ctrl+click.
    QList<TPieceImage *> Selection() const;
    void ClearSelection();
    // The piece the keyboard moves, or null.
    TPieceImage *KeyboardPiece() const { return m_keyboardPiece; }
    // Takes the first shown palette piece onto the view's top-left free place for the keys.
    bool PickPalettePiece();
    // Gives the keys the next piece on the desktop (with its group when joined pieces move
    // together), after the one they hold.
    bool PickDesktopPiece();

    // Components; m_paletteStrip, m_extentCorner and m_backgroundPicture are painted by the
    // m_canvas.
    QScrollArea *m_scrollArea;
    TDesktopCanvas *m_canvas;
    std::unique_ptr<TShapeItem> m_paletteStrip;
    QRect m_extentCorner;
    std::unique_ptr<TPictureItem> m_backgroundPicture;
    TAnimatedImage *m_sparkle;
    QWidget *m_marginPanel;
    QWidget *m_topPanel;
    QWidget *m_bottomPanel;
    QScrollBar *m_paletteScrollBar;
    QTimer *m_paletteTimer;

signals:
    // Raised after every drop of a piece.
    void OnPieceDropped(TPuzzleDesktop *sender);
    // Raised on every press of a button or key on the desktop: the player is playing.
    void PlayerActed();
    // Raised when pieces may have come onto or left the desktop, or joined or parted.
    void ProgressChanged();
    void ZoomChanged(double zoom);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateComponents();
    QWidget *CreatePanel(int height);
    void ResizeToFrame();
    void ComputePaletteSlots();
    void LayoutDockedControls();
    void UpdateExtent();
    int StripLeftInView() const;
    int CellWidth() const { return m_pieceWidth - 2 * m_margin; }
    int CellHeight() const { return m_pieceHeight - 2 * m_margin; }
    TJoinGrid Grid() const;

    void ItemMouseDown(TCanvasItem *item, QPoint point);
    void ItemMouseMove(TCanvasItem *item, QPoint point);
    void ItemMouseUp(TCanvasItem *item);
    void ImageMouseDown(TPieceImage *image, int X, int Y);
    void ImageMouseMove(TPieceImage *image, int X, int Y);
    void ImageMouseUp(TPieceImage *image);
    void DropPieces();
    void SnapToDesktop(TPieceImage *image);
    // Aids (PuzzleDesktopAids.cpp).
    void StartMove(TPieceImage *grabbed);
    QList<TPieceImage *> PiecesMovingWith(TPieceImage *grabbed) const;
    // With group moves on, images and every piece joined to one of them, each once; else images.
    QList<TPieceImage *> WithJoinedGroups(const QList<TPieceImage *> &images) const;
    TMoveStep FinishMove(const TMoveStep &started) const;
    void ApplyStep(const TMoveStep &step);
    void SetOnPalette(TPieceImage *image, bool onPalette);
    std::optional<QPoint> PlaceOf(const TPieceImage *image) const;
    int IndexOfImage(const TPieceImage *image) const;
    void ToggleSelected(TPieceImage *image);
    void BackgroundPressed(QPoint point);
    void BackgroundMoved(QPoint point);
    // Selects what the rubber band covers.
    void BackgroundReleased();
    QRect VisibleDesktopArea() const;
    // The part of the view that no covering window hides, in view coordinates.
    QRect UncoveredView() const;
    // The view x just right of the palette strip.
    int StripRightInView() const;
    // The smallest desktop x a piece's cell body may start at to lie right of the strip when the
    // view is scrolled to scrollX.
    int FirstDesktopXBesideStrip(int scrollX) const;
    // Moves every desktop piece right by whole cells, as one step, when some lie where no scroll
    // shows them: left of the strip's right edge. True when they moved.
    bool KeepPiecesBesideStrip();
    void UpdateStripWidth();
    // A palette piece's height at the palette's scale.
    int PalettePieceHeight() const;
    bool PaletteKey(int key);
    // Zooms without moving pieces.
    void ApplyZoom(double zoom, QPoint anchor);
    bool MoveKeyboardPiece(int key);
    void DropKeyboardPiece();
    void StorePosition(TPieceImage *image);
    void ResetCursor();
    // Turns the piece a turn event is over; true when the event was one.
    bool TurnInput(QEvent *event);
    void TurnPieceUnderMouse();
    void PaletteScrolled();
    void PaletteTick();
    void SparkleFrameChanged();
    void SparkleStopped();

    std::vector<std::unique_ptr<TPieceImage>> m_images;
    // Not owned; null before SetupDesktop.
    TPuzzleGame *m_game = nullptr;
    QList<int> m_palettePieces;
    TPieceImage *m_dragged = nullptr;
    // Every piece moving with m_dragged (itself first), and where each lay before.
    QList<TPieceImage *> m_moving;
    TMoveStep m_movingFrom;
    bool m_groupMoves = false;
    TMoveHistory m_history;
    bool m_borderPiecesOnly = false;
    QRubberBand *m_rubberBand = nullptr;
    QPoint m_rubberOrigin;
    TPieceImage *m_keyboardPiece = nullptr;
    int m_grabX = 0;
    int m_grabY = 0;
    int m_cols = 0;
    int m_rows = 0;
    int m_margin = 0;
    int m_pieceWidth = 0;
    int m_pieceHeight = 0;
    bool m_drawBorders = true;
    bool m_turnedPieces = false;
    QShortcut *m_turnShortcut = nullptr;
    // The last mouse point over the m_canvas, in its coordinates: what the R key turns.
    QPoint m_lastMousePoint;
    // The outline tests of the current piece size, made by SetupDesktop.
    std::unique_ptr<TPieceOutline> m_outline;
    // The palette's pieces are shown at this scale.
    double m_paletteScale = 1.0;
    QPointer<QWidget> m_coveringWindow;
    int m_paletteSlots = 1;
    int m_paletteTopPad = 0;
    int m_nextPaletteTop = 5;
    int m_sortOrder = 0;
    int m_lastHorzPos = 0;
    int m_lastVertPos = 0;
    bool m_paletteDirty = false;
    bool m_initialised = false;
    int m_sparkleFrames = 0;
};
