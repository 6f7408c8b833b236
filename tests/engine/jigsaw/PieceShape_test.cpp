#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PieceShape.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

namespace
{

std::vector<int> Profile(int margin)
{
    std::vector<int> values;
    const int r = TabRadiusForMargin(margin);
    for (int a = 0; a <= margin; ++a)
        values.push_back(TabHalfWidth(a, r));
    return values;
}

QImage FilledBitmap(int width, int height, QRgb colour)
{
    QImage bitmap(width, height, QImage::Format_RGB888);
    bitmap.fill(colour);
    return bitmap;
}

// A third of the pixels pure white, many single 255 bytes, and in every fourth row a white
// stretch of 5 to 40 pixels at a different place.
QImage NoiseBitmap(int width, int height, quint32 seed)
{
    QImage bitmap(width, height, QImage::Format_RGB888);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        uchar *row = bitmap.scanLine(y);
        const int stretchStart = y % 4 == 0 ? random.bounded(width) : width;
        const int stretchEnd = stretchStart + random.bounded(5, 41);
        for (int i = 0; i < width * 3; i += 3) {
            const bool inStretch = i / 3 >= stretchStart && i / 3 < stretchEnd;
            const bool whitePixel = inStretch || random.bounded(3) == 0;
            for (int c = 0; c < 3; ++c)
                row[i + c] = whitePixel || random.bounded(4) == 0
                                 ? 255
                                 : static_cast<uchar>(random.bounded(256));
        }
    }
    return bitmap;
}

QRgb At(const QImage &bitmap, int x, int y)
{
    return bitmap.pixel(x, y) & 0xFFFFFF;
}

constexpr QRgb PureWhite = 0xFFFFFF;
constexpr QRgb NearWhite = 0xFEFEFE;
constexpr QRgb Dark = 0x3F3F3F;

// Steps 5 and 6 pixel by pixel, straight from the rules: the oracle for the row-wise shaping.
QImage ShapeByPixel(QImage bitmap, const TPieceEdges &edges, const TPieceOutline &outline,
                    bool borders)
{
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar *row = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            uchar *p = row + 3 * x;
            if (p[0] == 255 && p[1] == 255 && p[2] == 255)
                p[0] = p[1] = p[2] = 254;
            const bool outside = outline.Outside(x, y, edges);
            if (outside)
                p[0] = p[1] = p[2] = 255;
            if (!borders || x == 0)
                continue;
            const bool previous = outline.Outside(x - 1, y, edges);
            for (int c = 0; c < 3; ++c) {
                if (outside && !previous)
                    p[c] = p[c] >> 2;
                else if (!outside && previous)
                    p[c] = static_cast<uchar>(std::min(2 * p[c], 254));
            }
        }
    }
    bitmap.setPixel(0, bitmap.height() - 1, 0xFFFFFFFF);
    return bitmap;
}

std::vector<TPieceEdges> AllEdgeCombinations()
{
    std::vector<TPieceEdges> all;
    for (int t = -1; t <= 1; ++t)
        for (int r = -1; r <= 1; ++r)
            for (int b = -1; b <= 1; ++b)
                for (int l = -1; l <= 1; ++l)
                    all.push_back({t, r, b, l});
    return all;
}

} // namespace

TEST(TabProfile, WorkedValuesForMargins20And16)
{
    EXPECT_EQ(TabRadiusForMargin(20), 6);
    EXPECT_EQ(Profile(20),
              (std::vector<int>{9, 6, 5, 4, 3, 3, 3, 3, 3, 4, 5, 6, 6, 7, 7, 7, 7, 6, 6, 5, 3}));
    EXPECT_EQ(TabRadiusForMargin(16), 5);
    EXPECT_EQ(Profile(16), (std::vector<int>{7, 4, 3, 2, 2, 2, 2, 2, 3, 4, 5, 5, 5, 5, 5, 4, 3}));
}

