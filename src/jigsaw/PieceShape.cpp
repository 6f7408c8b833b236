#include "jigsaw/PieceShape.h"

#include "container/KelPigger.h"
#include "container/KelUtils.h"
#include "container/PuzzleDocument.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

using namespace PuzzleSchema;

namespace
{

constexpr unsigned char White = 255;
constexpr unsigned char NearWhite = 254;
constexpr int BytesPerPixel = 3;

// Round to the nearest integer, ties to even (the default floating-point rounding mode).
int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

void FillOutside(unsigned char *outside, int width, int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, width - 1);
    if (from <= to)
        std::memset(outside + from, 1, static_cast<std::size_t>(to - from + 1));
}

// Pure white picture pixels become (254, 254, 254), so that only pixels outside the outline are
// pure white and vanish.
void MarkWhiteAsNearWhite(unsigned char *row, int width)
{
    for (int x = 0; x < width; ++x, row += BytesPerPixel) {
        const unsigned char isWhite = (row[0] & row[1] & row[2]) == White;
        row[0] -= isWhite;
        row[1] -= isWhite;
        row[2] -= isWhite;
    }
}

// The pixel right of the outline's left side of a run of outside pixels is dark, the first
// inside pixel after the run is lit; column 0 is never shaded.
void ShadeRunEnds(unsigned char *row, int width, int runStart, int runEnd)
{
    if (runStart > 0)
        std::memset(row + runStart * BytesPerPixel, White >> 2, BytesPerPixel);
    if (runEnd < width) {
        unsigned char *pixel = row + runEnd * BytesPerPixel;
        for (int channel = 0; channel < BytesPerPixel; ++channel)
            pixel[channel] = static_cast<unsigned char>(std::min(2 * pixel[channel], 254));
    }
}

// Makes every run of outside pixels pure white, shading the transitions when asked.
void ClearOutsideRuns(unsigned char *row, const unsigned char *outside, int width, bool drawBorders)
{
    int x = 0;
    while (x < width) {
        const auto *start =
            static_cast<const unsigned char *>(std::memchr(outside + x, 1, width - x));
        if (start == nullptr)
            return;
        const int runStart = static_cast<int>(start - outside);
        const auto *end =
            static_cast<const unsigned char *>(std::memchr(start, 0, width - runStart));
        const int runEnd = end == nullptr ? width : static_cast<int>(end - outside);
        std::memset(row + runStart * BytesPerPixel, White,
                    static_cast<std::size_t>(runEnd - runStart) * BytesPerPixel);
        if (drawBorders)
            ShadeRunEnds(row, width, runStart, runEnd);
        x = runEnd;
    }
}

} // namespace

TPieceEdges ReadPieceEdges(const TKelPigger &record)
{
    TPieceEdges edges;
    int *const fields[] = {&edges.top, &edges.right, &edges.bottom, &edges.left};
    const char *const keys[] = {KeyTop, KeyRight, KeyBottom, KeyLeft};
    for (int i = 0; i < 4; ++i) {
        const std::optional<std::int32_t> value = TextToInt(record.GetAttr(keys[i]));
        if (!value)
            break;
        *fields[i] = *value;
    }
    return edges;
}

int TabRadiusForMargin(int margin)
{
    return RoundEven(margin / (2 + std::sqrt(2.0)));
}

int TabHalfWidth(int a, int tabRadius)
{
    const int r = tabRadius;
    const double sqrt2 = std::sqrt(2.0);
    const int neckEnd = RoundEven(r * (1 + sqrt2 / 2));
    const int narrowest = RoundEven(r / 2.0);
    if (a < neckEnd) {
        const int offset = a - r;
        return narrowest + RoundEven(r - std::sqrt(std::max(0, r * r - offset * offset)));
    }
    const int neckOffset = neckEnd - r;
    const int headShift = RoundEven(2 * r - std::sqrt(r * r - neckOffset * neckOffset) - neckEnd);
    const double headOffset = a - r * (1 + sqrt2);
    return narrowest +
           RoundEven(std::sqrt(std::max(0.0, r * r - headOffset * headOffset)) + headShift);
}

TPieceOutline::TPieceOutline(int pieceWidth, int pieceHeight, int margin)
    : m_Width(pieceWidth), m_Height(pieceHeight), m_Margin(margin),
      m_TabRadius(TabRadiusForMargin(margin))
{
    for (int a = 0; a <= std::max(margin, 0); ++a)
        m_Profile.push_back(::TabHalfWidth(a, m_TabRadius));
}

int TPieceOutline::TabHalfWidth(int a) const
{
    if (a >= 0 && a < static_cast<int>(m_Profile.size()))
        return m_Profile[static_cast<std::size_t>(a)];
    return ::TabHalfWidth(a, m_TabRadius);
}

