#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO (header and colour
// table) and the pixel bits, decoded by Qt's bitmap reader.

#include "engine/picture/MetafileBytes.h"

#include <QImage>
#include <QRectF>
#include <utility>

// Bitmaps inside a metafile larger than this are skipped (the rendered picture has at most
// MetafileMaxSide² pixels, so more detail could not show).
inline constexpr qint64 MaxDibPixels = 4096LL * 4096;

// The bitmap, top row first; null when the data is refused, uses palette indices instead of
// colours, or has more than MaxDibPixels pixels.
QImage DecodeDib(TByteReader info, TByteReader bits);

// The pixels the bitmap's header declares (width times height), 0 when it has no area. Throws
// EMetafileRecordError when the header is not one of a bitmap.
qint64 DibPixelCount(TByteReader info);

// A DIB stored as one block (header, colour table, bits), split into its info and its bits.
// Throws EMetafileRecordError when the block is shorter than its header says.
std::pair<TByteReader, TByteReader> SplitPackedDib(TByteReader dib);

// A source rectangle given as the records give it, in the decoded bitmap's rows (counted from
// the top), for a bitmap whose rows were stored bottom row first or not.
QRectF DibSourceRect(const QImage &bitmap, bool bottomUp, double x, double y, double width,
                     double height);

// Whether the bitmap's rows are stored bottom row first (a positive height in its header), in
// which case source rectangles count rows from the bottom.
bool IsBottomUpDib(TByteReader info);