// r, h and C of the worked values show as p(0) = h + r, the neck's narrowest p(r) = h, the
// head's widest h + r + C and, past the head, h + C; the last neck depth d - 1 is hand-computed.
TEST(TabProfile, WorkedValuesForMargins10And30And40)
{
    struct Case {
        int margin, r, d, h, C, lastNeck;
    };
    for (const Case &c :
         {Case{10, 3, 5, 2, -1, 2}, Case{30, 9, 15, 4, -4, 6}, Case{40, 12, 20, 6, -5, 8}}) {
        SCOPED_TRACE(c.margin);
        ASSERT_EQ(TabRadiusForMargin(c.margin), c.r);
        EXPECT_EQ(TabHalfWidth(0, c.r), c.h + c.r);
        EXPECT_EQ(TabHalfWidth(c.r, c.r), c.h);
        EXPECT_EQ(TabHalfWidth(c.d - 1, c.r), c.lastNeck);
        int widestHead = 0;
        for (int a = c.d; a <= c.margin; ++a)
            widestHead = std::max(widestHead, TabHalfWidth(a, c.r));
        EXPECT_EQ(widestHead, c.h + c.r + c.C);
        EXPECT_EQ(TabHalfWidth(4 * c.margin, c.r), c.h + c.C);
    }
}

TEST(Outline, TableAndRowMarkingAgreeWithThePixelTests)
{
    for (const auto &[w, h, m] :
         {std::tuple{120, 90, 20}, {57, 83, 16}, {21, 21, 10}, {91, 66, 40}}) {
        const TPieceOutline outline(w, h, m);
        for (int a = -5; a <= 3 * m; ++a)
            ASSERT_EQ(outline.TabHalfWidth(a), TabHalfWidth(a, outline.TabRadius()));
        std::vector<unsigned char> marks(static_cast<size_t>(w));
        for (const TPieceEdges &edges : AllEdgeCombinations()) {
            for (int y = 0; y < h; ++y) {
                std::fill(marks.begin(), marks.end(), 0);
                outline.MarkOutsideRow(y, edges, marks.data());
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(marks[x] != 0, outline.Outside(x, y, edges))
                        << w << "x" << h << " m" << m << " at " << x << "," << y << " edges "
                        << edges.top << edges.right << edges.bottom << edges.left;
            }
        }
    }
}

TEST(Outline, BodyBoundariesAwayFromTheTab)
{
    const int w = 120, h = 90, m = 20;
    const TPieceOutline o(w, h, m);
    // Column m + 1 and row m + 1 lie away from any tab centre.
    EXPECT_FALSE(o.OutsideTop(m + 1, m, 1)) << "a top tab's body starts at row m";
    EXPECT_TRUE(o.OutsideTop(m + 1, m - 1, 1));
    EXPECT_TRUE(o.OutsideTop(m + 1, m, -1)) << "a top hole's body starts at row m + 1";
    EXPECT_FALSE(o.OutsideTop(m + 1, m + 1, -1));
    EXPECT_FALSE(o.OutsideLeft(m, m + 1, 1));
    EXPECT_TRUE(o.OutsideLeft(m - 1, m + 1, 1));
    EXPECT_TRUE(o.OutsideLeft(m, m + 1, -1));
    EXPECT_FALSE(o.OutsideLeft(m + 1, m + 1, -1));
    EXPECT_FALSE(o.OutsideRight(w - m, m + 1, 1)) << "a right tab reaches column W - m";
    EXPECT_TRUE(o.OutsideRight(w - m + 1, m + 1, 1));
    EXPECT_TRUE(o.OutsideRight(w - m, m + 1, -1));
    EXPECT_FALSE(o.OutsideRight(w - m - 1, m + 1, -1));
    EXPECT_FALSE(o.OutsideBottom(m + 1, h - m, 1));
    EXPECT_TRUE(o.OutsideBottom(m + 1, h - m + 1, 1));
    EXPECT_TRUE(o.OutsideBottom(m + 1, h - m, -1));
    EXPECT_FALSE(o.OutsideBottom(m + 1, h - m - 1, -1));
    // The tab is 2p + 1 wide at depth 1 (p = 6), its hole 2p - 1.
    const int cx = w / 2;
    EXPECT_FALSE(o.OutsideTop(cx - 6, m - 1, 1));
    EXPECT_TRUE(o.OutsideTop(cx - 7, m - 1, 1));
    EXPECT_TRUE(o.OutsideTop(cx - 5, m + 1, -1));
    EXPECT_FALSE(o.OutsideTop(cx - 6, m + 1, -1));
    for (int x = 0; x < w; ++x)
        EXPECT_FALSE(o.OutsideTop(x, 0, 0)) << "a flat edge keeps its band";
}

