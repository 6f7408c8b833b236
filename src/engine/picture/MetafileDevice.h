#pragma once
// The drawing state a metafile's records act on, as Windows' device context keeps it, drawn onto
// a QPainter: the object table and the selected pen, brush and font; colours and modes; the
// mapping from logical coordinates to the painter's (mapping mode, window and viewport, world
// transform); clipping; the current position and path; saving and restoring all of it. Both
// record players (WMF and EMF) use it, so each rule is written once. Positions are logical
// unless said otherwise. Text needs a QGuiApplication (fonts); without one it is left out.
//
// Every record is bounded, but a hostile file of up to MaxGraphicFileBytes could still hold
// millions of records each painting the whole picture, clip regions growing by one rectangle per
// record, or outlines Qt's rasterizer takes seconds over. So a playback has a work budget,
// MetafileWorkBudget, counted in units of about one painted pixel (filling a pixel takes about
// 0.7 ns on the raster paint engine; the worst hostile files measured end after 2 to 3 seconds):
//  - a drawing costs DrawCallWork (QPainter's overhead per call), the area it paints (its
//    bounding rectangle in painter coordinates within the target; a stroke at most its length
//    times its width; patterns and bitmaps more per pixel), ElementWork for each element of its
//    path, ClipElementWork for each element of the current clip, StrokeWork per pixel of line
//    length, and for a filled or widely stroked outline the rasterizer's rework: Qt's
//    anti-aliasing rasterizer works in bands of scanlines and walks every edge crossing a band
//    again for each, so long edges crossing the same scanlines cost the square of their height
//    (one 50-corner zigzag over a 4096-pixel picture takes six seconds);
//  - text costs per glyph its em square, and glyphs too tall for Qt's glyph cache a filled
//    outline each;
//  - combining clip regions costs the square of their elements (Qt's path clipper), setting a
//    clip its elements and its rasterizing; upright rectangles are neither rasterized nor
//    clipped as outlines by Qt, so they cost neither;
//  - decoded bitmap pixels cost DecodedPixelWork each.
// A record whose drawing would cost more than is left spends the budget: it is not drawn and the
// players stop reading records, so the picture ends there, as it does at a record running past
// the end of the file. A real plot of 4675 records takes 1 % of the budget drawn 4096 wide.
//
// Memory: the object table holds the formats' own 16-bit handle range (MaxObjectSlots); objects
// named beyond it are ignored. Pattern brushes' images are limited to MetafilePatternBytes in a
// playback, counted as 32-bit pixels (what drawing them expands them to); a pattern beyond that
// leaves its brush the plain colour. Points and rectangles a record is about to read are checked
// against MaxPathElements (the record is skipped beyond it) and against the work left
// (ElementWork each) before memory is taken for them; a path being recorded grows to
// MaxPathElements at most.

#include "engine/picture/MemoryBudget.h"
#include "engine/picture/MetafileBytes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <map>
#include <set>
#include <variant>
#include <vector>

class QPainter;

// The work budget and what drawing costs, in units of about one painted pixel (see above).
inline constexpr qint64 MetafileWorkBudget = 3'000'000'000;
inline constexpr qint64 DrawCallWork = 4096;
inline constexpr qint64 ElementWork = 64;
inline constexpr qint64 ClipElementWork = 4;
inline constexpr qint64 StrokeWork = 48;
inline constexpr qint64 DecodedPixelWork = 4;
inline constexpr qint64 BitmapPixelWork = 4;
// Elements of one path (points of a record, or a path being recorded): about 64 bytes each
// while drawn (points, path, Qt's copies), a quarter of the memory budget in all.
inline constexpr qint64 MaxPathElements = MemoryBudget / 4 / 64;
// Object slots: WMF handles are 16-bit; EMF writers stay within the same range.
inline constexpr quint32 MaxObjectSlots = 65536;
// Bytes of pattern images one playback may decode.
inline constexpr qint64 MetafilePatternBytes = MemoryBudget / 4;

struct TGdiPen {
    quint32 style = 0; // PS_* style, end cap and join bits
    double width = 0;  // logical; 0 is one device pixel
    QColor color = Qt::black;
};

struct TGdiBrush {
    quint32 style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN/BS_DIBPATTERN*
    QColor color = Qt::white;
    quint32 hatch = 0;
    QImage pattern;
};

