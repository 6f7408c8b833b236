#include "engine/jigsaw/PieceShape.h"

#include "engine/jigsaw/PieceGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

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

// The arrays never overlap, which lets the compiler work on many bytes at once.
void OrBytes(unsigned char *__restrict target, const unsigned char *__restrict source, int count)
{
    for (int i = 0; i < count; ++i)
        target[i] |= source[i];
}

void MarkWhitePixels(unsigned char *pixel, int count)
{
    for (int i = 0; i < count; ++i, pixel += BytesPerPixel) {
        const unsigned char isWhite = (pixel[0] & pixel[1] & pixel[2]) == White;
        pixel[0] -= isWhite;
        pixel[1] -= isWhite;
        pixel[2] -= isWhite;
    }
}

// Whether any byte of the word is 255: its complement then has a zero byte, which the borrow of
// the subtraction reveals in that byte's top bit.
bool AnyByteIsWhite(std::uint64_t word)
{
    constexpr std::uint64_t Ones = 0x0101010101010101;
    constexpr std::uint64_t TopBits = 0x8080808080808080;
    const std::uint64_t inverted = ~word;
    return ((inverted - Ones) & ~inverted & TopBits) != 0;
}

// Pure white picture pixels become (254, 254, 254), so that only pixels outside the outline are
// pure white and vanish. Runs of eight pixels (three words) without a 255 byte, most of a
// photograph, are skipped; wholly white runs are set at once.
void MarkWhiteAsNearWhite(unsigned char *row, int width)
{
    constexpr int Block = 8;
    int x = 0;
    for (; x + Block <= width; x += Block) {
        unsigned char *block = row + x * BytesPerPixel;
        std::uint64_t words[3];
        std::memcpy(words, block, sizeof words);
        if ((words[0] & words[1] & words[2]) == ~std::uint64_t{0})
            std::memset(block, NearWhite, sizeof words);
        else if (AnyByteIsWhite(words[0]) || AnyByteIsWhite(words[1]) || AnyByteIsWhite(words[2]))
            MarkWhitePixels(block, Block);
    }
    MarkWhitePixels(row + x * BytesPerPixel, width - x);
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
            pixel[channel] =
                static_cast<unsigned char>(std::min<int>(2 * pixel[channel], NearWhite));
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

// Beyond the picture's edge nothing of the piece is shown: the rows above or below the picture
// wholly, in the other rows the columns left and right of it.
void MarkBeyondPicture(int y, const QRect &pictureArea, unsigned char *outside, int width)
{
    if (y < pictureArea.top() || y > pictureArea.bottom()) {
        FillOutside(outside, width, 0, width - 1);
        return;
    }
    FillOutside(outside, width, 0, pictureArea.left() - 1);
    FillOutside(outside, width, pictureArea.right() + 1, width - 1);
}

} // namespace

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
    : m_width(pieceWidth), m_height(pieceHeight), m_margin(margin),
      m_tabRadius(TabRadiusForMargin(margin))
{
    for (int a = 0; a <= std::max(margin, 0); ++a)
        m_profile.push_back(::TabHalfWidth(a, m_tabRadius));
    TabulateBands();
}

int TPieceOutline::TabHalfWidth(int a) const
{
    if (a >= 0 && a < static_cast<int>(m_profile.size()))
        return m_profile[static_cast<std::size_t>(a)];
    return ::TabHalfWidth(a, m_tabRadius);
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
        if (depth <= -m_margin)
            return false;
        const int p = TabHalfWidth(-depth);
        return centre - p < along && along < centre + p;
    }
    return false;
}

bool TPieceOutline::OutsideTop(int x, int y, int T) const
{
    return OutsideByEdge(T, m_margin - y, x, m_width / 2);
}

bool TPieceOutline::OutsideRight(int x, int y, int R) const
{
    return OutsideByEdge(R, x - (m_width - m_margin), y, m_height / 2);
}

bool TPieceOutline::OutsideBottom(int x, int y, int B) const
{
    return OutsideByEdge(B, y - (m_height - m_margin), x, m_width / 2);
}

bool TPieceOutline::OutsideLeft(int x, int y, int L) const
{
    return OutsideByEdge(L, m_margin - x, y, m_height / 2);
}

bool TPieceOutline::Outside(int x, int y, const TPieceEdges &edges) const
{
    return OutsideTop(x, y, edges.top) || OutsideRight(x, y, edges.right) ||
           OutsideBottom(x, y, edges.bottom) || OutsideLeft(x, y, edges.left);
}

// OutsideByEdge for a whole row across a top or bottom edge, as intervals of x.
void TPieceOutline::MarkHorizontalEdge(int edge, int depth, unsigned char *outside) const
{
    const int centre = m_width / 2;
    if (edge == 1 && depth > 0) {
        const int p = TabHalfWidth(depth);
        FillOutside(outside, m_width, 0, centre - p - 1);
        FillOutside(outside, m_width, centre + p + 1, m_width - 1);
    } else if (edge == -1 && depth >= 0) {
        FillOutside(outside, m_width, 0, m_width - 1);
    } else if (edge == -1 && depth > -m_margin) {
        const int p = TabHalfWidth(-depth);
        FillOutside(outside, m_width, centre - p + 1, centre + p - 1);
    }
}

