#include "engine/picture/MetafileDevice.h"

#include "engine/picture/DeviceIndependentBitmap.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <optional>

namespace
{

constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

constexpr quint32 PS_NULL = 5;
constexpr quint32 BS_NULL = 1;
constexpr quint32 BS_HATCHED = 2;

constexpr quint32 RGN_AND = 1;
constexpr quint32 RGN_OR = 2;
constexpr quint32 RGN_XOR = 3;
constexpr quint32 RGN_DIFF = 4;
constexpr quint32 RGN_COPY = 5;

constexpr quint32 TA_UPDATECP = 1;
constexpr quint32 TA_HORIZONTAL = 6;
constexpr quint32 TA_RIGHT = 2;
constexpr quint32 TA_CENTER = 6;
constexpr quint32 TA_VERTICAL = 24;
constexpr quint32 TA_BOTTOM = 8;
constexpr quint32 TA_BASELINE = 24;

// Nested saves beyond this are ignored: each keeps a copy of the whole state.
constexpr std::size_t MaxSavedStates = 1024;
// Text taller than this many pixels is left out; rendering such glyphs takes unbounded memory.
constexpr double MaxTextPixels = 2048;
// Shapes reaching farther than this beyond the target, in multiples of its longer side (plus a
// margin for small targets), are skipped: Qt's stroker takes seconds over coordinates in the
// millions, and no real picture draws that far outside itself.
constexpr double ReachInTargetSides = 16;
constexpr double ReachMargin = 4096;
// Default font height, in pixels, when a font asks for none.
constexpr double DefaultTextPixels = 12;
// Fitted to Qt's anti-aliasing rasterizer: an outline of X scanline crossings whose edges are
// as tall as the shape takes up to about X² / 4 units (zigzags measured at 4096 pixels).
constexpr double RasterBandDivisor = 4;
// Also fitted: the rasterizer keeps each scanline's cells in a sorted list, so a scanline
// crossed c times takes about c² times this (clips with many holes).
constexpr double RowCrossingWork = 32;
// Combining clip regions: Qt's path clipper takes about the square of their elements times this.
constexpr double ElementPairWork = 0.5;
// A glyph costs its em square times this, and glyphs taller than Qt's glyph cache takes are
// filled as outlines each time they are drawn, which costs OutlineGlyphWork more.
constexpr double GlyphAreaWork = 4;
constexpr double CachedGlyphPixels = 64;
constexpr double OutlineGlyphWork = 200'000;
// Filling with a pattern samples it at every pixel: more than a plain colour.
constexpr double PatternPixelWork = 4;

qint64 Saturated(double work)
{
    return work < 1e18 ? static_cast<qint64>(work) : qint64(1e18);
}

double Area(const QRectF &painterArea, const QRectF &target)
{
    const QRectF inside = painterArea.normalized().intersected(target);
    return inside.width() * inside.height();
}

// The part of the interval between a and b lying between low and high.
double Overlap(double a, double b, double low, double high)
{
    return std::max(0.0, std::min(std::max(a, b), high) - std::max(std::min(a, b), low));
}

// What Qt's rasterizer and stroker walk over for an outline (curves by their control points)
// in painter coordinates, within the target.
struct TOutlineMeasure {
    double crossings = 0;      // of scanlines by edges: the sum of the edges' heights
    double squaredHeights = 0; // the sum of their squares
    double length = 0;         // of the edges, horizontal plus vertical extent
    double height = 0;         // of the whole outline
    bool rectangle = false;    // upright: Qt fills and clips it without rasterizing

    // The anti-aliasing rasterizer handles as many cells as fit its pool at once, in bands of
    // scanlines, and walks every edge crossing a band again for each band: work grows with the
    // crossings per scanline times the heights of the edges.
    double RasterWork() const
    {
        if (height <= 0 || rectangle)
            return 0;
        const double perScanline = crossings / height;
        return squaredHeights * perScanline / RasterBandDivisor +
               RowCrossingWork * perScanline * crossings;
    }
};

TOutlineMeasure MeasureOutline(const QPainterPath &path, const QTransform &toPainter,
                               const QRectF &target, bool closeFigures)
{
    TOutlineMeasure measure;
    auto edge = [&](QPointF from, QPointF to) {
        const double height = Overlap(from.y(), to.y(), target.top(), target.bottom());
        measure.crossings += height;
        measure.squaredHeights += height * height;
        measure.length += height + Overlap(from.x(), to.x(), target.left(), target.right());
    };
    QPointF start;
    QPointF previous;
    bool upright = path.elementCount() <= 5;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        const QPointF point = toPainter.map(QPointF(element.x, element.y));
        upright = upright && (element.isMoveTo() == (i == 0)) && !element.isCurveTo() &&
                  (i == 0 || point.x() == previous.x() || point.y() == previous.y());
        if (!element.isMoveTo())
            edge(previous, point);
        else if (closeFigures && i > 0)
            edge(previous, start);
        if (element.isMoveTo())
            start = point;
        previous = point;
    }
    if (closeFigures && !path.isEmpty())
        edge(previous, start);
    const QRectF bounds = toPainter.mapRect(path.controlPointRect());
    measure.height = Overlap(bounds.top(), bounds.bottom(), target.top(), target.bottom());
    measure.rectangle = upright && (path.elementCount() == 5 || !closeFigures ||
                                    previous.x() == start.x() || previous.y() == start.y());
    return measure;
}

