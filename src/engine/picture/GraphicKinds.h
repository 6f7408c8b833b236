#pragma once
// The kinds of picture the extension table names. Each decodes a file's bytes; the pixel limit
// and the memory left are checked against the size a file declares before its pixels are
// decoded.

#include "engine/picture/GraphicLoading.h"
#include "engine/picture/MetafilePlayer.h"

#include <QImage>

struct TGraphicLimits {
    std::int64_t pixels = 0;
    std::int64_t memoryBytes = 0;
};

// A picture held as decoded pixels, drawn as they are.
class TBitmapGraphic : public TGraphic
{
public:
    explicit TBitmapGraphic(TGraphicLimits limits) : m_limits(limits) {}
    QSize Size() const override { return m_bitmap.size(); }
    void Draw(QPainter &painter) const override;
    // Opaque pixels converted; others drawn onto white a strip of 32-bit rows at a time, so
    // that only the 24-bit bitmap is held beside the pixels.
    QImage OnWhiteBitmap() const override;

protected:
    TGraphicLimits m_limits;
    QImage m_bitmap;
};

// A picture decoded by Qt's reader of one forced format ("bmp", "gif", "ico", "png", "webp"):
// content of another type is refused. A GIF gives its first frame, an icon the largest of its
// images and, of equal sizes, the deepest. Bitmaps with bit-field masks are decoded here.
class TQtReadGraphic : public TBitmapGraphic
{
public:
    TQtReadGraphic(QByteArray format, TGraphicLimits limits)
        : TBitmapGraphic(limits), m_format(std::move(format))
    {
    }
    void LoadFromBytes(const QByteArray &bytes) override;

private:
    void LoadBitfieldBitmap(const QByteArray &bytes);
    void LoadIcon(const QByteArray &bytes);
    // heldBytes: the file's bytes and any copy of them the loading holds.
    void LoadThroughQt(const QByteArray &format, const QByteArray &bytes, int imageIndex,
                       std::int64_t heldBytes);

    QByteArray m_format;
};

// A JPEG file decoded by the program's JPEG picture (which has its own limit, JpegPixelLimit),
// turned as its EXIF orientation says.
class TJpegGraphic : public TBitmapGraphic
{
public:
    using TBitmapGraphic::TBitmapGraphic;
    void LoadFromBytes(const QByteArray &bytes) override;
};

// A WMF or EMF file, played onto the painter when drawn; its size is MetafilePlayer's.
class TMetafileGraphic : public TGraphic
{
public:
    explicit TMetafileGraphic(TGraphicLimits limits) : m_limits(limits) {}
    void LoadFromBytes(const QByteArray &bytes) override;
    QSize Size() const override { return m_metafile ? m_metafile->Size() : QSize(); }
    void Draw(QPainter &painter) const override;

private:
    TGraphicLimits m_limits;
    std::optional<TMetafilePlayer> m_metafile;
};