struct TGdiFont {
    double height = 0;     // logical; negative: the em height, positive: the cell height
    double escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// Palettes and regions take a slot in the object table but draw nothing here.
struct TGdiOtherObject {
};

using TGdiObject = std::variant<TGdiPen, TGdiBrush, TGdiFont, TGdiOtherObject>;

// Text options of the text records (ETO_*).
inline constexpr quint32 TextOpaque = 0x2;
inline constexpr quint32 TextClipped = 0x4;

class TMetafileDevice
{
public:
    // Draws into `target` (painter coordinates); nothing is drawn outside it. The budgets are
    // the playback's (see above); tests give smaller ones.
    TMetafileDevice(QPainter &painter, const QRectF &target, qint64 workBudget = MetafileWorkBudget,
                    qint64 patternBytes = MetafilePatternBytes);
    ~TMetafileDevice();

    // The two ways logical coordinates reach the target. WMF: the window (set here and by the
    // window records) fills the target; the mapping mode and viewport are not used. EMF: the
    // mapping mode, window, viewport and world transform give reference-device pixels, and
    // `frame` (in those pixels) fills the target; the reference device's resolution and size
    // (in pixels) give the extents of the metric and isotropic modes.
    void MapWindowOntoTarget(const QRectF &window);
    void MapDeviceFrameOntoTarget(const QRectF &frame, QSizeF pixelsPerMillimetre,
                                  QSizeF deviceSize);

    void SetMapMode(int mode);
    void SetWindowOrg(QPointF origin);
    void SetWindowExt(QSizeF extent);
    void SetViewportOrg(QPointF origin);
    void SetViewportExt(QSizeF extent);
    void OffsetWindowOrg(QPointF offset);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform &transform);
    void ModifyWorldTransform(const QTransform &transform, quint32 mode);

    // Whether the work budget is spent: the players then stop reading records.
    bool WorkBudgetSpent() const { return m_budgetSpent; }
    qint64 WorkDone() const { return m_workDone; }
    // A record about to read `count` points or rectangles to draw: a count beyond
    // MaxPathElements throws EMetafileRecordError (the record is skipped), a count that drawing
    // could not afford spends the budget and throws it, before memory is taken.
    void ExpectElements(qint64 count);
    // Bitmaps of the records decoded, their pixels charged first; null when refused or when the
    // budget does not cover them. A pattern beyond the pattern budget gives a null image too.
    QImage DecodeBitmap(TByteReader info, TByteReader bits);
    QImage DecodePattern(TByteReader info, TByteReader bits);
    std::size_t ObjectCount() const { return m_objects.size(); }
    qint64 PatternBytes() const { return m_patternBytes; }

    // Object table. WMF puts a new object in the lowest free slot; EMF names the slot.
    void CreateObjectInLowestFreeSlot(TGdiObject object);
    void CreateObject(quint32 slot, TGdiObject object);
    void SelectObject(quint32 slot);
    void SelectStockObject(quint32 stock);
    void DeleteObject(quint32 slot);

    void SaveDC();
    void RestoreDC(int which);

    void SetTextColor(QColor color) { m_state.textColor = color; }
    void SetBkColor(QColor color) { m_state.bkColor = color; }
    void SetBkMode(quint32 mode) { m_state.opaqueBackground = mode == 2; }
    void SetTextAlign(quint32 align) { m_state.textAlign = align; }
    void SetPolyFillMode(quint32 mode) { m_state.winding = mode == 2; }
    void SetArcDirection(quint32 direction) { m_state.clockwiseArcs = direction == 2; }