// Work per painted pixel with `brush`.
double PixelWork(const QBrush &brush)
{
    return brush.style() == Qt::TexturePattern ? PatternPixelWork : 1;
}

bool IsFinite(const QTransform &t)
{
    for (const double value : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(value))
            return false;
    return true;
}

double Length(const QTransform &transform, QPointF vector)
{
    return QLineF(transform.map(QPointF()), transform.map(vector)).length();
}

QPainterPath RectPath(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    return path;
}

// Qt's angle of a point seen from the centre of an ellipse: Windows aims at the point along a
// ray, Qt measures the ellipse's parametric angle.
double EllipseAngle(const QRectF &box, QPointF point)
{
    const QPointF centre = box.center();
    return qRadiansToDegrees(std::atan2(-(point.y() - centre.y()) / (box.height() / 2),
                                        (point.x() - centre.x()) / (box.width() / 2)));
}

Qt::PenStyle DashStyle(quint32 style)
{
    switch (style & 0xF) {
    case 1:
        return Qt::DashLine;
    case 2:
    case 8:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle HatchStyle(quint32 hatch)
{
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

std::optional<QPainter::CompositionMode> RasterOperation(quint32 rop)
{
    switch (rop) {
    case 0x00CC0020: // SRCCOPY
        return QPainter::CompositionMode_SourceOver;
    case 0x008800C6: // SRCAND
        return QPainter::RasterOp_SourceAndDestination;
    case 0x00EE0086: // SRCPAINT
        return QPainter::RasterOp_SourceOrDestination;
    case 0x00660046: // SRCINVERT
        return QPainter::RasterOp_SourceXorDestination;
    case 0x00330008: // NOTSRCCOPY
        return QPainter::RasterOp_NotSource;
    default:
        return std::nullopt;
    }
}

bool HasTextSupport()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// Appends the part's elements after its starting move-to, continuing the path's current figure
// (QPainterPath::connectPath would instead drop a figure's own move-to and join the figure to
// the one before it).
void AppendToFigure(QPainterPath &path, const QPainterPath &part)
{
    for (int i = 1; i < part.elementCount(); ++i) {
        const QPainterPath::Element element = part.elementAt(i);
        if (element.isCurveTo() && i + 2 < part.elementCount()) {
            path.cubicTo(element, part.elementAt(i + 1), part.elementAt(i + 2));
            i += 2;
        } else if (element.isMoveTo()) {
            path.moveTo(element);
        } else {
            path.lineTo(element);
        }
    }
}

} // namespace

TMetafileDevice::TMetafileDevice(QPainter &painter, const QRectF &target, qint64 workBudget,
                                 qint64 patternBytes)
    : m_painter(painter), m_target(target), m_workLeft(workBudget), m_patternBytesLeft(patternBytes)
{
    m_painter.save();
    m_painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                             QPainter::TextAntialiasing);
    m_state.clip = RectPath(m_target);
    SetClip(m_state.clip);
    MapWindowOntoTarget(target);
}

TMetafileDevice::~TMetafileDevice()
{
    m_painter.restore();
}

// ---- Work and memory budgets ----

bool TMetafileDevice::GrowPath(qint64 elements)
{
    return m_path.elementCount() + elements <= MaxPathElements && Spend(ElementWork * elements);
}

bool TMetafileDevice::Spend(qint64 work)
{
    if (m_budgetSpent || work > m_workLeft) {
        m_budgetSpent = true;
        m_workLeft = 0;
        return false;
    }
    m_workLeft -= work;
    m_workDone += work;
    return true;
}

void TMetafileDevice::ExpectElements(qint64 count)
{
    if (count > MaxPathElements)
        throw EMetafileRecordError("more points than a path may hold");
    if (m_budgetSpent || count > m_workLeft / ElementWork) {
        Spend(m_workLeft + 1);
        throw EMetafileRecordError("the work budget does not cover the record");
    }
}

QImage TMetafileDevice::DecodeBitmap(TByteReader info, TByteReader bits)
{
    const qint64 pixels = DibPixelCount(info);
    if (pixels > MaxDibPixels || !Spend(DecodedPixelWork * pixels))
        return QImage();
    return DecodeDib(info, bits);
}

QImage TMetafileDevice::DecodePattern(TByteReader info, TByteReader bits)
{
    const qint64 pixels = DibPixelCount(info);
    if (pixels > MaxDibPixels || 4 * pixels > m_patternBytesLeft)
        return QImage();
    QImage pattern = DecodeBitmap(info, bits);
    if (!pattern.isNull()) {
        m_patternBytesLeft -= 4 * pixels;
        m_patternBytes += 4 * pixels;
    }
    return pattern;
}

qint64 TMetafileDevice::ClipWork() const
{
    return ClipElementWork * m_state.clip.elementCount();
}

qint64 TMetafileDevice::PathWork(const QPainterPath &path, const QBrush &brush,
                                 const QPen &pen) const
{
    const bool filled = brush.style() != Qt::NoBrush;
    const TOutlineMeasure outline = MeasureOutline(path, m_transform, m_target, filled);
    const QRectF bounds = m_transform.mapRect(path.controlPointRect());
    double work = DrawCallWork + ClipWork() + double(ElementWork) * path.elementCount();
    if (filled)
        work += PixelWork(brush) * Area(bounds, m_target) + outline.RasterWork();
    if (pen.style() != Qt::NoPen) {
        work += StrokeWork * outline.length;
        // A wide line is outlined on both sides and filled.
        const double width = pen.widthF() * std::sqrt(std::abs(m_transform.determinant()));
        if (width > 1) {
            const QRectF reached = bounds.adjusted(-width, -width, width, width);
            work += std::min(outline.length * width, Area(reached, m_target)) +
                    4 * outline.RasterWork();
        }
    }
    return Saturated(work);
}

qint64 TMetafileDevice::AreaWork(const QRectF &painterArea, const QBrush &brush) const
{
    return Saturated(DrawCallWork + ClipWork() + PixelWork(brush) * Area(painterArea, m_target));
}

qint64 TMetafileDevice::ClipSettingWork(const QPainterPath &clip) const
{
    return Saturated(DrawCallWork + double(ElementWork) * clip.elementCount() +
                     MeasureOutline(clip, QTransform(), m_target, true).RasterWork());
}

// ---- Mapping ----

void TMetafileDevice::MapWindowOntoTarget(const QRectF &window)
{
    m_windowOntoTarget = true;
    m_state.windowOrg = window.topLeft();
    m_state.windowExt = window.size();
    UpdateTransform();
}

void TMetafileDevice::MapDeviceFrameOntoTarget(const QRectF &frame, QSizeF pixelsPerMillimetre,
                                               QSizeF deviceSize)
{
    m_windowOntoTarget = false;
    m_frame = frame;
    m_pixelsPerMillimetre = pixelsPerMillimetre;
    m_deviceSize = deviceSize;
    // The format's starting state (MM_TEXT), not the window the target was mapped from.
    m_state.windowOrg = QPointF();
    m_state.windowExt = QSizeF(1, 1);
    m_state.viewportExt = QSizeF(1, 1);
    UpdateTransform();
}

bool TMetafileDevice::HasOwnExtents() const
{
    return m_windowOntoTarget || m_state.mapMode == MM_ISOTROPIC ||
           m_state.mapMode == MM_ANISOTROPIC;
}

QTransform TMetafileDevice::PageToDevice() const
{
    const TState &s = m_state;
    double sx = s.viewportExt.width() / s.windowExt.width();
    double sy = s.viewportExt.height() / s.windowExt.height();
    if (s.mapMode == MM_ISOTROPIC) {
        const double scale = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(scale, sx);
        sy = std::copysign(scale, sy);
    }
    QTransform transform;
    transform.translate(s.viewportOrg.x(), s.viewportOrg.y());
    transform.scale(sx, sy);
    transform.translate(-s.windowOrg.x(), -s.windowOrg.y());
    return transform;
}

QTransform TMetafileDevice::LogicalToPainter() const
{
    const TState &s = m_state;
    if (m_windowOntoTarget) {
        QTransform transform;
        transform.translate(m_target.x(), m_target.y());
        transform.scale(m_target.width() / s.windowExt.width(),
                        m_target.height() / s.windowExt.height());
        transform.translate(-s.windowOrg.x(), -s.windowOrg.y());
        return transform;
    }
    QTransform deviceToPainter;
    deviceToPainter.translate(m_target.x(), m_target.y());
    deviceToPainter.scale(m_target.width() / m_frame.width(), m_target.height() / m_frame.height());
    deviceToPainter.translate(-m_frame.x(), -m_frame.y());
    return s.world * PageToDevice() * deviceToPainter;
}

void TMetafileDevice::UpdateTransform()
{
    m_transform = LogicalToPainter();
    m_usableTransform = IsFinite(m_transform) && m_transform.isInvertible();
}

// Each mode brings its own extents, as Windows sets them: MM_TEXT one logical unit a pixel; the
// metric modes and MM_ISOTROPIC the reference device's millimetres in their units (isotropic
// starts as MM_LOMETRIC) against its pixels, y growing upwards; MM_ANISOTROPIC keeps the
// extents it finds. Setting a scalable mode again changes nothing.
void TMetafileDevice::SetMapMode(int mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    if (mode == m_state.mapMode && (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC))
        return;
    m_state.mapMode = mode;
    if (mode == MM_TEXT) {
        m_state.windowExt = QSizeF(1, 1);
        m_state.viewportExt = QSizeF(1, 1);
    } else if (mode != MM_ANISOTROPIC) {
        const double unitsPerMillimetre = mode == MM_LOMETRIC || mode == MM_ISOTROPIC ? 10
                                          : mode == MM_HIMETRIC                       ? 100
                                          : mode == MM_LOENGLISH                      ? 100 / 25.4
                                          : mode == MM_HIENGLISH                      ? 1000 / 25.4
                                          : mode == MM_TWIPS                          ? 1440 / 25.4
                                                                                      : 1;
        m_state.windowExt =
            QSizeF(m_deviceSize.width() / m_pixelsPerMillimetre.width() * unitsPerMillimetre,
                   m_deviceSize.height() / m_pixelsPerMillimetre.height() * unitsPerMillimetre);
        m_state.viewportExt = QSizeF(m_deviceSize.width(), -m_deviceSize.height());
    }
    UpdateTransform();
}

void TMetafileDevice::SetWindowOrg(QPointF origin)
{
    m_state.windowOrg = origin;
    UpdateTransform();
}

// A zero extent would divide by zero; Windows refuses it too, and ignores extents in the modes
// that fix their own.
void TMetafileDevice::SetWindowExt(QSizeF extent)
{
    if (HasOwnExtents() && extent.width() != 0 && extent.height() != 0) {
        m_state.windowExt = extent;
        UpdateTransform();
    }
}

void TMetafileDevice::SetViewportOrg(QPointF origin)
{
    m_state.viewportOrg = origin;
    UpdateTransform();
}

void TMetafileDevice::SetViewportExt(QSizeF extent)
{
    if (HasOwnExtents() && extent.width() != 0 && extent.height() != 0) {
        m_state.viewportExt = extent;
        UpdateTransform();
    }
}

void TMetafileDevice::OffsetWindowOrg(QPointF offset)
{
    SetWindowOrg(m_state.windowOrg + offset);
}

void TMetafileDevice::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetWindowExt(QSizeF(m_state.windowExt.width() * xNum / xDenom,
                            m_state.windowExt.height() * yNum / yDenom));
}

