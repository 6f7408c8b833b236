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
    : m_Width(std::max(0, picture.width())), m_Height(std::max(0, picture.height())),
      m_Size(ThumbnailSize(picture, bound))
{
    if (m_Size.isEmpty())
        return;
    // The largest whole factor that keeps the reduced picture at least the thumbnail's size, so
    // that the smooth reduction still has every detail it needs.
    m_Factor =
        std::clamp(std::min(m_Width / m_Size.width(), m_Height / m_Size.height()), 1, MaxFactor);
    m_ColumnSums.assign(static_cast<std::size_t>(m_Width) * Channels, 0);
    m_Reduced = QImage((m_Width + m_Factor - 1) / m_Factor, (m_Height + m_Factor - 1) / m_Factor,
                       QImage::Format_RGB32);
}

void TThumbnailMaker::AddRow(const unsigned char *row)
{
    if (m_Reduced.isNull() || m_RowsAdded >= m_Height)
        return;
    std::uint32_t *sums = m_ColumnSums.data();
    const std::size_t count = m_ColumnSums.size();
    for (std::size_t i = 0; i < count; ++i)
        sums[i] += row[i];
    ++m_RowsAdded;
    if (++m_RowsInBlock == m_Factor || m_RowsAdded == m_Height)
        FinishBlockRow();
}

void TThumbnailMaker::FinishBlockRow()
{
    auto *target = reinterpret_cast<QRgb *>(m_Reduced.scanLine(m_ReducedRows++));
    const std::uint32_t *sums = m_ColumnSums.data();
    for (int x = 0; x < m_Reduced.width(); ++x) {
        const int first = x * m_Factor;
        const int last = std::min(m_Width, first + m_Factor);
        std::uint64_t channel[Channels] = {0, 0, 0};
        for (int column = first; column < last; ++column)
            for (int c = 0; c < Channels; ++c)
                channel[c] += sums[column * Channels + c];
        // A multiplication instead of three divisions per pixel.
        const double scale = 1.0 / (static_cast<double>(last - first) * m_RowsInBlock);
        target[x] = qRgb(static_cast<int>(channel[0] * scale + 0.5),
                         static_cast<int>(channel[1] * scale + 0.5),
                         static_cast<int>(channel[2] * scale + 0.5));
    }
    std::fill(m_ColumnSums.begin(), m_ColumnSums.end(), 0);
    m_RowsInBlock = 0;
}

QImage TThumbnailMaker::Thumbnail() const
{
    if (m_Reduced.isNull() || m_RowsAdded < m_Height)
        return QImage();
    if (m_Reduced.size() == m_Size)
        return m_Reduced;
    return m_Reduced.scaled(m_Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage MakeThumbnail(const QImage &picture, QSize bound)
{
    const QImage rows = picture.convertToFormat(QImage::Format_RGB888);
    TThumbnailMaker maker(rows.size(), bound);
    for (int y = 0; y < rows.height(); ++y)
        maker.AddRow(rows.constScanLine(y));
    return maker.Thumbnail();
}
