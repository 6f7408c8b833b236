// The JPEG picture over arbitrary file bytes: measuring and decoding either succeed with a
// 24-bit bitmap of the measured size (none for no bytes) or throw EJPEGError; nothing else may
// happen.
#include "FuzzSupport.h"
#include "engine/picture/JpegPicture.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TJpegPicture picture;
    picture.SetData(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    try {
        const int width = picture.Width();
        const int height = picture.Height();
        const QImage bitmap = picture.ToBitmap();
        Require(bitmap.size() == QSize(width, height));
        Require(bitmap.isNull() ? picture.Empty() : bitmap.format() == QImage::Format_RGB888);
    } catch (const EJPEGError &) {
    }
    return 0;
}