void TMetafileDevice::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetViewportExt(QSizeF(m_state.viewportExt.width() * xNum / xDenom,
                              m_state.viewportExt.height() * yNum / yDenom));
}

void TMetafileDevice::SetWorldTransform(const QTransform &transform)
{
    if (IsFinite(transform)) {
        m_state.world = transform;
        UpdateTransform();
    }
}

void TMetafileDevice::ModifyWorldTransform(const QTransform &transform, quint32 mode)
{
    switch (mode) {
    case 1: // MWT_IDENTITY
        SetWorldTransform(QTransform());
        break;
    case 2: // MWT_LEFTMULTIPLY: the given transform applies first
        SetWorldTransform(transform * m_state.world);
        break;
    case 3: // MWT_RIGHTMULTIPLY
        SetWorldTransform(m_state.world * transform);
        break;
    case 4: // MWT_SET
        SetWorldTransform(transform);
        break;
    default:
        break;
    }
}

// ---- Objects and state ----

void TMetafileDevice::CreateObjectInLowestFreeSlot(TGdiObject object)
{
    quint32 slot = m_slotEnd;
    if (m_freeSlots.empty() && m_slotEnd >= MaxObjectSlots)
        return;
    if (m_freeSlots.empty())
        ++m_slotEnd;
    else
        slot = m_freeSlots.extract(m_freeSlots.begin()).value();
    CreateObject(slot, std::move(object));
}