TEST(Outline, BandRowsOfShapedPieces)
{
    const int w = 120, h = 90, m = 20;
    const TPieceOutline outline(w, h, m);
    QImage hole = FilledBitmap(w, h, 0x204080);
    ShapePiece(hole, {-1, 0, 0, 0}, outline, false);
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(At(hole, x, m), PureWhite) << "a top hole clears row m across the width";
    QImage tab = FilledBitmap(w, h, 0x204080);
    ShapePiece(tab, {1, 0, 0, 0}, outline, false);
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(At(tab, x, m), 0x204080u) << "row m belongs to a top tab's body";
    EXPECT_EQ(At(tab, w / 2, 0), 0x204080u) << "the tab reaches the image's top row";
    EXPECT_EQ(At(tab, w / 2 - 4, 0), PureWhite);
}

// Two neighbours placed at their cells' positions: every pixel of the shared strip is covered,
// and a pixel covered twice is a rim pixel of the hole (it touches a pixel only the tab covers).
TEST(Outline, NeighboursTileAlongTheirSharedEdge)
{
    for (const auto &[pictureWidth, pictureHeight, cols, rows] :
         {std::tuple{800, 600, 10, 12}, {805, 611, 7, 9}, {300, 200, 15, 15}, {3000, 2000, 7, 7}}) {
        const TPieceGeometry g = *ComputePieceGeometry(pictureWidth, pictureHeight, cols, rows);
        const TPieceOutline o(g.pieceWidth, g.pieceHeight, g.margin);
        for (int edge : {-1, 1}) {
            for (bool horizontal : {true, false}) {
                SCOPED_TRACE(::testing::Message() << g.cellWidth << "x" << g.cellHeight << " edge "
                                                  << edge << " h " << horizontal);
                // First piece's cell at (0, 0), the second's next to it; flat everywhere else.
                const TPieceEdges first =
                    horizontal ? TPieceEdges{0, edge, 0, 0} : TPieceEdges{0, 0, edge, 0};
                const TPieceEdges second =
                    horizontal ? TPieceEdges{0, 0, 0, -edge} : TPieceEdges{-edge, 0, 0, 0};
                const int dx = horizontal ? g.cellWidth : 0;
                const int dy = horizontal ? 0 : g.cellHeight;
                auto coveredBy = [&](int px, int py) {
                    const int x1 = px + g.margin, y1 = py + g.margin;
                    const int x2 = x1 - dx, y2 = y1 - dy;
                    const bool a = x1 >= 0 && y1 >= 0 && x1 < g.pieceWidth && y1 < g.pieceHeight &&
                                   !o.Outside(x1, y1, first);
                    const bool b = x2 >= 0 && y2 >= 0 && x2 < g.pieceWidth && y2 < g.pieceHeight &&
                                   !o.Outside(x2, y2, second);
                    return std::pair{a, b};
                };
                const int tabOwner = edge == 1 ? 0 : 1;
                auto onlyTab = [&](int px, int py) {
                    const auto [a, b] = coveredBy(px, py);
                    return tabOwner == 0 ? a && !b : b && !a;
                };
                int doubles = 0;
                for (int py = 0; py < g.cellHeight + dy; ++py) {
                    for (int px = 0; px < g.cellWidth + dx; ++px) {
                        const auto [a, b] = coveredBy(px, py);
                        ASSERT_TRUE(a || b) << "gap at " << px << "," << py;
                        if (a && b) {
                            ++doubles;
                            ASSERT_TRUE(onlyTab(px + 1, py) || onlyTab(px - 1, py) ||
                                        onlyTab(px, py + 1) || onlyTab(px, py - 1))
                                << "overlap off the rim at " << px << "," << py;
                        }
                    }
                }
                EXPECT_GT(doubles, 0) << "a fitted tab covers its hole's rim";
            }
        }
    }
}

TEST(Shaping, MatchesThePixelByPixelRules)
{
    for (const auto &[w, h, m] : {std::tuple{120, 90, 20}, {57, 83, 16}, {21, 21, 10}}) {
        const TPieceOutline outline(w, h, m);
        const QImage picture = NoiseBitmap(w, h, static_cast<quint32>(w * h));
        for (const TPieceEdges &edges : AllEdgeCombinations()) {
            for (bool borders : {false, true}) {
                QImage shaped = picture.copy();
                ShapePiece(shaped, edges, outline, borders);
                ASSERT_EQ(shaped, ShapeByPixel(picture, edges, outline, borders))
                    << w << "x" << h << " edges " << edges.top << edges.right << edges.bottom
                    << edges.left << " borders " << borders;
            }
        }
    }
}

