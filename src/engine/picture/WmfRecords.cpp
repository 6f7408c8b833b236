#include "engine/picture/WmfRecords.h"

#include "engine/picture/DeviceIndependentBitmap.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/MetafileRecordCommon.h"

#include <cmath>

namespace
{

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr qint64 PlaceableHeaderBytes = 22;

constexpr quint16 META_SETWINDOWORG = 0x020B;
constexpr quint16 META_SETWINDOWEXT = 0x020C;

// Calls visit(function, parameters) for each record from `start` to the end record; stops at a
// record that claims more bytes than remain, since nothing after it can be trusted. True when
// the end record was reached or visit stopped the walk, false when the file ended first.
template <typename Visit> bool ForEachRecord(TByteReader file, qint64 start, Visit visit)
{
    file.Seek(start);
    while (file.Remaining() >= 6) {
        const qint64 words = file.U32();
        const quint16 function = file.U16();
        if (words < 3 || (words - 3) > file.Remaining() / 2)
            return false;
        const TByteReader parameters = file.Take((words - 3) * 2);
        if (function == 0 || !visit(function, parameters))
            return true;
    }
    return false;
}

// A plain file has no size of its own: its first window origin and extent give it.
std::optional<QRectF> WindowOfPlainFile(TByteReader file, qint64 start)
{
    std::optional<QPointF> origin;
    std::optional<QSizeF> extent;
    ForEachRecord(file, start, [&](quint16 function, TByteReader r) {
        if (function == META_SETWINDOWORG && !origin && r.Size() >= 4) {
            const qint16 y = r.S16();
            origin = QPointF(r.S16(), y);
        } else if (function == META_SETWINDOWEXT && !extent && r.Size() >= 4) {
            const qint16 height = r.S16();
            extent = QSizeF(r.S16(), height);
        }
        return !extent || !origin;
    });
    if (!extent)
        return std::nullopt;
    return QRectF(origin.value_or(QPointF()), *extent);
}

// Bytes of a string, up to its first NUL.
QString AnsiText(TByteReader bytes)
{
    const QByteArray text = bytes.Bytes();
    const qsizetype end = text.indexOf('\0');
    return WindowsAnsiText(end < 0 ? text : text.left(end));
}

QRectF ReversedRect(TByteReader &r)
{
    const qint16 bottom = r.S16();
    const qint16 right = r.S16();
    const qint16 top = r.S16();
    const qint16 left = r.S16();
    return CornersRect(left, top, right, bottom);
}

QPointF ReversedPoint(TByteReader &r)
{
    const qint16 y = r.S16();
    return QPointF(r.S16(), y);
}

TGdiFont ReadFont(TByteReader &r)
{
    TGdiFont font;
    font.height = r.S16();
    r.S16(); // width
    font.escapement = r.S16();
    r.S16(); // orientation
    font.weight = r.S16();
    font.italic = r.U8() != 0;
    font.underline = r.U8() != 0;
    font.strikeOut = r.U8() != 0;
    r.Skip(5); // character set, precisions, quality, pitch and family
    font.face = AnsiText(r.Take(std::min<qint64>(32, r.Remaining())));
    return font;
}

void DrawDib(TMetafileDevice &device, TByteReader dib, quint32 usage, const QRectF &destination,
             double xSrc, double ySrc, double srcWidth, double srcHeight, quint32 rop)
{
    if (usage == DIB_PAL_COLORS)
        return;
    const auto [info, bits] = SplitPackedDib(dib);
    const QImage bitmap = device.DecodeBitmap(info, bits);
    device.DrawBitmap(destination, bitmap,
                      DibSourceRect(bitmap, IsBottomUpDib(info), xSrc, ySrc, srcWidth, srcHeight),
                      rop);
}

void StretchDib(TMetafileDevice &device, TByteReader r)
{
    const quint32 rop = r.U32();
    const quint16 usage = r.U16();
    const qint16 srcHeight = r.S16();
    const qint16 srcWidth = r.S16();
    const qint16 ySrc = r.S16();
    const qint16 xSrc = r.S16();
    const qint16 destHeight = r.S16();
    const qint16 destWidth = r.S16();
    const QPointF destination = ReversedPoint(r);
    DrawDib(device, r, usage, QRectF(destination, QSizeF(destWidth, destHeight)), xSrc, ySrc,
            srcWidth, srcHeight, rop);
}

// The bit-block records come with or without a bitmap; without, one reserved word follows the
// raster operation and the brush is used.
bool HasNoBitmap(quint16 function, const TByteReader &r)
{
    return r.Size() == 2 * (function >> 8);
}

// The stretching record gives the source's extent; the plain copy takes the destination's.
void DibBlt(TMetafileDevice &device, quint16 function, TByteReader r, bool stretched)
{
    const bool withoutBitmap = HasNoBitmap(function, r);
    const quint32 rop = r.U32();
    if (withoutBitmap)
        r.U16();
    const qint16 srcHeight = stretched ? r.S16() : 0;
    const qint16 srcWidth = stretched ? r.S16() : 0;
    const qint16 ySrc = r.S16();
    const qint16 xSrc = r.S16();
    const qint16 destHeight = r.S16();
    const qint16 destWidth = r.S16();
    const QRectF destination(ReversedPoint(r), QSizeF(destWidth, destHeight));
    if (withoutBitmap)
        device.PatternBlt(destination, rop);
    else
        DrawDib(device, r, 0, destination, xSrc, ySrc, stretched ? srcWidth : destWidth,
                stretched ? srcHeight : destHeight, rop);
}

void ExtTextOut(TMetafileDevice &device, TByteReader r)
{
    const QPointF reference = ReversedPoint(r);
    const qint16 length = r.S16();
    const quint16 options = r.U16();
    QRectF rect;
    if (options & (TextOpaque | TextClipped)) {
        const qint16 left = r.S16();
        const qint16 top = r.S16();
        const qint16 right = r.S16();
        rect = CornersRect(left, top, right, r.S16());
    }
    const qint64 count = r.Count(std::max<qint16>(length, 0), 1);
    const QString text = WindowsAnsiText(r.Take(count).Bytes());
    r.Skip(std::min<qint64>(count % 2, r.Remaining()));
    std::vector<double> advances;
    if (r.Remaining() >= count * 2)
        for (qint64 i = 0; i < count; ++i)
            advances.push_back(r.S16());
    device.TextOut(reference, text, advances, options, rect);
}

void TextOut(TMetafileDevice &device, TByteReader r)
{
    const qint16 length = r.S16();
    const qint64 count = r.Count(std::max<qint16>(length, 0), 1);
    const QString text = AnsiText(r.Take(count));
    r.Skip(count % 2); // strings are padded to whole words
    device.TextOut(ReversedPoint(r), text, {}, 0, QRectF());
}

std::vector<QPolygonF> PolyPolygon(TMetafileDevice &device, TByteReader r)
{
    const qint64 polygons = r.Count(r.U16(), 2);
    std::vector<qint64> counts;
    qint64 total = 0;
    for (qint64 i = 0; i < polygons; ++i) {
        counts.push_back(r.U16());
        total += counts.back();
    }
    device.ExpectElements(polygons + r.Count(total, 4));
    std::vector<QPolygonF> result;
    for (const qint64 count : counts)
        result.push_back(r.Points16(count));
    return result;
}

void PlayRecord(TMetafileDevice &device, quint16 function, TByteReader r)
{
    switch (function) {
    case 0x0102: // SETBKMODE
        device.SetBkMode(r.U16());
        break;
    case 0x0106: // SETPOLYFILLMODE
        device.SetPolyFillMode(r.U16());
        break;
    case 0x012E: // SETTEXTALIGN
        device.SetTextAlign(r.U16());
        break;
    case 0x0201: // SETBKCOLOR
        device.SetBkColor(ColorRef(r.U32()));
        break;
    case 0x0209: // SETTEXTCOLOR
        device.SetTextColor(ColorRef(r.U32()));
        break;
    case META_SETWINDOWORG:
        device.SetWindowOrg(ReversedPoint(r));
        break;
    case META_SETWINDOWEXT: {
        const QPointF extent = ReversedPoint(r);
        device.SetWindowExt(QSizeF(extent.x(), extent.y()));
        break;
    }
    case 0x020F: // OFFSETWINDOWORG
        device.OffsetWindowOrg(ReversedPoint(r));
        break;
    case 0x0410: { // SCALEWINDOWEXT
        const qint16 yDenom = r.S16();
        const qint16 yNum = r.S16();
        const qint16 xDenom = r.S16();
        device.ScaleWindowExt(r.S16(), xDenom, yNum, yDenom);
        break;
    }
    case 0x001E: // SAVEDC
        device.SaveDC();
        break;
    case 0x0127: // RESTOREDC
        device.RestoreDC(r.S16());
        break;
    case 0x012D: // SELECTOBJECT
        device.SelectObject(r.U16());
        break;
    case 0x01F0: // DELETEOBJECT
        device.DeleteObject(r.U16());
        break;
    case 0x02FA: { // CREATEPENINDIRECT
        TGdiPen pen;
        pen.style = r.U16();
        pen.width = r.S16();
        r.S16();
        pen.color = ColorRef(r.U32());
        device.CreateObjectInLowestFreeSlot(pen);
        break;
    }
    case 0x02FC: { // CREATEBRUSHINDIRECT
        TGdiBrush brush;
        brush.style = r.U16();
        brush.color = ColorRef(r.U32());
        brush.hatch = r.U16();
        device.CreateObjectInLowestFreeSlot(brush);
        break;
    }
    case 0x02FB: // CREATEFONTINDIRECT
        device.CreateObjectInLowestFreeSlot(ReadFont(r));
        break;
    case 0x0142: { // DIBCREATEPATTERNBRUSH
        TGdiBrush brush;
        brush.style = r.U16();
        const quint16 usage = r.U16();
        if (usage != DIB_PAL_COLORS) {
            const auto [info, bits] = SplitPackedDib(r);
            brush.pattern = device.DecodePattern(info, bits);
        }
        device.CreateObjectInLowestFreeSlot(brush);
        break;
    }
    case 0x00F7: // CREATEPALETTE
    case 0x01F9: // CREATEPATTERNBRUSH
    case 0x06FF: // CREATEREGION
        device.CreateObjectInLowestFreeSlot(TGdiOtherObject());
        break;
    case 0x0214: // MOVETO
        device.MoveTo(ReversedPoint(r));
        break;
    case 0x0213: // LINETO
        device.LineTo(ReversedPoint(r));
        break;
    case 0x0325: // POLYLINE
        device.Polyline(r.Points16(r.S16()));
        break;
    case 0x0324: // POLYGON
        device.Polygon(r.Points16(r.S16()));
        break;
    case 0x0538: // POLYPOLYGON
        device.PolyPolygon(PolyPolygon(device, r));
        break;
    case 0x041B: // RECTANGLE
        device.Rectangle(ReversedRect(r));
        break;
    case 0x0418: // ELLIPSE
        device.Ellipse(ReversedRect(r));
        break;
    case 0x061C: { // ROUNDRECT
        const QPointF corner = ReversedPoint(r);
        device.RoundRect(ReversedRect(r), QSizeF(corner.x(), corner.y()));
        break;
    }
    case 0x0817:   // ARC
    case 0x081A:   // PIE
    case 0x0830: { // CHORD
        const QPointF end = ReversedPoint(r);
        const QPointF start = ReversedPoint(r);
        const auto kind = function == 0x0817   ? TMetafileDevice::TArcKind::Arc
                          : function == 0x081A ? TMetafileDevice::TArcKind::Pie
                                               : TMetafileDevice::TArcKind::Chord;
        device.ArcShape(kind, ReversedRect(r), start, end);
        break;
    }
    case 0x041F: { // SETPIXEL
        const QColor color = ColorRef(r.U32());
        device.SetPixel(ReversedPoint(r), color);
        break;
    }
    case 0x0416: // INTERSECTCLIPRECT
        device.IntersectClipRect(ReversedRect(r));
        break;
    case 0x0415: // EXCLUDECLIPRECT
        device.ExcludeClipRect(ReversedRect(r));
        break;
    case 0x0521:
        TextOut(device, r);
        break;
    case 0x0A32:
        ExtTextOut(device, r);
        break;
    case 0x0F43:
        StretchDib(device, r);
        break;
    case 0x0B41:
        DibBlt(device, function, r, true);
        break;
    case 0x0940:
        DibBlt(device, function, r, false);
        break;
    case 0x061D: { // PATBLT
        const quint32 rop = r.U32();
        const qint16 height = r.S16();
        const qint16 width = r.S16();
        device.PatternBlt(QRectF(ReversedPoint(r), QSizeF(width, height)), rop);
        break;
    }
    default: // mapping mode and viewport (the window fills the picture), palettes, escapes
        break;
    }
}

} // namespace

