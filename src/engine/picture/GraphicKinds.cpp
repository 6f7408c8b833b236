#include "engine/picture/GraphicKinds.h"

#include "engine/picture/JpegPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>

namespace
{

bool IsAbovePixelLimit(QSize size, std::int64_t pixelLimit)
{
    return std::int64_t(size.width()) * size.height() > pixelLimit;
}

// Qt refuses to allocate any decoded picture above this; it is set from the pixel limit at the
// widest pixels a reader produces (8 bytes, a 16-bit PNG), so that the limit decides and not Qt's
// default.
void SetQtAllocationLimit(std::int64_t pixelLimit)
{
    constexpr std::int64_t WidestReaderBytesPerPixel = 8;
    constexpr std::int64_t BytesPerMegabyte = 1024 * 1024;
    const std::int64_t megabytes =
        (pixelLimit * WidestReaderBytesPerPixel + BytesPerMegabyte - 1) / BytesPerMegabyte;
    QImageReader::setAllocationLimit(static_cast<int>(megabytes));
}

int BitsPerPixel(QImage::Format format)
{
    return format == QImage::Format_Invalid ? 0 : QImage::toPixelFormat(format).bitsPerPixel();
}

// Real icons hold a dozen images or so; a directory claiming thousands is not searched whole.
constexpr int MaxIconImages = 64;

// An icon file holds several images; the largest is taken, and of equal sizes the deepest, so
// that the picture keeps as much detail as the file has. Only the directory is read for this.
void JumpToLargestImage(QImageReader &reader)
{
    const int count = std::min(reader.imageCount(), MaxIconImages);
    int best = 0;
    std::int64_t bestArea = -1;
    int bestDepth = -1;
    for (int index = 0; index < count; ++index) {
        if (!reader.jumpToImage(index))
            break;
        const QSize size = reader.size();
        const std::int64_t area = std::int64_t(size.width()) * size.height();
        const int depth = BitsPerPixel(reader.imageFormat());
        if (area > bestArea || (area == bestArea && depth > bestDepth)) {
            best = index;
            bestArea = area;
            bestDepth = depth;
        }
    }
    reader.jumpToImage(best);
}

} // namespace

void TBitmapGraphic::Draw(QPainter &painter) const
{
    painter.drawImage(0, 0, m_Bitmap);
}

void TQtReadGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_Bitmap = QImage();
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_Format);
    // The extension decides the type: content of another type must be refused, not sniffed.
    reader.setAutoDetectImageFormat(false);
    // The signature test first: a decoder given other content may complain on stderr.
    if (!reader.canRead())
        throw EGraphicError("the file is not of the type its extension names");
    if (m_Format == "ico")
        JumpToLargestImage(reader);
    const QSize declared = reader.size();
    if (declared.isValid() && IsAbovePixelLimit(declared, m_PixelLimit))
        throw EGraphicError("the picture has more than the allowed number of pixels");
    SetQtAllocationLimit(m_PixelLimit);
    QImage image = reader.read();
    if (image.isNull())
        throw EGraphicError("cannot read the picture: " + reader.errorString().toStdString());
    // Some readers declare no size up front; Qt's allocation limit bounded their memory.
    if (IsAbovePixelLimit(image.size(), m_PixelLimit))
        throw EGraphicError("the picture has more than the allowed number of pixels");
    m_Bitmap = std::move(image);
}

void TJpegGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_Bitmap = QImage();
    TJpegPicture picture;
    picture.SetData(bytes);
    try {
        m_Bitmap = picture.ToBitmap();
    } catch (const EJPEGError &error) {
        throw EGraphicError(error.what());
    }
    if (m_Bitmap.isNull())
        throw EGraphicError("the file holds no picture");
}

void TMetafileGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_Metafile = TMetafilePlayer::FromBytes(bytes);
    if (!m_Metafile)
        throw EGraphicError("the file is no metafile of a usable size");
}

void TMetafileGraphic::Draw(QPainter &painter) const
{
    if (m_Metafile)
        m_Metafile->Draw(painter, QRectF(QPointF(0, 0), m_Metafile->Size()));
}
