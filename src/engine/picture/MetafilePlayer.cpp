#include "engine/picture/MetafilePlayer.h"

#include "engine/picture/EmfRecords.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/WmfRecords.h"

#include <QPainter>
#include <cmath>

std::optional<QSize> CappedMetafileSize(double width, double height)
{
    width = std::abs(width);
    height = std::abs(height);
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0)
        return std::nullopt;
    const double scale = std::min(1.0, MetafileMaxSide / std::max(width, height));
    const int w = std::max(1, static_cast<int>(std::lround(width * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(height * scale)));
    return QSize(std::min(w, MetafileMaxSide), std::min(h, MetafileMaxSide));
}

std::optional<TMetafilePlayer> TMetafilePlayer::FromBytes(const QByteArray &bytes)
{
    const TByteReader file(bytes);
    if (const std::optional<TEmfHeader> emf = ReadEmfHeader(file)) {
        const auto size = CappedMetafileSize(emf->naturalSize.width(), emf->naturalSize.height());
        if (size)
            return TMetafilePlayer(bytes, TKind::Emf, *size);
        return std::nullopt;
    }
    if (const std::optional<TWmfHeader> wmf = ReadWmfHeader(file)) {
        const auto size = CappedMetafileSize(wmf->window.width() * wmf->pixelsPerUnit,
                                             wmf->window.height() * wmf->pixelsPerUnit);
        if (size)
            return TMetafilePlayer(bytes, TKind::Wmf, *size);
    }
    return std::nullopt;
}

void TMetafilePlayer::Draw(QPainter &painter, const QRectF &target) const
{
    const TByteReader file(m_Bytes);
    TMetafileDevice device(painter, target);
    if (m_Kind == TKind::Emf)
        PlayEmfRecords(file, *ReadEmfHeader(file), device);
    else
        PlayWmfRecords(file, *ReadWmfHeader(file), device);
}