// The rule all four edges share. depth is the distance from the cell's edge line, positive away
// from the piece's body; along is the coordinate along the edge and centre its middle.
bool TPieceOutline::OutsideByEdge(int edge, int depth, int along, int centre) const
{
    if (edge == 1) {
        if (depth <= 0)
            return false;
        const int p = TabHalfWidth(depth);
        return along < centre - p || along > centre + p;
    }
    if (edge == -1) {
        if (depth >= 0)
            return true;
        if (depth <= -m_Margin)
            return false;
        const int p = TabHalfWidth(-depth);
        return centre - p < along && along < centre + p;
    }
    return false;
}

bool TPieceOutline::OutsideTop(int x, int y, int T) const
{
    return OutsideByEdge(T, m_Margin - y, x, m_Width / 2);
}

bool TPieceOutline::OutsideRight(int x, int y, int R) const
{
    return OutsideByEdge(R, x - (m_Width - m_Margin), y, m_Height / 2);
}

bool TPieceOutline::OutsideBottom(int x, int y, int B) const
{
    return OutsideByEdge(B, y - (m_Height - m_Margin), x, m_Width / 2);
}

bool TPieceOutline::OutsideLeft(int x, int y, int L) const
{
    return OutsideByEdge(L, m_Margin - x, y, m_Height / 2);
}

bool TPieceOutline::Outside(int x, int y, const TPieceEdges &edges) const
{
    return OutsideTop(x, y, edges.top) || OutsideRight(x, y, edges.right) ||
           OutsideBottom(x, y, edges.bottom) || OutsideLeft(x, y, edges.left);
}

// OutsideByEdge for a whole row across a top or bottom edge, as intervals of x.
void TPieceOutline::MarkHorizontalEdge(int edge, int depth, unsigned char *outside) const
{
    const int centre = m_Width / 2;
    if (edge == 1 && depth > 0) {
        const int p = TabHalfWidth(depth);
        FillOutside(outside, m_Width, 0, centre - p - 1);
        FillOutside(outside, m_Width, centre + p + 1, m_Width - 1);
    } else if (edge == -1 && depth >= 0) {
        FillOutside(outside, m_Width, 0, m_Width - 1);
    } else if (edge == -1 && depth > -m_Margin) {
        const int p = TabHalfWidth(-depth);
        FillOutside(outside, m_Width, centre - p + 1, centre + p - 1);
    }
}

void TPieceOutline::MarkOutsideRow(int y, const TPieceEdges &edges, unsigned char *outside) const
{
    MarkHorizontalEdge(edges.top, m_Margin - y, outside);
    MarkHorizontalEdge(edges.bottom, y - (m_Height - m_Margin), outside);
    // A left or right edge only reaches the columns of its two margin bands.
    const int bandEnd = std::min(2 * m_Margin, m_Width);
    for (int x = 0; x < bandEnd; ++x)
        outside[x] |= OutsideLeft(x, y, edges.left);
    for (int x = std::max(m_Width - 2 * m_Margin, 0); x < m_Width; ++x)
        outside[x] |= OutsideRight(x, y, edges.right);
}

void ShapePiece(QImage &bitmap, const TPieceEdges &edges, const TPieceOutline &outline,
                bool drawBorders)
{
    if (bitmap.format() != QImage::Format_RGB888)
        throw std::invalid_argument("A piece bitmap must be a 24-bit RGB bitmap");
    if (bitmap.width() != outline.PieceWidth() || bitmap.height() != outline.PieceHeight())
        throw std::invalid_argument("A piece bitmap must have the piece size");
    const int width = bitmap.width();
    std::vector<unsigned char> outside(static_cast<std::size_t>(width));
    unsigned char *const bits = bitmap.bits();
    const qsizetype bytesPerLine = bitmap.bytesPerLine();
    for (int y = 0; y < bitmap.height(); ++y) {
        unsigned char *row = bits + y * bytesPerLine;
        std::fill(outside.begin(), outside.end(), 0);
        outline.MarkOutsideRow(y, edges, outside.data());
        MarkWhiteAsNearWhite(row, width);
        ClearOutsideRuns(row, outside.data(), width, drawBorders);
    }
    if (width > 0 && bitmap.height() > 0)
        std::memset(bits + (bitmap.height() - 1) * bytesPerLine, White, BytesPerPixel);
}

QImage PieceDisplayImage(const QImage &shapedPiece)
{
    if (shapedPiece.isNull())
        return QImage();
    const QImage source = shapedPiece.convertToFormat(QImage::Format_RGB888);
    QImage display(source.size(), QImage::Format_ARGB32_Premultiplied);
    if (display.isNull())
        throw std::bad_alloc();
    const unsigned char *key = source.constScanLine(source.height() - 1);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const unsigned char *pixel = source.constScanLine(y);
        auto *target = reinterpret_cast<std::uint32_t *>(display.scanLine(y));
        for (int x = 0; x < width; ++x, pixel += BytesPerPixel) {
            const bool transparent = pixel[0] == key[0] && pixel[1] == key[1] && pixel[2] == key[2];
            target[x] = transparent ? 0u
                                    : 0xFF000000u | (std::uint32_t(pixel[0]) << 16) |
                                          (std::uint32_t(pixel[1]) << 8) | pixel[2];
        }
    }
    return display;
}