std::optional<TWmfHeader> ReadWmfHeader(TByteReader file)
{
    try {
        TWmfHeader header{};
        const bool placeable = file.U32() == PlaceableKey;
        if (placeable) {
            file.U16(); // handle
            const qint16 left = file.S16();
            const qint16 top = file.S16();
            const qint16 right = file.S16();
            const qint16 bottom = file.S16();
            const quint16 unitsPerInch = file.U16();
            if (unitsPerInch == 0)
                return std::nullopt;
            header.window = CornersRect(left, top, right, bottom);
            header.pixelsPerUnit = PixelsPerInch / unitsPerInch;
            file.Seek(PlaceableHeaderBytes);
        } else {
            file.Seek(0);
            header.pixelsPerUnit = 1;
        }
        const quint16 type = file.U16();
        const quint16 headerWords = file.U16();
        if ((type != 1 && type != 2) || headerWords != 9)
            return std::nullopt;
        file.Skip(14);
        header.recordsStart = file.Position();
        if (!placeable) {
            const std::optional<QRectF> window = WindowOfPlainFile(file, header.recordsStart);
            if (!window)
                return std::nullopt;
            header.window = *window;
        }
        if (header.window.width() == 0 || header.window.height() == 0)
            return std::nullopt;
        return header;
    } catch (const EMetafileRecordError &) {
        return std::nullopt;
    }
}

bool WmfRecordsReachTheirEnd(TByteReader file, const TWmfHeader &header)
{
    return ForEachRecord(file, header.recordsStart, [](quint16, TByteReader) { return true; });
}

void PlayWmfRecords(TByteReader file, const TWmfHeader &header, TMetafileDevice &device)
{
    device.MapWindowOntoTarget(header.window);
    ForEachRecord(file, header.recordsStart, [&](quint16 function, TByteReader parameters) {
        try {
            PlayRecord(device, function, parameters);
        } catch (const EMetafileRecordError &) {
            // The record's contents do not fit it: it is skipped.
        }
        return !device.WorkBudgetSpent();
    });
}
