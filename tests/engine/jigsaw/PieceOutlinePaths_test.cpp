#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceOutlinePaths.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace
{

// SVG path data of the kind SvgPathData writes, read back as a browser reads it.
QPainterPath ParsePath(const QByteArray &data)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    QPointF at;
    const QRegularExpression command("([Mhvz])(-?\\d*)(?: (-?\\d+))?");
    for (const auto &match : command.globalMatch(QString::fromLatin1(data))) {
        const QChar kind = match.captured(1)[0];
        if (kind == 'M')
            path.moveTo(at = QPointF(match.captured(2).toInt(), match.captured(3).toInt()));
        else if (kind == 'h')
            path.lineTo(at += QPointF(match.captured(2).toInt(), 0));
        else if (kind == 'v')
            path.lineTo(at += QPointF(0, match.captured(2).toInt()));
        else
            path.closeSubpath();
    }
    return path;
}

// The path filled as a browser's canvas fills it: antialiased, non-zero winding.
QImage Rasterise(const QByteArray &data, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ParsePath(data), Qt::black);
    return image;
}

// A picture whose size is no multiple of the cells, so that the border pieces end inside their
// margin band where the picture ends.
constexpr int PictureWidth = 283;
constexpr int PictureHeight = 211;

} // namespace

// The outlines for the page cover exactly the pixels of the desktop's own pieces; with their
// corners on whole pixels, an antialiased fill has no partly covered pixel at all.
TEST(PieceOutlinePaths, FilledOutlinesAreTheDesktopsPiecesPixelForPixel)
{
    for (const bool turned : {false, true}) {
        TRandomGenerator random(2024);
        const TPuzzleGame document = MakePuzzleGame({4, 5, false, "P", "", "", turned}, random);
        QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB888);
        picture.fill(Qt::white);
        const std::optional<TPuzzleCut> cut = CutPuzzle(picture, document, 1);
        ASSERT_TRUE(cut);
        std::vector<TPieceEdges> edges;
        for (const TPiece &piece : document.pieces)
            edges.push_back(piece.edges);
        const TPuzzleOutlines outlines =
            PuzzleOutlines(cut->geometry, picture.size(), cut->grid.cols, edges);
        ASSERT_EQ(outlines.pieceOutline.size(), cut->pieces.size());
        for (const TCutPiece &piece : cut->pieces) {
            const int index = piece.row * cut->grid.cols + piece.col;
            const QImage filled =
                Rasterise(outlines.paths[static_cast<std::size_t>(outlines.pieceOutline[index])],
                          piece.image.size());
            for (int y = 0; y < filled.height(); ++y)
                for (int x = 0; x < filled.width(); ++x) {
                    const int alpha = qAlpha(filled.pixel(x, y));
                    ASSERT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
                    ASSERT_EQ(alpha != 0, qAlpha(piece.image.pixel(x, y)) != 0)
                        << "piece " << index << " at " << x << "," << y;
                }
        }
    }
}

// Pixels that touch only at a corner, and a hole, still trace to loops that fill exactly them.
TEST(PieceOutlinePaths, LoopsFillAnyMaskExactly)
{
    QImage mask(7, 6, QImage::Format_Alpha8);
    mask.fill(0);
    const char *rows[] = {"##.....", "###..#.", ".#####.", ".#...#.", ".#####.", "#......"};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            mask.scanLine(y)[x] = rows[y][x] == '#' ? 255 : 0;
    const QImage filled = Rasterise(SvgPathData(MaskOutlineLoops(mask)), mask.size());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(qAlpha(filled.pixel(x, y)), mask.constScanLine(y)[x]) << x << "," << y;
}

TEST(PieceOutlinePaths, RunsInOneDirectionBecomeOneStep)
{
    QImage mask(3, 2, QImage::Format_Alpha8);
    mask.fill(255);
    EXPECT_EQ(SvgPathData(MaskOutlineLoops(mask)), "M0 0h3v2h-3z");
}
