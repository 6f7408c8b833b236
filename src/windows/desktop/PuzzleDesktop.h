#pragma once
// The puzzle desktop: a scrollable area on which pieces are dragged and snap to a grid of
// cells, with a palette strip pinned to the left of the visible area that shows a scrollable
// window of the pieces not yet placed. Every drop is written into the piece's record
// (PLEFT/PTOP in desktop coordinates, absent on the palette), then checked for joins.
//
// Ownership: the desktop owns the piece images; the piece records belong to the document,
// which must outlive the game set up on the desktop.
// View coordinates are relative to the visible area of ScrollBox1; desktop coordinates are
// view coordinates plus the scroll position, which is what the canvas's coordinates are.

#include "engine/container/DocumentValues.h"
#include "windows/desktop/DesktopCanvas.h"

#include <QFrame>
#include <QHash>
#include <QList>
#include <QTimer>
#include <memory>
#include <vector>

class QScrollArea;
class QScrollBar;
class TAnimatedImage;
class TKelPigger;
class TPieceOutline;
struct TJoinGrid;

class TO_pd : public QFrame
{
    Q_OBJECT

public:
    explicit TO_pd(QWidget *parent = nullptr);
    ~TO_pd() override;

    // Empties the desktop and prepares it for a new game of cols × rows pieces.
    void SetupDesktop(int cols, int rows, int pieceWidth, int pieceHeight, int margin);
    // A new piece from a copy of workBitmap (24-bit, pieceWidth × pieceHeight; another size
    // throws std::invalid_argument), shaped by the record's edges, lying hidden on the palette.
    // Null when record is null or before SetupDesktop.
    TPieceImage *AddPiece(const QImage &workBitmap, TKelPigger *record);
    // A new piece whose display picture is already shaped (as ShapedPieceImage makes it, with
    // this desktop's Outline and DrawBorders), lying hidden on the palette. Null as AddPiece.
    TPieceImage *AddPieceImage(QImage displayPicture, TKelPigger *record);
    // Puts a piece on the desktop at desktop coordinates (x, y), visible. Does not write the
    // record. A null image is ignored.
    void PlacePiece(TPieceImage *image, int x, int y);
    void LayoutPalette();
    // Pins the palette strip to the view and lays the palette out.
    void RefreshPalette();
    // Palette order 0 ... 8 (see PaletteOrder.h); the palette is laid out at the next tick.
    void SetSortOrder(int order);
    // Shows the picture tiled once over the area right of the strip; a null picture hides it.
    void SetBackgroundPicture(const QImage &picture);
    void SetBackgroundColor(TColor colour);
    // Every piece back on the palette, positions removed from the records.
    void ResetGame();

    TKelPigger *RecordOfImage(const TPieceImage *image) const;
    TPieceImage *ImageOfRecord(const TKelPigger *record) const;

    // Joining (see Joining.h), on this desktop's grid and records.
    TKelPigger *NeighbourOf(const TKelPigger *record, int direction) const;
    bool FitsNeighbour(const TKelPigger *record, int direction) const;
    TKelPigger *PieceAt(int col, int row) const;
    // Plays the sparkle on the piece if it fits a neighbour.
    void CheckJoin(const TKelPigger *record);
    bool IsSolved() const;

    void SetDrawBorders(bool borders) { drawBorders = borders; }
    bool DrawBorders() const { return drawBorders; }
    // The outline tests of the current piece size; null before SetupDesktop.
    const TPieceOutline *Outline() const { return outline.get(); }

    const std::vector<std::unique_ptr<TPieceImage>> &Images() const { return images; }
    const QList<TKelPigger *> &Records() const { return records; }
    const QList<TKelPigger *> &PaletteRecords() const { return paletteRecords; }
    int PaletteSlots() const { return paletteSlots; }
    int PaletteTopPad() const { return paletteTopPad; }
    int SortOrder() const { return sortOrder; }
    int SparkleFramesShown() const { return sparkleFrames; }
    // Horizontal and vertical scroll positions of ScrollBox1.
    QPoint ScrollPosition() const;
    QPoint ViewPosition(const TPieceImage *image) const;
    QPoint DesktopPosition(const TPieceImage *image) const { return image->Position(); }
    // The widget that paints the items and receives the mouse over them.
    TDesktopCanvas *Canvas() const { return canvas; }

    // Components; Shape_pal, Shape_RD and Image_bg are painted by the canvas.
    QScrollArea *ScrollBox1;
    TDesktopCanvas *canvas;
    std::unique_ptr<TShapeItem> Shape_pal;
    QRect Shape_RD;
    std::unique_ptr<TPictureItem> Image_bg;
    TAnimatedImage *AI1;
    QWidget *Panel_margin;
    QWidget *Panel_top;
    QWidget *Panel_bottom;
    QScrollBar *ScrollBar_pal;
    QTimer *Timer1;

signals:
    // Raised after every drop of a piece.
    void OnPieceDropped(TO_pd *sender);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateComponents();
    QWidget *CreatePanel(int height);
    void FrameResize();
    void ComputePaletteSlots();
    void LayoutDockedControls();
    void UpdateExtent();
    int StripLeftInView() const;
    int CellWidth() const { return pieceWidth - 2 * margin; }
    int CellHeight() const { return pieceHeight - 2 * margin; }
    TJoinGrid Grid() const;

    void ItemMouseDown(TCanvasItem *item, QPoint point);
    void ItemMouseMove(TCanvasItem *item, QPoint point);
    void ItemMouseUp(TCanvasItem *item);
    void ImageMouseDown(TPieceImage *image, int X, int Y);
    void ImageMouseMove(TPieceImage *image, int X, int Y);
    void ImageMouseUp(TPieceImage *image);
    void DropPiece(TPieceImage *image);
    void SnapToDesktop(TPieceImage *image);
    void StorePosition(TPieceImage *image);
    void reset_cursorMouseMove();
    void ScrollBar_palChange();
    void Timer1Timer();
    void AI1FrameChanged();
    void AI1Stop();

    std::vector<std::unique_ptr<TPieceImage>> images;
    QList<TKelPigger *> records;
    // Where each record stands in records: a document may hold far more records than pieces,
    // and every one of them is looked up when positions are restored.
    QHash<const TKelPigger *, qsizetype> indexOfRecord;
    QList<TKelPigger *> paletteRecords;
    TPieceImage *dragged = nullptr;
    int grabX = 0;
    int grabY = 0;
    int cols = 0;
    int rows = 0;
    int margin = 0;
    int pieceWidth = 0;
    int pieceHeight = 0;
    bool drawBorders = true;
    // The outline tests of the current piece size, made by SetupDesktop.
    std::unique_ptr<TPieceOutline> outline;
    int paletteSlots = 1;
    int paletteTopPad = 0;
    int nextPaletteTop = 5;
    int sortOrder = 0;
    int lastHorzPos = 0;
    int lastVertPos = 0;
    bool paletteDirty = false;
    bool initialised = false;
    int sparkleFrames = 0;
};
