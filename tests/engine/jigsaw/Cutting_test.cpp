#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"

#include <QRandomGenerator>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace
{

// Random colours with pure white pixels and white stretches, so that the 254 rule, the borders
// and the transparency all have work in every piece.
QImage NoisePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    QRandomGenerator random(4711);
    for (int y = 0; y < height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int i = 0; i < width * 3; ++i)
            row[i] = random.bounded(5) == 0 ? 255 : static_cast<uchar>(random.bounded(256));
        if (y % 7 == 0)
            std::memset(row + 3 * (y % width), 255, 3 * std::min(30, width - y % width));
    }
    return picture;
}

TPuzzleGame Puzzle(int cols, int rows, bool borders, quint32 seed)
{
    TRandomGenerator random(seed);
    return MakePuzzleGame({rows, cols, borders, "P", "", ""}, random);
}

// The cut step by step as each piece used to be made: the reference for every faster cut.
std::vector<QImage> StepByStepCut(const QImage &picture, const TPuzzleGame &game)
{
    const TPuzzleGrid grid = GridOf(game);
    const TPieceGeometry g =
        *ComputePieceGeometry(picture.width(), picture.height(), grid.cols, grid.rows);
    const TPieceOutline outline(g.pieceWidth, g.pieceHeight, g.margin);
    QImage work(g.pieceWidth, g.pieceHeight, QImage::Format_RGB888);
    std::vector<QImage> pieces;
    for (int i = 0; i < grid.cols * grid.rows; ++i) {
        if (static_cast<std::size_t>(i) >= game.pieces.size())
            continue;
        const int x = (i % grid.cols) * g.cellWidth - g.margin;
        const int y = (i / grid.cols) * g.cellHeight - g.margin;
        RenderCell(work, picture, x, y);
        QImage piece = work.copy();
        ShapePiece(piece, game.pieces[static_cast<std::size_t>(i)].edges, outline,
                   grid.drawBorders, PictureAreaOfPiece(picture.size(), x, y, piece.size()));
        pieces.push_back(PieceDisplayImage(piece));
    }
    return pieces;
}

bool SameBytes(const QImage &a, const QImage &b)
{
    return a.format() == b.format() && a.size() == b.size() && a.sizeInBytes() == b.sizeInBytes() &&
           std::memcmp(a.constBits(), b.constBits(), static_cast<std::size_t>(a.sizeInBytes())) ==
               0;
}

} // namespace

// Grids whose cells overrun the picture (the last of 100 rows of 2 over 150 lie wholly below
// it) or leave rows below the last band, with and without borders, and with a missing piece: on
// several threads the pieces are byte for byte those of one thread and those of the steps one by
// one.
TEST(Cutting, ParallelCutEqualsTheOneThreadCutAndTheStepByStepCut)
{
    struct TCase {
        int width, height, cols, rows;
        bool borders;
    };
    for (const TCase c :
         {TCase{905, 700, 9, 7, true}, TCase{640, 333, 15, 15, false},
          TCase{300, 1049, 7, 100, true}, TCase{61, 40, 3, 2, true}, TCase{300, 150, 7, 100, true},
          TCase{1500, 1100, 50, 50, true}, TCase{100, 90, 3, 3, false}}) {
        const QImage picture = NoisePicture(c.width, c.height);
        TPuzzleGame document = Puzzle(c.cols, c.rows, c.borders, c.width);
        document.pieces.erase(document.pieces.begin() + c.cols + 1);
        const std::vector<QImage> reference = StepByStepCut(picture, document);
        const std::optional<TPuzzleCut> oneThread = CutPuzzle(picture, document, 1);
        ASSERT_TRUE(oneThread);
        ASSERT_EQ(oneThread->pieces.size(), reference.size());
        for (const int threads : {2, 3}) {
            const std::optional<TPuzzleCut> parallel = CutPuzzle(picture, document, threads);
            ASSERT_EQ(parallel->pieces.size(), reference.size());
            for (std::size_t i = 0; i < reference.size(); ++i) {
                const TCutPiece &piece = parallel->pieces[i];
                EXPECT_EQ(piece.row * c.cols + piece.col,
                          oneThread->pieces[i].row * c.cols + oneThread->pieces[i].col);
                ASSERT_TRUE(SameBytes(piece.image, oneThread->pieces[i].image))
                    << c.width << " x " << c.height << ", piece " << i << ", " << threads;
                ASSERT_TRUE(SameBytes(piece.image, reference[i])) << c.width << ", piece " << i;
            }
        }
    }
}

