#include "engine/jigsaw/PieceOutlinePaths.h"

#include <QHash>
#include <array>

namespace
{

QImage InsideMask(const TPieceOutline &outline, const TPieceGeometry &geometry, QSize pictureSize,
                  int col, int row, const TPieceEdges &edges)
{
    const QSize pieceSize(geometry.pieceWidth, geometry.pieceHeight);
    // Black is never the colour ShapePiece leaves outside, so the display image's key colour
    // marks exactly the pixels outside the outline.
    QImage bitmap(pieceSize, QImage::Format_RGB888);
    bitmap.fill(Qt::black);
    const int x = col * geometry.cellWidth - geometry.margin;
    const int y = row * geometry.cellHeight - geometry.margin;
    ShapePiece(bitmap, edges, outline, false, PictureAreaOfPiece(pictureSize, x, y, pieceSize));
    return PieceDisplayImage(bitmap).convertToFormat(QImage::Format_Alpha8);
}

// The four directions a boundary edge can run, clockwise around an inside pixel on screen.
enum TStep { Right = 0, Down = 1, Left = 2, Up = 3 };
constexpr std::array<QPoint, 4> StepOffset = {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0),
                                              QPoint(0, -1)};

using TLeavingEdges = std::vector<std::array<signed char, 2>>;

// Follows boundary edges from start, using each up, until it is back at start; returns the
// corners where the direction changes.
QPolygon WalkLoop(TLeavingEdges &leaving, int cornersAcross, QPoint start)
{
    QPolygon loop;
    int firstStep = -1;
    int previous = -1;
    QPoint at = start;
    do {
        auto &exits = leaving[static_cast<std::size_t>(at.y()) * cornersAcross + at.x()];
        // Where two inside pixels touch only at this corner, turning right keeps their loops
        // apart; either way the fill is the same.
        const int slot = exits[1] >= 0 && exits[1] == (previous + 1) % 4 ? 1 : 0;
        const int step = exits[slot];
        if (step < 0)
            break; // not reached for a mask's boundary, whose edges always close up
        if (slot == 0)
            exits[0] = exits[1];
        exits[1] = -1;
        if (step != previous)
            loop.append(at);
        if (firstStep < 0)
            firstStep = step;
        previous = step;
        at += StepOffset[static_cast<std::size_t>(step)];
    } while (at != start);
    // The start lies inside a straight run when the loop ends going the way it began.
    if (previous == firstStep && loop.size() > 1)
        loop.removeFirst();
    return loop;
}

} // namespace

QImage PieceInsideMask(const TPieceGeometry &geometry, QSize pictureSize, int col, int row,
                       const TPieceEdges &edges)
{
    const TPieceOutline outline(geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
    return InsideMask(outline, geometry, pictureSize, col, row, edges);
}

std::vector<QPolygon> MaskOutlineLoops(const QImage &mask)
{
    const bool eightBit =
        mask.format() == QImage::Format_Alpha8 || mask.format() == QImage::Format_Grayscale8;
    const QImage bytes = eightBit ? mask : mask.convertToFormat(QImage::Format_Alpha8);
    const int width = bytes.width();
    const int height = bytes.height();
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height && bytes.constScanLine(y)[x] != 0;
    };
    // The boundary edges leaving each pixel corner; a corner where two inside pixels touch only
    // diagonally has two.
    const int cornersAcross = width + 1;
    TLeavingEdges leaving(static_cast<std::size_t>(cornersAcross) * (height + 1), {-1, -1});
    auto corner = [&](QPoint p) { return static_cast<std::size_t>(p.y()) * cornersAcross + p.x(); };
    auto addEdge = [&](QPoint from, TStep step) {
        auto &exits = leaving[corner(from)];
        exits[exits[0] < 0 ? 0 : 1] = static_cast<signed char>(step);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!inside(x, y))
                continue;
            if (!inside(x, y - 1))
                addEdge(QPoint(x, y), Right);
            if (!inside(x + 1, y))
                addEdge(QPoint(x + 1, y), Down);
            if (!inside(x, y + 1))
                addEdge(QPoint(x + 1, y + 1), Left);
            if (!inside(x - 1, y))
                addEdge(QPoint(x, y + 1), Up);
        }
    }
    std::vector<QPolygon> loops;
    for (int cy = 0; cy <= height; ++cy) {
        for (int cx = 0; cx <= width; ++cx) {
            const QPoint start(cx, cy);
            while (leaving[corner(start)][0] >= 0)
                loops.push_back(WalkLoop(leaving, cornersAcross, start));
        }
    }
    return loops;
}

QByteArray SvgPathData(const std::vector<QPolygon> &loops)
{
    QByteArray data;
    for (const QPolygon &loop : loops) {
        if (loop.isEmpty())
            continue;
        data += 'M' + QByteArray::number(loop[0].x()) + ' ' + QByteArray::number(loop[0].y());
        // The last corner leads back to the first; "z" draws that edge.
        for (qsizetype i = 1; i < loop.size(); ++i) {
            const QPoint step = loop[i] - loop[i - 1];
            data += step.y() == 0 ? 'h' + QByteArray::number(step.x())
                                  : 'v' + QByteArray::number(step.y());
        }
        data += 'z';
    }
    return data;
}

TPuzzleOutlines PuzzleOutlines(const TPieceGeometry &geometry, QSize pictureSize, int cols,
                               const std::vector<TPieceEdges> &edgesInRowMajorOrder)
{
    const TPieceOutline outline(geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
    TPuzzleOutlines outlines;
    QHash<QByteArray, int> indexOfPath;
    for (std::size_t i = 0; i < edgesInRowMajorOrder.size(); ++i) {
        const int col = static_cast<int>(i) % std::max(cols, 1);
        const int row = static_cast<int>(i) / std::max(cols, 1);
        const QByteArray path = SvgPathData(MaskOutlineLoops(
            InsideMask(outline, geometry, pictureSize, col, row, edgesInRowMajorOrder[i])));
        auto found = indexOfPath.constFind(path);
        if (found == indexOfPath.cend()) {
            found = indexOfPath.insert(path, static_cast<int>(outlines.paths.size()));
            outlines.paths.push_back(path);
        }
        outlines.pieceOutline.push_back(*found);
    }
    return outlines;
}
