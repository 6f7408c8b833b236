#include "engine/picture/EmfRecords.h"

#include "engine/picture/DeviceIndependentBitmap.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/MetafileRecordCommon.h"

#include <cmath>

namespace
{

constexpr quint32 EMR_HEADER = 1;
constexpr quint32 EMR_EOF = 14;
constexpr quint32 EmfSignature = 0x464D4520; // " EMF"
constexpr quint32 StockObjectFlag = 0x80000000;
constexpr quint32 ETO_PDY = 0x2000;
constexpr double MillimetresPerInch = 25.4;
// A reference device for files that name none: a screen at 96 pixels per inch.
constexpr QSizeF FallbackDeviceSize(1024, 768);

QRectF ReadRect(TByteReader &r)
{
    const qint32 left = r.S32();
    const qint32 top = r.S32();
    const qint32 right = r.S32();
    return CornersRect(left, top, right, r.S32());
}

QPointF ReadPoint(TByteReader &r)
{
    const qint32 x = r.S32();
    return QPointF(x, r.S32());
}

QTransform ReadTransform(TByteReader &r)
{
    double m[6];
    for (double &value : m)
        value = r.F32();
    return QTransform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

QPolygonF ReadPoly(TMetafileDevice &device, TByteReader &r, bool shortPoints)
{
    r.Skip(16); // bounds
    const quint32 count = r.U32();
    device.ExpectElements(r.Count(count, shortPoints ? 4 : 8));
    return shortPoints ? r.Points16(count) : r.Points32(count);
}

std::vector<QPolygonF> ReadPolyPoly(TMetafileDevice &device, TByteReader &r, bool shortPoints)
{
    r.Skip(16);
    const qint64 polygons = r.Count(r.U32(), 4);
    const quint32 total = r.U32();
    std::vector<qint64> counts;
    qint64 sum = 0;
    for (qint64 i = 0; i < polygons; ++i) {
        counts.push_back(r.U32());
        sum += counts.back();
    }
    if (sum != total)
        throw EMetafileRecordError("polygon counts disagree with the number of points");
    device.ExpectElements(polygons + r.Count(total, shortPoints ? 4 : 8));
    const QPolygonF points = shortPoints ? r.Points16(total) : r.Points32(total);
    std::vector<QPolygonF> result;
    qint64 start = 0;
    for (const qint64 count : counts) {
        result.push_back(points.mid(start, count));
        start += count;
    }
    return result;
}

TGdiFont ReadFont(TByteReader &r)
{
    TGdiFont font;
    font.height = r.S32();
    r.S32(); // width
    font.escapement = r.S32();
    r.S32(); // orientation
    font.weight = r.S32();
    font.italic = r.U8() != 0;
    font.underline = r.U8() != 0;
    font.strikeOut = r.U8() != 0;
    r.Skip(5);
    TByteReader face = r.Take(64);
    QString name;
    while (!face.AtEnd()) {
        const quint16 unit = face.U16();
        if (unit == 0)
            break;
        name.append(QChar(unit));
    }
    font.face = name;
    return font;
}

// A bitmap given by offsets from the start of its record, decoded by the device as a bitmap to
// draw or as a brush's pattern.
QImage RecordDib(TMetafileDevice &device, bool pattern, const TByteReader &record, quint32 usage,
                 quint32 offInfo, quint32 infoBytes, quint32 offBits, quint32 bitsBytes,
                 bool *bottomUp)
{
    if (usage == DIB_PAL_COLORS || infoBytes == 0)
        return QImage();
    const TByteReader info = record.At(offInfo, infoBytes);
    *bottomUp = IsBottomUpDib(info);
    const TByteReader bits = record.At(offBits, bitsBytes);
    return pattern ? device.DecodePattern(info, bits) : device.DecodeBitmap(info, bits);
}

// BITBLT and STRETCHBLT: a bitmap, or without one the brush or a fixed colour.
void BitBlt(TMetafileDevice &device, const TByteReader &record, TByteReader r, bool stretch)
{
    r.Skip(16);
    const QPointF destination = ReadPoint(r);
    const qint32 destWidth = r.S32();
    const qint32 destHeight = r.S32();
    const quint32 rop = r.U32();
    const QPointF source = ReadPoint(r);
    r.Skip(24 + 4); // source transform, background colour
    const quint32 usage = r.U32();
    const quint32 offInfo = r.U32();
    const quint32 infoBytes = r.U32();
    const quint32 offBits = r.U32();
    const quint32 bitsBytes = r.U32();
    const qint32 srcWidth = stretch ? r.S32() : destWidth;
    const qint32 srcHeight = stretch ? r.S32() : destHeight;
    const QRectF target(destination, QSizeF(destWidth, destHeight));
    if (infoBytes == 0) {
        device.PatternBlt(target, rop);
        return;
    }
    bool bottomUp = false;
    const QImage bitmap =
        RecordDib(device, false, record, usage, offInfo, infoBytes, offBits, bitsBytes, &bottomUp);
    device.DrawBitmap(target, bitmap,
                      DibSourceRect(bitmap, bottomUp, source.x(), source.y(), srcWidth, srcHeight),
                      rop);
}

void StretchDiBits(TMetafileDevice &device, const TByteReader &record, TByteReader r, bool stretch)
{
    r.Skip(16);
    const QPointF destination = ReadPoint(r);
    const QPointF source = ReadPoint(r);
    const qint32 srcWidth = r.S32();
    const qint32 srcHeight = r.S32();
    const quint32 offInfo = r.U32();
    const quint32 infoBytes = r.U32();
    const quint32 offBits = r.U32();
    const quint32 bitsBytes = r.U32();
    const quint32 usage = r.U32();
    quint32 rop = 0x00CC0020; // SETDIBITSTODEVICE copies
    qint32 destWidth = srcWidth;
    qint32 destHeight = srcHeight;
    if (stretch) {
        rop = r.U32();
        destWidth = r.S32();
        destHeight = r.S32();
    }
    bool bottomUp = false;
    const QImage bitmap =
        RecordDib(device, false, record, usage, offInfo, infoBytes, offBits, bitsBytes, &bottomUp);
    device.DrawBitmap(QRectF(destination, QSizeF(destWidth, destHeight)), bitmap,
                      DibSourceRect(bitmap, bottomUp, source.x(), source.y(), srcWidth, srcHeight),
                      rop);
}

void ExtTextOut(TMetafileDevice &device, const TByteReader &record, TByteReader r, bool wide)
{
    r.Skip(16 + 12); // bounds, graphics mode and scales
    const QPointF reference = ReadPoint(r);
    const quint32 count = r.U32();
    const quint32 offString = r.U32();
    const quint32 options = r.U32();
    const QRectF rect = ReadRect(r);
    const quint32 offDx = r.U32();
    QString text;
    TByteReader string = record.At(offString, qint64(count) * (wide ? 2 : 1));
    if (wide) {
        text.reserve(count);
        while (!string.AtEnd())
            text.append(QChar(string.U16()));
    } else {
        text = WindowsAnsiText(string.Bytes());
    }
    std::vector<double> advances;
    const qint64 step = options & ETO_PDY ? 8 : 4;
    if (offDx != 0 && count > 0) {
        TByteReader dx = record.At(offDx, count * step);
        while (!dx.AtEnd()) {
            advances.push_back(dx.S32());
            dx.Skip(step - 4);
        }
    }
    device.TextOut(reference, text, advances, options, rect);
}

void ExtSelectClipRgn(TMetafileDevice &device, TByteReader r)
{
    const quint32 dataBytes = r.U32();
    const quint32 mode = r.U32();
    std::vector<QRectF> rects;
    if (dataBytes >= 32) {
        TByteReader data = r.Take(dataBytes);
        data.Skip(8);
        const qint64 count = data.U32();
        data.Skip(4 + 16);
        const qint64 fitting = data.Count(count, 16);
        device.ExpectElements(5 * fitting);
        for (qint64 i = fitting; i > 0; --i) {
            const QRectF rect = ReadRect(data);
            rects.push_back(rect);
        }
    }
    device.SelectClipDeviceRects(rects, mode);
}

TGdiBrush PatternBrush(TMetafileDevice &device, const TByteReader &record, TByteReader r)
{
    const quint32 usage = r.U32();
    const quint32 offInfo = r.U32();
    const quint32 infoBytes = r.U32();
    const quint32 offBits = r.U32();
    const quint32 bitsBytes = r.U32();
    TGdiBrush brush;
    brush.style = 3; // BS_PATTERN
    bool bottomUp = false;
    brush.pattern =
        RecordDib(device, true, record, usage, offInfo, infoBytes, offBits, bitsBytes, &bottomUp);
    return brush;
}

void PlayRecord(TMetafileDevice &device, quint32 type, const TByteReader &record, TByteReader r)
{
    using TArcKind = TMetafileDevice::TArcKind;
    switch (type) {
    case 2: // POLYBEZIER
    case 85:
        device.PolyBezier(ReadPoly(device, r, type == 85));
        break;
    case 3: // POLYGON
    case 86:
        device.Polygon(ReadPoly(device, r, type == 86));
        break;
    case 4: // POLYLINE
    case 87:
        device.Polyline(ReadPoly(device, r, type == 87));
        break;
    case 5: // POLYBEZIERTO
    case 88:
        device.PolyBezierTo(ReadPoly(device, r, type == 88));
        break;
    case 6: // POLYLINETO
    case 89:
        device.PolylineTo(ReadPoly(device, r, type == 89));
        break;
    case 7: // POLYPOLYLINE
    case 90:
        for (const QPolygonF &line : ReadPolyPoly(device, r, type == 90))
            device.Polyline(line);
        break;
    case 8: // POLYPOLYGON
    case 91:
        device.PolyPolygon(ReadPolyPoly(device, r, type == 91));
        break;
    case 9: {
        const qint32 width = r.S32();
        device.SetWindowExt(QSizeF(width, r.S32()));
        break;
    }
    case 10:
        device.SetWindowOrg(ReadPoint(r));
        break;
    case 11: {
        const qint32 width = r.S32();
        device.SetViewportExt(QSizeF(width, r.S32()));
        break;
    }
    case 12:
        device.SetViewportOrg(ReadPoint(r));
        break;
    case 15: { // SETPIXELV
        const QPointF point = ReadPoint(r);
        device.SetPixel(point, ColorRef(r.U32()));
        break;
    }
    case 17:
        device.SetMapMode(static_cast<int>(r.U32()));
        break;
    case 18:
        device.SetBkMode(r.U32());
        break;
    case 19:
        device.SetPolyFillMode(r.U32());
        break;
    case 22:
        device.SetTextAlign(r.U32());
        break;
    case 24:
        device.SetTextColor(ColorRef(r.U32()));
        break;
    case 25:
        device.SetBkColor(ColorRef(r.U32()));
        break;
    case 27:
        device.MoveTo(ReadPoint(r));
        break;
    case 29:
        device.ExcludeClipRect(ReadRect(r));
        break;
    case 30:
        device.IntersectClipRect(ReadRect(r));
        break;
    case 31:
    case 32: {
        const qint32 xNum = r.S32();
        const qint32 xDenom = r.S32();
        const qint32 yNum = r.S32();
        const qint32 yDenom = r.S32();
        if (type == 31)
            device.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
        else
            device.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case 33:
        device.SaveDC();
        break;
    case 34:
        device.RestoreDC(r.S32());
        break;
    case 35:
        device.SetWorldTransform(ReadTransform(r));
        break;
    case 36: {
        const QTransform transform = ReadTransform(r);
        device.ModifyWorldTransform(transform, r.U32());
        break;
    }
    case 37: { // SELECTOBJECT
        const quint32 object = r.U32();
        if (object & StockObjectFlag)
            device.SelectStockObject(object & ~StockObjectFlag);
        else
            device.SelectObject(object);
        break;
    }
    case 38: { // CREATEPEN
        const quint32 slot = r.U32();
        TGdiPen pen;
        pen.style = r.U32();
        pen.width = r.S32();
        r.S32();
        pen.color = ColorRef(r.U32());
        device.CreateObject(slot, pen);
        break;
    }
    case 39: { // CREATEBRUSHINDIRECT
        const quint32 slot = r.U32();
        TGdiBrush brush;
        brush.style = r.U32();
        brush.color = ColorRef(r.U32());
        brush.hatch = r.U32();
        device.CreateObject(slot, brush);
        break;
    }
    case 40:
        device.DeleteObject(r.U32());
        break;
    case 41: { // ANGLEARC
        const QPointF centre = ReadPoint(r);
        const quint32 radius = r.U32();
        const float start = r.F32();
        device.AngleArc(centre, radius, start, r.F32());
        break;
    }
    case 42:
        device.Ellipse(ReadRect(r));
        break;
    case 43:
        device.Rectangle(ReadRect(r));
        break;
    case 44: { // ROUNDRECT
        const QRectF box = ReadRect(r);
        const qint32 width = r.S32();
        device.RoundRect(box, QSizeF(width, r.S32()));
        break;
    }
    case 45:   // ARC
    case 46:   // CHORD
    case 47:   // PIE
    case 55: { // ARCTO
        const QRectF box = ReadRect(r);
        const QPointF start = ReadPoint(r);
        const QPointF end = ReadPoint(r);
        const TArcKind kind = type == 45   ? TArcKind::Arc
                              : type == 46 ? TArcKind::Chord
                              : type == 47 ? TArcKind::Pie
                                           : TArcKind::ArcTo;
        device.ArcShape(kind, box, start, end);
        break;
    }
    case 49: // CREATEPALETTE
        device.CreateObject(r.U32(), TGdiOtherObject());
        break;
    case 54:
        device.LineTo(ReadPoint(r));
        break;
    case 57:
        device.SetArcDirection(r.U32());
        break;
    case 59:
        device.BeginPath();
        break;
    case 60:
        device.EndPath();
        break;
    case 61:
        device.CloseFigure();
        break;
    case 62:
        device.FillPath();
        break;
    case 63:
        device.StrokeAndFillPath();
        break;
    case 64:
        device.StrokePath();
        break;
    case 67:
        device.SelectClipPath(r.U32());
        break;
    case 68:
        device.AbortPath();
        break;
    case 75:
        ExtSelectClipRgn(device, r);
        break;
    case 76:
    case 77:
        BitBlt(device, record, r, type == 77);
        break;
    case 80:
    case 81:
        StretchDiBits(device, record, r, type == 81);
        break;
    case 82: { // EXTCREATEFONTINDIRECTW
        const quint32 slot = r.U32();
        device.CreateObject(slot, ReadFont(r));
        break;
    }
    case 83:
    case 84:
        ExtTextOut(device, record, r, type == 84);
        break;
    case 93:   // CREATEMONOBRUSH
    case 94: { // CREATEDIBPATTERNBRUSHPT
        const quint32 slot = r.U32();
        device.CreateObject(slot, PatternBrush(device, record, r));
        break;
    }
    case 95: { // EXTCREATEPEN
        const quint32 slot = r.U32();
        r.Skip(16); // the pattern bitmap of a patterned pen is not used
        TGdiPen pen;
        pen.style = r.U32();
        pen.width = r.U32();
        r.U32();
        pen.color = ColorRef(r.U32());
        device.CreateObject(slot, pen);
        break;
    }
    default: // comments, palettes, colour management, gradients, regions filled by handle
        break;
    }
}

} // namespace

std::optional<TEmfHeader> ReadEmfHeader(TByteReader file)
{
    try {
        if (file.U32() != EMR_HEADER)
            return std::nullopt;
        file.U32(); // size
        const QRectF bounds = ReadRect(file);
        const QRectF frame = ReadRect(file); // hundredths of a millimetre
        if (file.U32() != EmfSignature)
            return std::nullopt;
        file.Skip(28);
        const qint32 deviceWidth = file.S32();
        const qint32 deviceHeight = file.S32();
        const qint32 millimetresWidth = file.S32();
        const qint32 millimetresHeight = file.S32();

        TEmfHeader header;
        header.pixelsPerMillimetre = QSizeF(PixelsPerInch, PixelsPerInch) / MillimetresPerInch;
        header.deviceSize = FallbackDeviceSize;
        if (deviceWidth > 0 && deviceHeight > 0 && millimetresWidth > 0 && millimetresHeight > 0) {
            header.pixelsPerMillimetre = QSizeF(double(deviceWidth) / millimetresWidth,
                                                double(deviceHeight) / millimetresHeight);
            header.deviceSize = QSizeF(deviceWidth, deviceHeight);
        }
        if (frame.width() > 0 && frame.height() > 0) {
            const QSizeF scale = header.pixelsPerMillimetre / 100;
            header.frame = QRectF(frame.x() * scale.width(), frame.y() * scale.height(),
                                  frame.width() * scale.width(), frame.height() * scale.height());
            header.naturalSize = frame.size() * (PixelsPerInch / MillimetresPerInch / 100);
        } else if (bounds.width() >= 0 && bounds.height() >= 0) {
            // Bounds are inclusive device pixels.
            header.frame = bounds.adjusted(0, 0, 1, 1);
            header.naturalSize = header.frame.size();
        } else {
            return std::nullopt;
        }
        return header;
    } catch (const EMetafileRecordError &) {
        return std::nullopt;
    }
}

namespace
{

// Calls visit(type, record, contents) for each record after the header up to the end record;
// stops at a record that claims more bytes than remain. True when the end record was reached
// or visit stopped the walk, false when the file ended first.
template <typename Visit> bool ForEachRecord(TByteReader file, Visit visit)
{
    while (file.Remaining() >= 8) {
        const qint64 start = file.Position();
        const quint32 type = file.U32();
        const quint32 size = file.U32();
        if (size < 8 || size > file.Remaining() + 8)
            return false;
        if (type == EMR_EOF)
            return true;
        file.Seek(start);
        const TByteReader record = file.Take(size);
        TByteReader contents = record;
        contents.Skip(8);
        if (!visit(type, record, contents))
            return true;
    }
    return false;
}

} // namespace

bool EmfRecordsReachTheirEnd(TByteReader file)
{
    return ForEachRecord(file,
                         [](quint32, const TByteReader &, const TByteReader &) { return true; });
}

void PlayEmfRecords(TByteReader file, const TEmfHeader &header, TMetafileDevice &device)
{
    device.MapDeviceFrameOntoTarget(header.frame, header.pixelsPerMillimetre, header.deviceSize);
    ForEachRecord(file, [&](quint32 type, const TByteReader &record, TByteReader contents) {
        try {
            PlayRecord(device, type, record, contents);
        } catch (const EMetafileRecordError &) {
            // The record's contents do not fit it: it is skipped.
        }
        return !device.WorkBudgetSpent();
    });
}