// Rows left below the last band (100 rows of 10 over 1049) are read and seen too.
TEST(Cutting, ReadsAndShowsEveryRowOnceAndHandsPiecesOnInRowMajorOrder)
{
    TJpegPicture jpeg;
    jpeg.Assign(NoisePicture(300, 1049));
    jpeg.SetData(jpeg.Data());
    const QImage decoded = jpeg.ToBitmap();
    const TPuzzleGame document = Puzzle(7, 100, true, 5);
    const TPieceGeometry g = *ComputePieceGeometry(300, 1049, 7, 100);
    const TPieceOutline outline(g.pieceWidth, g.pieceHeight, g.margin);

    TJpegRowReader reader(jpeg);
    int seen = 0;
    bool rowsAsDecoded = true;
    std::vector<QImage> pieces;
    int lastIndex = -1;
    CutCells(
        {decoded.size(), 7, 100, g, true, 2}, outline, document.pieces,
        [&](unsigned char *first, qsizetype bytesPerLine, int count) {
            reader.ReadRows(first, bytesPerLine, count);
        },
        [&](const unsigned char *row) {
            rowsAsDecoded = rowsAsDecoded && seen < decoded.height() &&
                            std::memcmp(row, decoded.constScanLine(seen), 300 * 3) == 0;
            ++seen;
        },
        [&](int row, int col, QImage piece) {
            EXPECT_EQ(row * 7 + col, lastIndex + 1);
            lastIndex = row * 7 + col;
            pieces.push_back(std::move(piece));
        });
    EXPECT_EQ(seen, 1049);
    EXPECT_TRUE(rowsAsDecoded);
    const std::vector<QImage> reference = StepByStepCut(decoded, document);
    ASSERT_EQ(pieces.size(), reference.size());
    for (std::size_t i = 0; i < pieces.size(); ++i)
        ASSERT_TRUE(SameBytes(pieces[i], reference[i])) << i;
}

TEST(Cutting, AFailingReadEndsTheCutWithItsErrorWhilePiecesAreBeingShaped)
{
    const TPuzzleGame document = Puzzle(15, 15, true, 9);
    const TPieceGeometry g = *ComputePieceGeometry(900, 900, 15, 15);
    const TPieceOutline outline(g.pieceWidth, g.pieceHeight, g.margin);
    int rowsRead = 0;
    int taken = 0;
    EXPECT_THROW(CutCells(
                     {QSize(900, 900), 15, 15, g, true, 2}, outline, document.pieces,
                     [&](unsigned char *first, qsizetype bytesPerLine, int count) {
                         if (rowsRead > 500)
                             throw std::runtime_error("damaged");
                         for (int i = 0; i < count; ++i)
                             std::memset(first + i * bytesPerLine, 90, 900 * 3);
                         rowsRead += count;
                     },
                     {}, [&](int, int, QImage) { ++taken; }),
                 std::runtime_error);
    EXPECT_GT(taken, 0);
    EXPECT_LT(taken, 15 * 15);
}

// Border pieces end at the picture's edge: nothing beyond it is drawn (with borders only the dark
// line right of the picture's last column), every picture pixel along the edges shows in some
// piece, and without borders it shows unchanged, white kept visible as (254, 254, 254).
TEST(Cutting, PiecesEndAtThePictureEdgeAndShowEveryPicturePixel)
{
    constexpr QRgb Dark = 0xFF3F3F3F;
    for (const int width : {805, 795}) {
        for (const bool borders : {false, true}) {
            const QImage picture = NoisePicture(width, 600);
            const std::optional<TPuzzleCut> cut =
                CutPuzzle(picture, Puzzle(10, 12, borders, 3), 2);
            ASSERT_TRUE(cut);
            const TPieceGeometry &g = cut->geometry;
            const QRect pictureRect = picture.rect();
            std::vector<char> shown(static_cast<std::size_t>(width) * 600);
            for (const TCutPiece &piece : cut->pieces) {
                const QPoint origin(piece.col * g.cellWidth - g.margin,
                                    piece.row * g.cellHeight - g.margin);
                for (int y = 0; y < piece.image.height(); ++y) {
                    for (int x = 0; x < piece.image.width(); ++x) {
                        const QPoint at = origin + QPoint(x, y);
                        const QRgb pixel = piece.image.pixel(x, y);
                        if (qAlpha(pixel) == 0)
                            continue;
                        if (!pictureRect.contains(at)) {
                            ASSERT_TRUE(borders && pixel == Dark &&
                                        pictureRect.contains(at - QPoint(1, 0)))
                                << "beyond the picture at " << at.x() << "," << at.y();
                            continue;
                        }
                        shown[static_cast<std::size_t>(at.y()) * width + at.x()] = 1;
                        const QRgb source = picture.pixel(at) | 0xFF000000;
                        if (!borders) {
                            ASSERT_EQ(pixel, source == 0xFFFFFFFF ? 0xFFFEFEFE : source);
                        }
                    }
                }
            }
            // Where four cells meet a pixel may lie in none of them; along the picture's edges
            // every pixel lies in a piece.
            const QRect inner = pictureRect.adjusted(g.margin, g.margin, -g.margin, -g.margin);
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_TRUE(inner.contains(x, y) ||
                                shown[static_cast<std::size_t>(y) * width + x])
                        << x << "," << y << " of " << width << ", borders " << borders;
        }
    }
}
