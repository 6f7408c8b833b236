#include "windows/play/ThumbnailFit.h"

#include <algorithm>
#include <cstdint>

namespace
{

constexpr int Margin = 5;

} // namespace

QRect FitThumbnailBounds(QSize panel, QSize picture)
{
    if (picture.isEmpty())
        return QRect();
    const std::int64_t w = picture.width(), h = picture.height();
    std::int64_t boxWidth = std::max(0, panel.width() - 2 * Margin);
    std::int64_t boxHeight = std::max(0, panel.height() - 2 * Margin);

    // boxHeight / boxWidth > h / w, compared exactly in integers.
    if (boxHeight * w > h * boxWidth)
        boxHeight = boxWidth * h / w;
    else
        boxWidth = boxHeight * w / h;

    const int width = int(boxWidth), height = int(boxHeight);
    return QRect((panel.width() - width) / 2, (panel.height() - height) / 2, width, height);
}