void TMetafileDevice::CreateObject(quint32 slot, TGdiObject object)
{
    if (slot < MaxObjectSlots)
        m_objects[slot] = std::move(object);
}

void TMetafileDevice::SelectObject(quint32 slot)
{
    const auto found = m_objects.find(slot);
    if (found == m_objects.end())
        return;
    if (const auto *pen = std::get_if<TGdiPen>(&found->second))
        m_state.pen = *pen;
    else if (const auto *brush = std::get_if<TGdiBrush>(&found->second))
        m_state.brush = *brush;
    else if (const auto *font = std::get_if<TGdiFont>(&found->second))
        m_state.font = *font;
}

void TMetafileDevice::SelectStockObject(quint32 stock)
{
    auto solidBrush = [this](int grey) {
        m_state.brush = TGdiBrush{0, QColor(grey, grey, grey), 0, QImage()};
    };
    switch (stock) {
    case 0:
    case 18: // DC_BRUSH
        solidBrush(255);
        break;
    case 1:
        solidBrush(192);
        break;
    case 2:
        solidBrush(128);
        break;
    case 3:
        solidBrush(64);
        break;
    case 4:
        solidBrush(0);
        break;
    case 5:
        m_state.brush = TGdiBrush{BS_NULL, Qt::white, 0, QImage()};
        break;
    case 6:
        m_state.pen = TGdiPen{0, 0, Qt::white};
        break;
    case 7:
    case 19: // DC_PEN
        m_state.pen = TGdiPen{0, 0, Qt::black};
        break;
    case 8:
        m_state.pen = TGdiPen{PS_NULL, 0, Qt::black};
        break;
    default:
        if (stock >= 10 && stock <= 17)
            m_state.font = TGdiFont();
        break;
    }
}

