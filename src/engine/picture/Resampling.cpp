#include "engine/picture/Resampling.h"

#include "engine/picture/JpegPicture.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

int ScaledLength(int baseLength, int percent)
{
    const qint64 product = qint64(baseLength) * percent;
    // The current rounding mode is to nearest with ties to even.
    const double rounded = std::nearbyint(static_cast<double>(product) / 100.0);
    return static_cast<int>(std::clamp(rounded, double(INT_MIN), double(INT_MAX)));
}

bool CanResampleTo(QSize size)
{
    return !size.isEmpty() && qint64(size.width()) * size.height() <= JpegPixelLimit;
}

QImage ResampleBitmap(const QImage &source, QSize size)
{
    if (!CanResampleTo(size))
        return {};
    QImage target(size, QImage::Format_RGB888);
    if (target.isNull())
        return {};
    target.fill(Qt::white);
    if (!source.isNull()) {
        QPainter painter(&target);
        painter.drawImage(QRect(QPoint(0, 0), size), source);
    }
    return target;
}
