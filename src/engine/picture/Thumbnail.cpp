#include "engine/picture/Thumbnail.h"

#include <algorithm>

namespace
{

constexpr int Channels = 3;
// Keeps a column sum (factor × 255) within 32 bits.
constexpr int MaxFactor = 1 << 16;

} // namespace

QSize ThumbnailSize(QSize picture, QSize bound)
{
    if (picture.isEmpty() || bound.isEmpty())
        return QSize();
    if (picture.width() <= bound.width() && picture.height() <= bound.height())
        return picture;
    return picture.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

TThumbnailMaker::TThumbnailMaker(QSize picture, QSize bound)
    : m_width(std::max(0, picture.width())), m_height(std::max(0, picture.height())),
      m_size(ThumbnailSize(picture, bound))
{
    if (m_size.isEmpty())
        return;
    // The largest whole factor that keeps the reduced picture at least the thumbnail's size, so
    // that the smooth reduction still has every detail it needs.
    m_factor =
        std::clamp(std::min(m_width / m_size.width(), m_height / m_size.height()), 1, MaxFactor);
    m_columnSums.assign(static_cast<std::size_t>(m_width) * Channels, 0);
    m_reduced = QImage((m_width + m_factor - 1) / m_factor, (m_height + m_factor - 1) / m_factor,
                       QImage::Format_RGB32);
}

void TThumbnailMaker::AddRow(const unsigned char *row)
{
    if (m_reduced.isNull() || m_rowsAdded >= m_height)
        return;
    std::uint32_t *sums = m_columnSums.data();
    const std::size_t count = m_columnSums.size();
    for (std::size_t i = 0; i < count; ++i)
        sums[i] += row[i];
    ++m_rowsAdded;
    if (++m_rowsInBlock == m_factor || m_rowsAdded == m_height)
        FinishBlockRow();
}

void TThumbnailMaker::FinishBlockRow()
{
    auto *target = reinterpret_cast<QRgb *>(m_reduced.scanLine(m_reducedRows++));
    const std::uint32_t *sums = m_columnSums.data();
    for (int x = 0; x < m_reduced.width(); ++x) {
        const int first = x * m_factor;
        const int last = std::min(m_width, first + m_factor);
        std::uint64_t channel[Channels] = {0, 0, 0};
        for (int column = first; column < last; ++column)
            for (int c = 0; c < Channels; ++c)
                channel[c] += sums[column * Channels + c];
        // A multiplication instead of three divisions per pixel.
        const double scale = 1.0 / (static_cast<double>(last - first) * m_rowsInBlock);
        target[x] = qRgb(static_cast<int>(channel[0] * scale + 0.5),
                         static_cast<int>(channel[1] * scale + 0.5),
                         static_cast<int>(channel[2] * scale + 0.5));
    }
    std::fill(m_columnSums.begin(), m_columnSums.end(), 0);
    m_rowsInBlock = 0;
}

QImage TThumbnailMaker::Thumbnail() const
{
    if (m_reduced.isNull() || m_rowsAdded < m_height)
        return QImage();
    if (m_reduced.size() == m_size)
        return m_reduced;
    return m_reduced.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage MakeThumbnail(const QImage &picture, QSize bound)
{
    const QImage rows = picture.convertToFormat(QImage::Format_RGB888);
    TThumbnailMaker maker(rows.size(), bound);
    for (int y = 0; y < rows.height(); ++y)
        maker.AddRow(rows.constScanLine(y));
    return maker.Thumbnail();
}