// A selected object stays in use after its deletion (the state holds a copy), as in Windows,
// where deleting a selected object fails.
void TMetafileDevice::DeleteObject(quint32 slot)
{
    if (m_objects.erase(slot) != 0 && slot < m_slotEnd)
        m_freeSlots.insert(slot);
}

void TMetafileDevice::SaveDC()
{
    if (m_saved.size() < MaxSavedStates)
        m_saved.push_back(m_state);
}

void TMetafileDevice::RestoreDC(int which)
{
    const qint64 count = static_cast<qint64>(m_saved.size());
    const qint64 index = which < 0 ? count + which : qint64(which) - 1;
    if (index < 0 || index >= count)
        return;
    m_state = m_saved[static_cast<std::size_t>(index)];
    m_saved.resize(static_cast<std::size_t>(index));
    SetClip(m_state.clip);
    UpdateTransform();
}

// ---- Clipping ----

void TMetafileDevice::SetClip(const QPainterPath &clip)
{
    if (!Spend(ClipSettingWork(clip)))
        return;
    m_state.clip = clip;
    m_painter.resetTransform();
    m_painter.setClipPath(clip);
}

void TMetafileDevice::CombineClip(const QPainterPath &area, quint32 mode)
{
    const QPainterPath &clip = m_state.clip;
    const double elements = clip.elementCount();
    const double areaElements = area.elementCount();
    if (!Spend(Saturated(DrawCallWork + ElementPairWork * std::pow(elements + areaElements, 2))))
        return;
    switch (mode) {
    case RGN_AND:
        SetClip(clip.intersected(area));
        break;
    case RGN_OR:
        SetClip(clip.united(area).intersected(RectPath(m_target)));
        break;
    case RGN_XOR:
        SetClip(clip.united(area).subtracted(clip.intersected(area)));
        break;
    case RGN_DIFF:
        SetClip(clip.subtracted(area));
        break;
    case RGN_COPY:
        SetClip(area.intersected(RectPath(m_target)));
        break;
    default:
        break;
    }
}

void TMetafileDevice::IntersectClipRect(const QRectF &rect)
{
    if (CanDraw())
        CombineClip(m_transform.map(RectPath(rect)), RGN_AND);
}

void TMetafileDevice::ExcludeClipRect(const QRectF &rect)
{
    if (CanDraw())
        CombineClip(m_transform.map(RectPath(rect)), RGN_DIFF);
}

void TMetafileDevice::SelectClipDeviceRects(const std::vector<QRectF> &rects, quint32 mode)
{
    if (rects.empty()) {
        if (mode == RGN_COPY)
            SetClip(RectPath(m_target));
        return;
    }
    // Device pixels reach the painter through the frame mapping alone.
    const TState saved = m_state;
    m_state.world = QTransform();
    m_state.mapMode = MM_TEXT;
    m_state.windowOrg = m_state.viewportOrg = QPointF();
    UpdateTransform();
    if (!Spend(Saturated(ElementPairWork * std::pow(5.0 * double(rects.size()), 2))))
        return;
    QPainterPath area;
    for (const QRectF &rect : rects)
        area.addRect(rect.normalized());
    const QPainterPath mapped = m_transform.map(area.simplified());
    const QPainterPath clip = m_state.clip;
    m_state = saved;
    m_state.clip = clip;
    UpdateTransform();
    CombineClip(mapped, mode);
}

void TMetafileDevice::SelectClipPath(quint32 mode)
{
    if (CanDraw())
        CombineClip(m_transform.map(m_path), mode);
    m_path = QPainterPath();
}

// ---- Pens, brushes, fonts ----

QPen TMetafileDevice::CurrentPen() const
{
    const TGdiPen &gdi = m_state.pen;
    if ((gdi.style & 0xF) == PS_NULL)
        return Qt::NoPen;
    QPen pen(gdi.color);
    pen.setStyle(DashStyle(gdi.style));
    const quint32 cap = gdi.style & 0xF00;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    const quint32 join = gdi.style & 0xF000;
    pen.setJoinStyle(join == 0x1000   ? Qt::BevelJoin
                     : join == 0x2000 ? Qt::MiterJoin
                                      : Qt::RoundJoin);
    // Windows draws every pen at least one device pixel wide; wider than the target is no use.
    const double scale = std::sqrt(std::abs(m_transform.determinant()));
    const double limit = 2 * (m_target.width() + m_target.height());
    const double deviceWidth = std::min(std::abs(gdi.width) * scale, limit);
    pen.setWidthF(deviceWidth < 1 ? 0 : deviceWidth / scale);
    return pen;
}

