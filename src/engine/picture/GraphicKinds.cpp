#include "engine/picture/GraphicKinds.h"

#include "engine/picture/BitmapFile.h"
#include "engine/picture/ExifOrientation.h"
#include "engine/picture/IconDirectory.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/PictureCompleteness.h"
#include "engine/picture/PngChunks.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>

namespace
{

// The 24-bit bitmap every loaded picture becomes, held beside the decoded pixels while it is
// made from them.
constexpr std::int64_t BitmapBytesPerPixel = 3;
// A metafile is drawn onto a 32-bit canvas, then narrowed to the 24-bit bitmap.
constexpr std::int64_t MetafileBytesPerPixel = 4 + BitmapBytesPerPixel;

// Beyond any pixel limit, so that a count capped here is still refused by it.
constexpr std::int64_t PixelCountCap = std::int64_t{1} << 40;

// The pixels of a picture of this size, capped at PixelCountCap: the memory a loading takes is
// this count times a few bytes, and a hostile header's sides would overflow that product.
std::int64_t PixelCount(QSize size)
{
    return std::min(std::int64_t(size.width()) * size.height(), PixelCountCap);
}

// Refuses a picture of this size that has more pixels than the limit, or whose loading takes
// more memory than is left (bytesWhileLoading: the file's, the decoded pixels', the bitmap's).
void RequireWithinLimits(const TGraphicLimits &limits, QSize size, std::int64_t bytesWhileLoading)
{
    if (PixelCount(size) > limits.pixels)
        throw EGraphicError(TPictureRefusal{TRefusalCause::TooManyPixels, size, limits.pixels});
    if (bytesWhileLoading > limits.memoryBytes)
        throw EGraphicError(TPictureRefusal{TRefusalCause::OverMemoryBudget, size,
                                            std::max<std::int64_t>(limits.memoryBytes, 0),
                                            bytesWhileLoading});
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

// Bytes a pixel takes as the reader decodes it; a reader that does not tell counts as the
// widest (a 16-bit PNG's 8 bytes).
std::int64_t DecodedBytesPerPixel(QImage::Format format)
{
    if (format == QImage::Format_Invalid)
        return 8;
    return (QImage::toPixelFormat(format).bitsPerPixel() + 7) / 8;
}

[[noreturn]] void ThrowUnreadable(const QByteArray &format, const QByteArray &bytes)
{
    throw EGraphicError(EndsBeforeItsPicture(format, bytes) ? TRefusalCause::Truncated
                                                            : TRefusalCause::Damaged);
}

} // namespace

void TBitmapGraphic::Draw(QPainter &painter) const
{
    painter.drawImage(0, 0, m_bitmap);
}

QImage TBitmapGraphic::OnWhiteBitmap() const
{
    if (!m_bitmap.hasAlphaChannel())
        return m_bitmap.convertToFormat(QImage::Format_RGB888);
    QImage bitmap(m_bitmap.size(), QImage::Format_RGB888);
    if (bitmap.isNull())
        return QImage();
    constexpr int StripRows = 64;
    for (int top = 0; top < bitmap.height(); top += StripRows) {
        const int rows = std::min(StripRows, bitmap.height() - top);
        QImage strip(bitmap.width(), rows, QImage::Format_RGB32);
        strip.fill(Qt::white);
        {
            QPainter painter(&strip);
            painter.drawImage(QPoint(0, 0), m_bitmap, QRect(0, top, bitmap.width(), rows));
        }
        const QImage narrowed = std::move(strip).convertToFormat(QImage::Format_RGB888);
        for (int row = 0; row < rows; ++row)
            std::memcpy(bitmap.scanLine(top + row), narrowed.constScanLine(row),
                        static_cast<std::size_t>(bitmap.width()) * 3);
    }
    return bitmap;
}

void TQtReadGraphic::LoadBitfieldBitmap(const QByteArray &bytes)
{
    const TBitmapFileHeader header = *ReadBitmapFileHeader(bytes);
    const qint64 height = header.height < 0 ? -header.height : header.height;
    if (header.width <= 0 || height == 0 || header.width > INT_MAX || height > INT_MAX)
        throw EGraphicError(TRefusalCause::Damaged);
    const QSize size(static_cast<int>(header.width), static_cast<int>(height));
    // Pixels with alpha are drawn onto the 24-bit bitmap afterwards.
    const std::int64_t alphaDrawing = BitfieldBytesPerPixel(header) == 4 ? BitmapBytesPerPixel : 0;
    RequireWithinLimits(m_limits, size,
                        bytes.size() +
                            PixelCount(size) * (BitfieldBytesPerPixel(header) + alphaDrawing));
    if (BitmapEndsBeforeItsPixels(header, bytes.size()))
        throw EGraphicError(TRefusalCause::Truncated);
    m_bitmap = DecodeBitfieldBitmap(bytes, header);
    if (m_bitmap.isNull())
        throw EGraphicError(TRefusalCause::Damaged);
}

void TQtReadGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_bitmap = QImage();
    if (m_format == "bmp") {
        const auto header = ReadBitmapFileHeader(bytes);
        if (header && IsBitfieldBitmap(*header))
            return LoadBitfieldBitmap(bytes);
    }
    if (m_format == "ico")
        return LoadIcon(bytes);
    LoadThroughQt(m_format, bytes, 0, bytes.size());
}

