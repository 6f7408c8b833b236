#include "engine/picture/MetafilePlayer.h"

#include "engine/picture/EmfRecords.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/WmfRecords.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
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

bool TMetafilePlayer::EndsBeforeItDraws() const
{
    const TByteReader file(m_bytes);
    const bool reachesEnd = m_kind == TKind::Emf
                                ? EmfRecordsReachTheirEnd(file)
                                : WmfRecordsReachTheirEnd(file, *ReadWmfHeader(file));
    if (reachesEnd)
        return false;
    // Drawn onto white, as the loaded picture is: a cut-off file that left it all white (its
    // background filled, say) shows nothing.
    const QSize probeSize =
        m_size.scaled(QSize(MetafileProbeSide, MetafileProbeSide), Qt::KeepAspectRatio)
            .expandedTo(QSize(1, 1));
    QImage probe(probeSize, QImage::Format_RGB32);
    probe.fill(Qt::white);
    {
        QPainter painter(&probe);
        Draw(painter, QRectF(QPointF(0, 0), probeSize));
    }
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < probe.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(probe.constScanLine(y));
        if (std::any_of(row, row + probe.width(), [&](QRgb pixel) { return pixel != white; }))
            return false;
    }
    return true;
}

void TMetafilePlayer::Draw(QPainter &painter, const QRectF &target) const
{
    const TByteReader file(m_bytes);
    TMetafileDevice device(painter, target);
    if (m_kind == TKind::Emf)
        PlayEmfRecords(file, *ReadEmfHeader(file), device);
    else
        PlayWmfRecords(file, *ReadWmfHeader(file), device);
}