QBrush TMetafileDevice::CurrentBrush() const
{
    const TGdiBrush &gdi = m_state.brush;
    if (gdi.style == BS_NULL)
        return Qt::NoBrush;
    if (gdi.style == BS_HATCHED)
        return QBrush(gdi.color, HatchStyle(gdi.hatch));
    if (!gdi.pattern.isNull())
        return QBrush(gdi.pattern);
    return QBrush(gdi.color);
}

QFont TMetafileDevice::CurrentFont(double pixelHeight) const
{
    const TGdiFont &gdi = m_state.font;
    QFont font(gdi.face.isEmpty() ? QString("Liberation Sans") : gdi.face);
    font.setPixelSize(std::max(1, qRound(pixelHeight)));
    // A positive height is the cell height (ascent and descent), larger than the em height.
    if (gdi.height > 0) {
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            font.setPixelSize(std::max(1, qRound(pixelHeight * pixelHeight / cell)));
    }
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(gdi.weight == 0 ? 400 : gdi.weight, 100, 900)));
    font.setItalic(gdi.italic);
    font.setUnderline(gdi.underline);
    font.setStrikeOut(gdi.strikeOut);
    return font;
}

void TMetafileDevice::PreparePainter()
{
    m_painter.setTransform(m_transform);
    m_painter.setPen(CurrentPen());
    m_painter.setBrush(CurrentBrush());
    m_painter.setBackgroundMode(m_state.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
    m_painter.setBackground(m_state.bkColor);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- Lines and shapes ----

void TMetafileDevice::ExtendPath(const QPainterPath &part, bool continueFigure)
{
    if (!GrowPath(part.elementCount()))
        return;
    if (continueFigure && m_path.elementCount() > 0 &&
        m_path.currentPosition() == part.elementAt(0))
        AppendToFigure(m_path, part);
    else
        m_path.addPath(part);
}

bool TMetafileDevice::WithinReach(const QRectF &logical) const
{
    const double reach =
        ReachInTargetSides * std::max(m_target.width(), m_target.height()) + ReachMargin;
    const QRectF box = m_target.adjusted(-reach, -reach, reach, reach);
    // Compared edge by edge: an area may have no width or height (a point, a level line), and
    // coordinates that are not numbers fail every comparison.
    const QRectF mapped = m_transform.mapRect(logical.normalized());
    return mapped.left() >= box.left() && mapped.right() <= box.right() &&
           mapped.top() >= box.top() && mapped.bottom() <= box.bottom();
}

void TMetafileDevice::Shape(const QPainterPath &shape, bool fill)
{
    if (m_inPath) {
        ExtendPath(shape, false);
        return;
    }
    if (!CanDraw() || !WithinReach(shape.controlPointRect()))
        return;
    QPainterPath filled = shape;
    filled.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
    PreparePainter();
    if (!fill)
        m_painter.setBrush(Qt::NoBrush);
    if (Spend(PathWork(filled, m_painter.brush(), m_painter.pen())))
        m_painter.drawPath(filled);
}

void TMetafileDevice::Stroke(const QPainterPath &line)
{
    if (m_inPath) {
        ExtendPath(line, true);
        return;
    }
    Shape(line, false);
}

void TMetafileDevice::MoveTo(QPointF point)
{
    m_state.position = point;
    if (m_inPath && GrowPath(1))
        m_path.moveTo(point);
}

void TMetafileDevice::LineTo(QPointF point)
{
    PolylineTo(QPolygonF{point});
}

void TMetafileDevice::Polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath line;
    line.addPolygon(points);
    if (m_inPath)
        ExtendPath(line, false);
    else
        Shape(line, false);
}

void TMetafileDevice::PolylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPainterPath line(m_state.position);
    for (const QPointF &point : points)
        line.lineTo(point);
    m_state.position = points.last();
    Stroke(line);
}

// Bézier points come in threes (two controls and an end) after a start point.
void TMetafileDevice::PolyBezier(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    m_state.position = points.first();
    if (m_inPath && GrowPath(1))
        m_path.moveTo(points.first());
    PolyBezierTo(points.mid(1));
}

void TMetafileDevice::PolyBezierTo(const QPolygonF &points)
{
    if (points.size() < 3)
        return;
    QPainterPath curve(m_state.position);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3)
        curve.cubicTo(points[i], points[i + 1], points[i + 2]);
    m_state.position = curve.currentPosition();
    Stroke(curve);
}

