// The Qt-read picture types through the loader's path: the first byte chooses the type as an
// extension would (BMP, GIF, ICO, PNG, WEBP), the rest is the file. A picture is either refused
// or becomes a 24-bit bitmap of its size within the pixel cap.
#include "FuzzSupport.h"
#include "engine/picture/GraphicLoading.h"

#include <cstdint>

namespace
{

// Small enough that a hostile header cannot make each run slow.
constexpr std::int64_t FuzzPixelLimit = 1 << 16;
const char *const Extensions[] = {".BMP", ".GIF", ".ICO", ".PNG", ".WEBP"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const char *extension = Extensions[data[0] % std::size(Extensions)];
    const std::unique_ptr<TGraphic> picture = CreateGraphicForExtension(extension, FuzzPixelLimit);
    Require(picture != nullptr);
    try {
        picture->LoadFromBytes(
            QByteArray(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1)));
    } catch (const EGraphicError &) {
        return 0;
    }
    const QSize pictureSize = picture->Size();
    Require(std::int64_t(pictureSize.width()) * pictureSize.height() <= FuzzPixelLimit);
    const QImage bitmap = GraphicToBitmap(picture.get());
    Require(bitmap.isNull() ||
            (bitmap.format() == QImage::Format_RGB888 && bitmap.size() == pictureSize));
    return 0;
}