    void IntersectClipRect(const QRectF &rect);
    void ExcludeClipRect(const QRectF &rect);
    // Region records give rectangles in reference-device pixels; mode is RGN_AND, RGN_OR,
    // RGN_XOR, RGN_DIFF or RGN_COPY (an empty list with RGN_COPY removes the clip).
    void SelectClipDeviceRects(const std::vector<QRectF> &rects, quint32 mode);
    void SelectClipPath(quint32 mode);

    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const QPolygonF &points);
    void PolylineTo(const QPolygonF &points);
    void PolyBezier(const QPolygonF &points);
    void PolyBezierTo(const QPolygonF &points);
    void Polygon(const QPolygonF &points);
    void PolyPolygon(const std::vector<QPolygonF> &polygons);
    void Rectangle(const QRectF &box);
    void RoundRect(const QRectF &box, QSizeF corner);
    void Ellipse(const QRectF &box);
    enum class TArcKind { Arc, ArcTo, Chord, Pie };
    void ArcShape(TArcKind kind, const QRectF &box, QPointF start, QPointF end);
    void AngleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(QPointF point, QColor color);

    void BeginPath();
    void EndPath() { m_inPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();

    // `advances` (logical, one per UTF-16 unit) may be empty; `rect` serves TextOpaque and
    // TextClipped.
    void TextOut(QPointF reference, const QString &text, const std::vector<double> &advances,
                 quint32 options, const QRectF &rect);
    // The `source` part of the bitmap (its pixels, top row first) drawn into `destination`
    // (logical; a negative extent mirrors) with the raster operation `rop`.
    void DrawBitmap(const QRectF &destination, const QImage &bitmap, const QRectF &source,
                    quint32 rop);
    // A bit-block transfer without a source: the brush, black, white or the inverse.
    void PatternBlt(const QRectF &destination, quint32 rop);

private:
    struct TState {
        int mapMode = 1;
        QPointF windowOrg;
        QSizeF windowExt{1, 1};
        QPointF viewportOrg;
        QSizeF viewportExt{1, 1};
        QTransform world;
        TGdiPen pen;
        TGdiBrush brush;
        TGdiFont font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        bool opaqueBackground = true;
        quint32 textAlign = 0;
        bool winding = false;
        bool clockwiseArcs = false;
        bool clipped = false;
        QPainterPath clip; // in painter coordinates
        QPointF position;
    };

    // Charges `work`; false (and the budget spent) when less is left.
    bool Spend(qint64 work);
    // Whether the path being recorded may take `elements` more; charges them.
    bool GrowPath(qint64 elements);
    qint64 ClipWork() const;
    // Work of drawing `path` (logical) filled with `brush` and stroked with `pen`.
    qint64 PathWork(const QPainterPath &path, const QBrush &brush, const QPen &pen) const;
    // Work of painting an area given in painter coordinates with `brush`.
    qint64 AreaWork(const QRectF &painterArea, const QBrush &brush) const;
    qint64 ClipSettingWork(const QPainterPath &clip) const;

    // Whether the window and viewport extents are the file's to set (WMF, or the scalable
    // modes); other modes fix them.
    bool HasOwnExtents() const;
    QTransform PageToDevice() const;
    QTransform LogicalToPainter() const;
    void PreparePainter();
    bool CanDraw() const { return m_usableTransform; }
    // Whether a logical area stays within a sane distance of the target once mapped.
    bool WithinReach(const QRectF &logical) const;
    void UpdateTransform();
    void SetClip(const QPainterPath &clip);
    void CombineClip(const QPainterPath &area, quint32 mode);
    // Fills and outlines a closed shape, or adds it to the path being recorded.
    void Shape(const QPainterPath &shape, bool fill);
    void Stroke(const QPainterPath &line);
    void ExtendPath(const QPainterPath &part, bool continueFigure);
    QPen CurrentPen() const;
    QBrush CurrentBrush() const;
    QFont CurrentFont(double pixelHeight) const;
    void DrawText(QPointF reference, const QString &text, const std::vector<double> &advances);

    QPainter &m_painter;
    QRectF m_target;
    bool m_windowOntoTarget = true;
    QRectF m_frame;
    QSizeF m_pixelsPerMillimetre{1, 1};
    QSizeF m_deviceSize{1, 1};
    TState m_state;
    std::vector<TState> m_saved;
    std::map<quint32, TGdiObject> m_objects;
    std::set<quint32> m_freeSlots; // below m_slotEnd, for the lowest free slot
    quint32 m_slotEnd = 0;
    QTransform m_transform;
    bool m_usableTransform = true;
    bool m_inPath = false;
    QPainterPath m_path;
    qint64 m_workLeft;
    qint64 m_workDone = 0;
    bool m_budgetSpent = false;
    qint64 m_patternBytesLeft;
    qint64 m_patternBytes = 0;
};