void TMetafileDevice::Polygon(const QPolygonF &points)
{
    PolyPolygon({points});
}

void TMetafileDevice::PolyPolygon(const std::vector<QPolygonF> &polygons)
{
    QPainterPath shape;
    for (const QPolygonF &polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        shape.addPolygon(polygon);
        shape.closeSubpath();
    }
    Shape(shape, true);
}

void TMetafileDevice::Rectangle(const QRectF &box)
{
    Shape(RectPath(box), true);
}

void TMetafileDevice::RoundRect(const QRectF &box, QSizeF corner)
{
    QPainterPath shape;
    shape.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2,
                         std::abs(corner.height()) / 2);
    Shape(shape, true);
}

void TMetafileDevice::Ellipse(const QRectF &box)
{
    QPainterPath shape;
    shape.addEllipse(box.normalized());
    Shape(shape, true);
}

void TMetafileDevice::ArcShape(TArcKind kind, const QRectF &box, QPointF start, QPointF end)
{
    const QRectF ellipse = box.normalized();
    if (ellipse.isEmpty())
        return;
    const double from = EllipseAngle(ellipse, start);
    double sweep = EllipseAngle(ellipse, end) - from;
    // Counter-clockwise by default; equal ends draw the whole ellipse.
    if (m_state.clockwiseArcs) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == TArcKind::Pie)
        path.moveTo(ellipse.center());
    else if (kind == TArcKind::ArcTo)
        path.moveTo(m_state.position);
    else
        path.arcMoveTo(ellipse, from);
    path.arcTo(ellipse, from, sweep);
    if (kind == TArcKind::ArcTo)
        m_state.position = path.currentPosition();
    if (kind == TArcKind::Chord || kind == TArcKind::Pie) {
        path.closeSubpath();
        Shape(path, true);
    } else {
        Stroke(path);
    }
}

void TMetafileDevice::AngleArc(QPointF centre, double radius, double startDegrees,
                               double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees))
        return;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(m_state.position);
    path.arcTo(box, startDegrees, std::clamp(sweepDegrees, -360.0, 360.0));
    m_state.position = path.currentPosition();
    Stroke(path);
}

void TMetafileDevice::SetPixel(QPointF point, QColor color)
{
    if (!CanDraw() || m_inPath)
        return;
    const QRectF pixel(m_transform.map(point), QSizeF(1, 1));
    if (!Spend(AreaWork(pixel, color)))
        return;
    m_painter.resetTransform();
    m_painter.fillRect(pixel, color);
}

// ---- Paths ----

void TMetafileDevice::BeginPath()
{
    m_path = QPainterPath();
    m_inPath = true;
}

void TMetafileDevice::AbortPath()
{
    m_path = QPainterPath();
    m_inPath = false;
}

void TMetafileDevice::CloseFigure()
{
    if (m_inPath && GrowPath(1))
        m_path.closeSubpath();
}

void TMetafileDevice::FillPath()
{
    m_inPath = false;
    QPainterPath path = m_path;
    m_path = QPainterPath();
    if (CanDraw() && WithinReach(path.controlPointRect())) {
        path.setFillRule(m_state.winding ? Qt::WindingFill : Qt::OddEvenFill);
        PreparePainter();
        if (Spend(PathWork(path, m_painter.brush(), Qt::NoPen)))
            m_painter.fillPath(path, m_painter.brush());
    }
}

void TMetafileDevice::StrokePath()
{
    m_inPath = false;
    const QPainterPath path = m_path;
    m_path = QPainterPath();
    Shape(path, false);
}

void TMetafileDevice::StrokeAndFillPath()
{
    m_inPath = false;
    const QPainterPath path = m_path;
    m_path = QPainterPath();
    Shape(path, true);
}

// ---- Text ----

void TMetafileDevice::TextOut(QPointF reference, const QString &text,
                              const std::vector<double> &advances, quint32 options,
                              const QRectF &rect)
{
    if (!CanDraw() || m_inPath || !HasTextSupport() || !WithinReach(QRectF(reference, QSizeF())))
        return;
    if (options & TextOpaque) {
        const QPainterPath box = m_transform.map(RectPath(rect));
        if (!Spend(AreaWork(box.boundingRect(), m_state.bkColor)))
            return;
        m_painter.resetTransform();
        m_painter.fillPath(box, m_state.bkColor);
    }
    if (text.isEmpty())
        return;
    m_painter.save();
    if (options & TextClipped) {
        const QPainterPath box = m_transform.map(RectPath(rect));
        if (!Spend(ClipWork() + ClipSettingWork(box))) {
            m_painter.restore();
            return;
        }
        m_painter.resetTransform();
        m_painter.setClipPath(box, Qt::IntersectClip);
    }
    const bool fromPosition = m_state.textAlign & TA_UPDATECP;
    DrawText(fromPosition ? m_state.position : reference, text, advances);
    m_painter.restore();
}

