#pragma once
// Record contents both metafile formats share: colours, rectangles, 8-bit text and the
// constants both read them with.

#include "engine/picture/MetafileBytes.h"

#include <QColor>
#include <QRectF>
#include <QString>

// The screen resolution a metafile's inches and millimetres are drawn at.
inline constexpr double PixelsPerInch = 96;

// A bitmap's colour usage telling that its colour table holds indexes into the current palette,
// not colours.
inline constexpr quint32 DIB_PAL_COLORS = 1;

// A COLORREF: red in the lowest byte; the top byte (palette flags) is not used.
inline QColor ColorRef(quint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// A rectangle given by its corners.
inline QRectF CornersRect(double left, double top, double right, double bottom)
{
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// 8-bit text in the Windows Western code page (1252), which the writers of such files use; it
// differs from Latin-1 in 0x80 to 0x9F, where quotation marks, dashes and the euro sign lie.
// Other code pages of other character sets are read as this one.
inline QString WindowsAnsiText(const QByteArray &bytes)
{
    static const char16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(code >= 0x80 && code < 0xA0 ? QChar(High[code - 0x80]) : QChar(code));
    }
    return text;
}