void TQtReadGraphic::LoadIcon(const QByteArray &bytes)
{
    const std::optional<TIconChoice> choice = ChooseIconImage(bytes);
    if (choice && choice->endsBeyondFile)
        throw EGraphicError(TRefusalCause::Truncated);
    // Qt's icon reader would hand a PNG-compressed image to the PNG reader unchecked: it is read
    // here as the PNG file it is, with that file's checks.
    if (choice && choice->isPng) {
        const QByteArray png = bytes.mid(choice->offset, choice->bytes);
        return LoadThroughQt("png", png, 0, bytes.size() + png.size());
    }
    LoadThroughQt("ico", bytes, choice ? choice->index : 0, bytes.size());
}

void TQtReadGraphic::LoadThroughQt(const QByteArray &format, const QByteArray &bytes,
                                   int imageIndex, std::int64_t heldBytes)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    // The extension decides the type: content of another type must be refused, not sniffed.
    reader.setAutoDetectImageFormat(false);
    // The signature test first: a decoder given other content may complain on stderr.
    if (!reader.canRead())
        throw EGraphicError(TRefusalCause::WrongType);
    // Before the reader looks past the signature.
    if (format == "png" && ReadPngLayout(bytes) == TPngLayout::EndsInsideAChunk)
        throw EGraphicError(TRefusalCause::Truncated);
    if (imageIndex != 0)
        reader.jumpToImage(imageIndex);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    if (declared.isValid()) {
        const std::int64_t decoded = DecodedBytesPerPixel(reader.imageFormat());
        // A picture turned as its orientation says is copied once more while it is decoded.
        const bool turned = reader.transformation() != QImageIOHandler::TransformationNone;
        RequireWithinLimits(m_limits, declared,
                            heldBytes + PixelCount(declared) *
                                            (decoded * (turned ? 2 : 1) + BitmapBytesPerPixel));
    }
    // Qt's bitmap and GIF readers fill what a cut-off file lacks with black or the background.
    if ((format == "bmp" || format == "gif") && EndsBeforeItsPicture(format, bytes))
        throw EGraphicError(TRefusalCause::Truncated);
    SetQtAllocationLimit(m_limits.pixels);
    QImage image = reader.read();
    if (image.isNull())
        ThrowUnreadable(format, bytes);
    // Some readers declare no size up front; Qt's allocation limit bounded their memory.
    RequireWithinLimits(m_limits, image.size(),
                        heldBytes +
                            PixelCount(image.size()) *
                                (DecodedBytesPerPixel(image.format()) + BitmapBytesPerPixel));
    m_bitmap = std::move(image);
}

void TJpegGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_bitmap = QImage();
    if (!bytes.startsWith(QByteArrayView("\xFF\xD8\xFF", 3)))
        throw EGraphicError(TRefusalCause::WrongType);
    TJpegPicture picture;
    picture.SetData(bytes);
    try {
        const QSize size(picture.Width(), picture.Height());
        const int orientation = JpegExifOrientation(bytes);
        // Beside the bitmap: libjpeg's coefficients while decoding, or the turned copy after.
        const std::int64_t turnedCopy =
            orientation != 1 ? PixelCount(size) * BitmapBytesPerPixel : 0;
        RequireWithinLimits(m_limits, size,
                            bytes.size() + PixelCount(size) * BitmapBytesPerPixel +
                                std::max(picture.DecoderBufferBytes(), turnedCopy));
        m_bitmap = UprightBitmap(picture.ToBitmap(), orientation);
    } catch (const EJPEGError &) {
        ThrowUnreadable("jpeg", bytes);
    }
    if (m_bitmap.isNull())
        throw EGraphicError(TRefusalCause::Damaged);
}

void TMetafileGraphic::LoadFromBytes(const QByteArray &bytes)
{
    m_metafile = TMetafilePlayer::FromBytes(bytes);
    if (!m_metafile)
        throw EGraphicError(TRefusalCause::WrongType);
    if (m_metafile->EndsBeforeItDraws()) {
        m_metafile.reset();
        throw EGraphicError(TRefusalCause::Truncated);
    }
    const QSize size = m_metafile->Size();
    try {
        RequireWithinLimits(m_limits, size,
                            bytes.size() + PixelCount(size) * MetafileBytesPerPixel);
    } catch (const EGraphicError &) {
        m_metafile.reset();
        throw;
    }
}

void TMetafileGraphic::Draw(QPainter &painter) const
{
    if (m_metafile)
        m_metafile->Draw(painter, QRectF(QPointF(0, 0), m_metafile->Size()));
}