// Text is drawn in painter pixels, upright whatever the mapping's direction, as Windows does.
void TMetafileDevice::DrawText(QPointF reference, const QString &text,
                               const std::vector<double> &advances)
{
    const double xScale = Length(m_transform, QPointF(1, 0));
    const double yScale = Length(m_transform, QPointF(0, 1));
    const double pixelHeight =
        m_state.font.height == 0 ? DefaultTextPixels : std::abs(m_state.font.height) * yScale;
    if (!(pixelHeight <= MaxTextPixels))
        return;
    const QFont font = CurrentFont(pixelHeight);
    const QFontMetricsF metrics(font);

    std::vector<double> positions; // of each UTF-16 unit, from the reference, in pixels
    double width = 0;
    if (advances.size() == std::size_t(text.size())) {
        for (const double advance : advances) {
            positions.push_back(width);
            width += advance * xScale;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    // Each character is drawn on its own when the record places them.
    const double calls = positions.empty() ? 1 : double(text.size());
    const double targetArea = m_target.width() * m_target.height();
    const double glyph = (pixelHeight > CachedGlyphPixels ? OutlineGlyphWork : 0) +
                         GlyphAreaWork * std::min(pixelHeight * pixelHeight, targetArea);
    const double work =
        calls * double(DrawCallWork + ClipWork()) + glyph * double(text.size()) +
        (m_state.opaqueBackground ? std::min(width * metrics.height(), targetArea) : 0);
    if (!Spend(Saturated(work)))
        return;
    const quint32 horizontal = m_state.textAlign & TA_HORIZONTAL;
    const quint32 vertical = m_state.textAlign & TA_VERTICAL;
    const double x = horizontal == TA_CENTER ? -width / 2 : horizontal == TA_RIGHT ? -width : 0;
    const double y = vertical == TA_BASELINE ? 0
                     : vertical == TA_BOTTOM ? -metrics.descent()
                                             : metrics.ascent();
    if (m_state.textAlign & TA_UPDATECP)
        m_state.position =
            m_transform.inverted().map(m_transform.map(m_state.position) +
                                       QPointF(horizontal == TA_RIGHT ? -width : width, 0));

    m_painter.setTransform(
        QTransform::fromTranslate(m_transform.map(reference).x(), m_transform.map(reference).y()));
    m_painter.rotate(-m_state.font.escapement / 10);
    m_painter.setFont(font);
    m_painter.setPen(m_state.textColor);
    if (m_state.opaqueBackground)
        m_painter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()),
                           m_state.bkColor);
    if (positions.empty()) {
        m_painter.drawText(QPointF(x, y), text);
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character drawn at its first unit's place.
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        m_painter.drawText(QPointF(x + positions[std::size_t(i)], y), text.mid(i, length));
        i += length - 1;
    }
}

// ---- Bitmaps ----

void TMetafileDevice::DrawBitmap(const QRectF &destination, const QImage &bitmap,
                                 const QRectF &source, quint32 rop)
{
    const QRectF part = source.normalized().intersected(QRectF(bitmap.rect()));
    if (!CanDraw() || m_inPath || bitmap.isNull() || part.isEmpty() || destination.width() == 0 ||
        destination.height() == 0 || !WithinReach(destination))
        return;
    const double area = Area(m_transform.mapRect(destination.normalized()), m_target);
    if (!Spend(Saturated(DrawCallWork + ClipWork() + BitmapPixelWork * area +
                         double(bitmap.width()) * bitmap.height())))
        return;
    PreparePainter();
    m_painter.setCompositionMode(
        RasterOperation(rop).value_or(QPainter::CompositionMode_SourceOver));
    // A negative destination extent mirrors the bitmap.
    m_painter.translate(destination.x(), destination.y());
    m_painter.scale(destination.width() / part.width(), destination.height() / part.height());
    m_painter.drawImage(QPointF(0, 0), bitmap, part);
}

void TMetafileDevice::PatternBlt(const QRectF &destination, quint32 rop)
{
    if (!CanDraw() || m_inPath || !WithinReach(destination))
        return;
    const QRectF box = destination.normalized();
    if (!Spend(AreaWork(m_transform.mapRect(box), CurrentBrush())))
        return;
    PreparePainter();
    switch (rop) {
    case 0x00F00021: // PATCOPY
        m_painter.fillRect(box, CurrentBrush());
        break;
    case 0x005A0049: // PATINVERT
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.fillRect(box, CurrentBrush());
        break;
    case 0x00000042: // BLACKNESS
        m_painter.fillRect(box, Qt::black);
        break;
    case 0x00FF0062: // WHITENESS
        m_painter.fillRect(box, Qt::white);
        break;
    case 0x00550009: // DSTINVERT
        m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        m_painter.fillRect(box, Qt::black);
        break;
    default:
        break;
    }
}