TEST(Shaping, WhiteBecomes254AndBordersShadeLeftAndRightSides)
{
    const int w = 120, h = 90, m = 20;
    const TPieceOutline outline(w, h, m);
    const int cy = h / 2;

    QImage white = FilledBitmap(w, h, PureWhite);
    ShapePiece(white, {0, -1, 0, -1}, outline, true);
    EXPECT_EQ(At(white, w / 2, cy), NearWhite) << "pure white in the picture stays visible";
    EXPECT_EQ(At(white, 2 * m, cy), NearWhite) << "lit white is capped at 254";
    EXPECT_EQ(At(white, 0, cy), PureWhite) << "column 0 is never shaded";
    EXPECT_EQ(At(white, w - 2 * m + 1, cy), Dark) << "dark line right of the outline";
    EXPECT_EQ(At(white, w - 2 * m + 2, cy), PureWhite);
    EXPECT_EQ(At(white, w / 2, 0), NearWhite) << "a flat band's white shows as 254";

    QImage coloured = FilledBitmap(w, h, 0x0A64C8);
    ShapePiece(coloured, {0, -1, 0, -1}, outline, true);
    EXPECT_EQ(At(coloured, 2 * m, cy), 0x14C8FEu) << "lit: each channel doubled, capped at 254";
    EXPECT_EQ(At(coloured, 2 * m + 1, cy), 0x0A64C8u);

    QImage plain = FilledBitmap(w, h, 0x0A64C8);
    ShapePiece(plain, {0, -1, 0, -1}, outline, false);
    EXPECT_EQ(At(plain, 2 * m, cy), 0x0A64C8u);
    EXPECT_EQ(At(plain, w - 2 * m + 1, cy), PureWhite);
}

TEST(Shaping, BottomLeftPixelIsTheTransparentColour)
{
    const TPieceOutline outline(120, 90, 20);
    QImage corner = FilledBitmap(120, 90, PureWhite);
    ShapePiece(corner, {0, 0, 0, 0}, outline, true);
    EXPECT_EQ(At(corner, 0, 89), PureWhite);
    EXPECT_EQ(At(corner, 1, 89), NearWhite) << "the corner square's white fill stays visible";

    const QImage display = PieceDisplayImage(corner);
    ASSERT_EQ(display.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(display.pixel(0, 89), 0u);
    EXPECT_EQ(display.pixel(1, 89), 0xFFFEFEFEu);
}

TEST(Shaping, RefusesABitmapOfTheWrongFormatOrSize)
{
    const TPieceOutline outline(120, 90, 20);
    QImage wrongFormat(120, 90, QImage::Format_RGB32);
    EXPECT_THROW(ShapePiece(wrongFormat, {}, outline, true), std::invalid_argument);
    QImage wrongSize(121, 90, QImage::Format_RGB888);
    EXPECT_THROW(ShapePiece(wrongSize, {}, outline, true), std::invalid_argument);
}

TEST(DisplayImage, TransparencyComesFromTheBottomLeftColour)
{
    QImage shaped = FilledBitmap(4, 3, 0x010203);
    shaped.setPixel(1, 0, 0xFFFFFFFF);
    shaped.setPixel(2, 1, 0xFF112233);
    const QImage display = PieceDisplayImage(shaped);
    EXPECT_EQ(display.pixel(0, 0), 0u);
    EXPECT_EQ(display.pixel(0, 2), 0u);
    EXPECT_EQ(display.pixel(1, 0), 0xFFFFFFFFu) << "white is opaque when it is not the key";
    EXPECT_EQ(display.pixel(2, 1), 0xFF112233u);
    EXPECT_TRUE(PieceDisplayImage(QImage()).isNull());
}

TEST(PieceEdges, OtherIntegersShapeLikeFlatEdges)
{
    // An integer other than 1 or -1 shapes like a flat edge.
    const TPieceOutline outline(120, 90, 20);
    for (int x = 0; x < 120; ++x)
        EXPECT_FALSE(outline.OutsideTop(x, 0, 2));
}
