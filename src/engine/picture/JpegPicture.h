#pragma once
// A picture kept as the bytes of a JPEG file, the form in which a puzzle carries its pictures.
// A bitmap assigned to it is encoded (quality 90, baseline, colour) only when the bytes are next
// needed; decoding always gives 24-bit colour at full size.

#include "engine/picture/MemoryBudget.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <memory>
#include <stdexcept>

class QIODevice;

// Every failure of the JPEG picture: data that is not JPEG, truncated or corrupt data, a picture
// above the pixel limit, a stream that cannot be read or written.
class EJPEGError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Settings the program's JPEG pictures are written with; never changed.
inline constexpr int JpegQuality = 90;
// Pictures with more pixels than this are refused before any memory is taken for them: the
// most a picture may take while it is decoded stays within the memory budget (97 612 893
// pixels, a little under 10 000 × 10 000).
inline constexpr std::int64_t JpegPixelLimit = MemoryBudget / JpegDecodingBytesPerPixel;

class TJpegPicture;

// What the memory budget leaves for loading another picture while `held` is kept (none: the
// whole budget).
std::int64_t MemoryLeftBeside(const TJpegPicture *held);

class TJpegPicture
{
public:
    // Writes the JPEG file bytes, encoding an assigned bitmap first. An empty picture writes
    // nothing.
    void SaveToStream(QIODevice &stream) const;

    // Replaces the picture by a bitmap of any format; it is converted to 24-bit colour now and
    // encoded on next need. A null bitmap empties the picture.
    void Assign(const QImage &bitmap);

    // The JPEG file bytes (an assigned bitmap is encoded first); empty for an empty picture.
    QByteArray Data() const;
    // Replaces the picture by these JPEG file bytes (not checked until decoded).
    void SetData(const QByteArray &bytes);

    // The picture as a new 24-bit bitmap (QImage::Format_RGB888) at full size: the decoded JPEG
    // data, or a copy of the assigned bitmap while it is not encoded yet. Null when empty.
    QImage ToBitmap() const;

    // Size in pixels; 0 × 0 when empty. Reads only the JPEG header.
    int Width() const;
    int Height() const;
    bool Empty() const;
    // What libjpeg holds besides the rows while this picture is decoded: the coefficients of
    // the whole picture for a file of several scans (progressive), none for a single scan.
    // Reads only the JPEG header.
    std::int64_t DecoderBufferBytes() const;
    // The memory the picture holds: its JPEG bytes, or the assigned bitmap not yet encoded.
    std::int64_t HeldBytes() const;

private:
    friend class TJpegRowReader;
    QSize Size() const;

    // Either the encoded bytes are current, or m_pendingBitmap holds an assigned bitmap that
    // replaces them on next need (both are caches of one logical picture, hence mutable).
    mutable QByteArray m_data;
    mutable QImage m_pendingBitmap;
};

// Decodes a picture from top to bottom a few rows at a time, 24-bit (the byte order of
// QImage::Format_RGB888), so that a caller that uses each row once need not hold the whole bitmap.
// The picture must stay unchanged while the reader exists.
class TJpegRowReader
{
public:
    // Reads the header; throws EJPEGError for an empty picture, data that is not JPEG or a size
    // above JpegPixelLimit.
    explicit TJpegRowReader(const TJpegPicture &picture);
    ~TJpegRowReader();
    TJpegRowReader(const TJpegRowReader &) = delete;
    TJpegRowReader &operator=(const TJpegRowReader &) = delete;

    QSize Size() const;
    // Writes the next count rows, each Size().width() × 3 bytes, bytesPerLine apart from
    // firstRow. Throws EJPEGError for damaged data or rows beyond the picture's end.
    void ReadRows(unsigned char *firstRow, qsizetype bytesPerLine, int count);

private:
    struct TState;
    std::unique_ptr<TState> m_state;
};