void TPieceOutline::MarkOutsideRow(int y, const TPieceEdges &edges, unsigned char *outside) const
{
    MarkHorizontalEdge(edges.top, m_margin - y, outside);
    MarkHorizontalEdge(edges.bottom, y - (m_height - m_margin), outside);
    MarkBandRow(m_leftBands, edges.left, y, outside);
    MarkBandRow(m_rightBands, edges.right, y, outside + (m_width - m_bandWidth));
}

// A left or right edge only reaches the columns of its two margin bands; what it cuts off there
// is tabulated per row for a tab and for a hole.
void TPieceOutline::TabulateBands()
{
    m_bandWidth = std::clamp(2 * m_margin, 0, m_width);
    const int rightStart = m_width - m_bandWidth;
    for (int edge : {-1, 1}) {
        std::vector<unsigned char> &left = m_leftBands[BandIndex(edge)];
        std::vector<unsigned char> &right = m_rightBands[BandIndex(edge)];
        left.resize(static_cast<std::size_t>(m_height) * m_bandWidth);
        right.resize(left.size());
        for (int y = 0; y < m_height; ++y) {
            for (int i = 0; i < m_bandWidth; ++i) {
                const std::size_t at = static_cast<std::size_t>(y) * m_bandWidth + i;
                left[at] = OutsideLeft(i, y, edge);
                right[at] = OutsideRight(rightStart + i, y, edge);
            }
        }
    }
}

void TPieceOutline::MarkBandRow(const std::vector<unsigned char> (&bands)[2], int edge, int y,
                                unsigned char *outside) const
{
    if (edge != 1 && edge != -1)
        return;
    const unsigned char *band =
        bands[BandIndex(edge)].data() + static_cast<std::size_t>(y) * m_bandWidth;
    OrBytes(outside, band, m_bandWidth);
}

QRect PictureAreaOfPiece(QSize pictureSize, int x, int y, QSize pieceSize)
{
    return QRect(QPoint(-x, -y), pictureSize).intersected(QRect(QPoint(0, 0), pieceSize));
}

void ShapePiece(QImage &bitmap, const TPieceEdges &edges, const TPieceOutline &outline,
                bool drawBorders, const std::optional<QRect> &pictureArea)
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
        if (pictureArea)
            MarkBeyondPicture(y, *pictureArea, outside.data(), width);
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
    // Opaque 32-bit pixels are already premultiplied.
    QImage display = shapedPiece.convertToFormat(QImage::Format_RGB32);
    if (display.isNull() || !display.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied))
        throw std::bad_alloc();
    const QRgb key = display.pixel(0, display.height() - 1);
    const int width = display.width();
    const int height = display.height();
    uchar *const bits = display.bits();
    for (int y = 0; y < height; ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(bits + y * display.bytesPerLine());
        for (int x = 0; x < width; ++x)
            pixel[x] = pixel[x] == key ? 0u : pixel[x];
    }
    return display;
}

QRect OpaqueBounds(const QImage &displayPicture)
{
    if (!displayPicture.hasAlphaChannel())
        return displayPicture.rect();
    const QImage argb = displayPicture.format() == QImage::Format_ARGB32_Premultiplied
                            ? displayPicture
                            : displayPicture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRect bounds;
    for (int y = 0; y < argb.height(); ++y) {
        const auto *pixel = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        int first = 0;
        while (first < argb.width() && qAlpha(pixel[first]) == 0)
            ++first;
        if (first == argb.width())
            continue;
        int last = argb.width() - 1;
        while (qAlpha(pixel[last]) == 0)
            --last;
        bounds |= QRect(first, y, last - first + 1, 1);
    }
    return bounds;
}

QImage ShapedPieceImage(const QImage &sourceBitmap, int x, int y, const TPieceEdges &edges,
                        const TPieceOutline &outline, bool drawBorders, QImage &workBitmap)
{
    if (workBitmap.size() != QSize(outline.PieceWidth(), outline.PieceHeight()) ||
        workBitmap.format() != QImage::Format_RGB888)
        workBitmap = QImage(outline.PieceWidth(), outline.PieceHeight(), QImage::Format_RGB888);
    if (sourceBitmap.isNull())
        workBitmap.fill(Qt::white);
    else
        RenderCell(workBitmap, sourceBitmap, x, y);
    ShapePiece(workBitmap, edges, outline, drawBorders,
               PictureAreaOfPiece(sourceBitmap.size(), x, y, workBitmap.size()));
    return PieceDisplayImage(workBitmap);
}
