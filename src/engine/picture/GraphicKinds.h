#pragma once
// The kinds of picture the extension table names. Each decodes a file's bytes; the pixel limit
// is checked against the size a file declares before its pixels are decoded.

#include "engine/picture/GraphicLoading.h"
#include "engine/picture/MetafilePlayer.h"

#include <QImage>

// A picture held as decoded pixels, drawn as they are.
class TBitmapGraphic : public TGraphic
{
public:
    QSize Size() const override { return m_Bitmap.size(); }
    void Draw(QPainter &painter) const override;
    QImage OpaquePixels() const override
    {
        return m_Bitmap.hasAlphaChannel() ? QImage() : m_Bitmap;
    }

protected:
    QImage m_Bitmap;
};

// A picture decoded by Qt's reader of one forced format ("bmp", "gif", "ico", "png", "webp"):
// content of another type is refused. A GIF gives its first frame, an icon the largest of its
// first 64 images and, of equal sizes, the deepest.
class TQtReadGraphic : public TBitmapGraphic
{
public:
    TQtReadGraphic(QByteArray format, std::int64_t pixelLimit)
        : m_Format(std::move(format)), m_PixelLimit(pixelLimit)
    {
    }
    void LoadFromBytes(const QByteArray &bytes) override;

private:
    QByteArray m_Format;
    std::int64_t m_PixelLimit;
};

// A JPEG file decoded by the program's JPEG picture (which has its own limit, JpegPixelLimit).
class TJpegGraphic : public TBitmapGraphic
{
public:
    void LoadFromBytes(const QByteArray &bytes) override;
};

// A WMF or EMF file, played onto the painter when drawn; its size is MetafilePlayer's.
class TMetafileGraphic : public TGraphic
{
public:
    void LoadFromBytes(const QByteArray &bytes) override;
    QSize Size() const override { return m_Metafile ? m_Metafile->Size() : QSize(); }
    void Draw(QPainter &painter) const override;

private:
    std::optional<TMetafilePlayer> m_Metafile;
};
