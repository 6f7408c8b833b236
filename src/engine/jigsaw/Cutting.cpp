#include "engine/jigsaw/Cutting.h"

#include "engine/jigsaw/PieceShape.h"

#include <QFuture>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

namespace
{

// Beyond this, more threads only share the same memory bandwidth.
constexpr int MaxCutThreads = 8;
// Rows read at a time, so that seeRow finds them still in the cache.
constexpr int ReadChunkRows = 16;

// The picture rows [top, bottom) that the pieces of one row of cells show.
struct TBand {
    int top = 0;
    int bottom = 0;
};

TBand BandOfRow(const TCutPlan &plan, int row)
{
    const TPieceGeometry &g = plan.geometry;
    const int height = plan.pictureSize.height();
    const int top = row * g.cellHeight - g.margin;
    return {std::clamp(top, 0, height), std::clamp(top + g.pieceHeight, 0, height)};
}

// The cells of one band and their pieces, shaped by lanes that each take every n-th cell.
struct TBandCells {
    std::vector<bool> present;
    std::vector<TPieceEdges> edges;
    std::vector<QImage> shaped;
    std::vector<std::exception_ptr> failures;
};

// Reads the picture into band buffers, keeping track of the rows read so far.
class TBandReader
{
public:
    TBandReader(const TCutPlan &plan, const TRowSource &readRows, const TRowObserver &seeRow)
        : m_height(plan.pictureSize.height()), m_readRows(readRows), m_seeRow(seeRow)
    {
    }

    int RowsRead() const { return m_rowsRead; }

    // Reads the rows up to (not including) row to into buffer, whose first row is picture row
    // bufferTop.
    void ReadUpTo(QImage &buffer, int bufferTop, int to)
    {
        const qsizetype bytesPerLine = buffer.bytesPerLine();
        while (m_rowsRead < to) {
            const int count = std::min(ReadChunkRows, to - m_rowsRead);
            unsigned char *first = buffer.bits() + (m_rowsRead - bufferTop) * bytesPerLine;
            m_readRows(first, bytesPerLine, count);
            if (m_seeRow) {
                for (int i = 0; i < count; ++i)
                    m_seeRow(first + i * bytesPerLine);
            }
            m_rowsRead += count;
        }
    }

    // The rest of the picture, through buffer, for seeRow and so that the source ends cleanly.
    void ReadRest(QImage &buffer)
    {
        while (m_rowsRead < m_height) {
            const int top = m_rowsRead;
            ReadUpTo(buffer, top, std::min(m_height, top + buffer.height()));
        }
    }

private:
    int m_height;
    const TRowSource &m_readRows;
    const TRowObserver &m_seeRow;
    int m_rowsRead = 0;
};

QImage NewBandBuffer(const TCutPlan &plan)
{
    const int rows = std::max(1, std::min(plan.pictureSize.height(), plan.geometry.pieceHeight));
    QImage buffer(plan.pictureSize.width(), rows, QImage::Format_RGB888);
    if (buffer.isNull())
        throw std::bad_alloc();
    return buffer;
}

// Waits for every started lane, also when the cut ends early with an exception: the lanes use
// the band's view, the band buffers and the cells, which must outlive them.
class TLanes
{
public:
    ~TLanes() { Wait(); }
    void Add(QFuture<void> lane) { m_lanes.push_back(std::move(lane)); }
    void Wait()
    {
        for (QFuture<void> &lane : m_lanes)
            lane.waitForFinished();
        m_lanes.clear();
    }

private:
    std::vector<QFuture<void>> m_lanes;
};

} // namespace

int CutThreads()
{
    return std::clamp(QThread::idealThreadCount(), 1, MaxCutThreads);
}

void CutCells(const TCutPlan &plan, const TPieceOutline &outline, std::span<const TPiece> pieces,
              const TRowSource &readRows, const TRowObserver &seeRow, const TPieceTaker &take)
{
    const TPieceGeometry &g = plan.geometry;
    const int laneCount = std::max(1, plan.threads);
    QImage current = NewBandBuffer(plan);
    QImage next = NewBandBuffer(plan);
    TBandReader reader(plan, readRows, seeRow);
    TBandCells cells;
    cells.present.resize(static_cast<std::size_t>(plan.cols));
    cells.edges.resize(cells.present.size());
    cells.shaped.resize(cells.present.size());
    cells.failures.resize(static_cast<std::size_t>(laneCount));
    // Each lane renders and shapes in its own 24-bit bitmap, reused from piece to piece.
    std::vector<QImage> workBitmaps(static_cast<std::size_t>(laneCount));
    QThreadPool pool;
    pool.setMaxThreadCount(laneCount);

    TBand band = BandOfRow(plan, 0);
    reader.ReadUpTo(current, band.top, band.bottom);
    for (int row = 0; row < plan.rows; ++row) {
        for (int col = 0; col < plan.cols; ++col) {
            const auto index = static_cast<std::size_t>(row) * plan.cols + col;
            const bool present = index < pieces.size();
            cells.present[static_cast<std::size_t>(col)] = present;
            if (present)
                cells.edges[static_cast<std::size_t>(col)] = pieces[index].edges;
        }
        // A view of the band's rows; rows of the piece beyond them lie outside the picture.
        const QImage source(current.constBits(), current.width(), band.bottom - band.top,
                            current.bytesPerLine(), QImage::Format_RGB888);
        const int pieceTop = row * g.cellHeight - g.margin - band.top;
        const auto shapeLane = [&, pieceTop](int lane) {
            try {
                for (int col = lane; col < plan.cols; col += laneCount) {
                    const auto at = static_cast<std::size_t>(col);
                    if (cells.present[at])
                        cells.shaped[at] = ShapedPieceImage(
                            source, col * g.cellWidth - g.margin, pieceTop, cells.edges[at],
                            outline, plan.drawBorders, workBitmaps[static_cast<std::size_t>(lane)]);
                }
            } catch (...) {
                cells.failures[static_cast<std::size_t>(lane)] = std::current_exception();
            }
        };
        // After the view and the lane's work, so that leaving early waits for the lanes first.
        TLanes lanes;
        if (laneCount == 1)
            shapeLane(0);
        else
            for (int lane = 0; lane < laneCount; ++lane)
                lanes.Add(QtConcurrent::run(&pool, shapeLane, lane));

        const TBand nextBand = row + 1 < plan.rows ? BandOfRow(plan, row + 1) : band;
        if (row + 1 < plan.rows) {
            // The bands overlap by the margin bands; those rows are copied, not read again.
            const int kept = std::max(0, reader.RowsRead() - nextBand.top);
            if (kept > 0)
                std::memcpy(next.bits(), current.constScanLine(nextBand.top - band.top),
                            static_cast<std::size_t>(kept) * current.bytesPerLine());
            reader.ReadUpTo(next, nextBand.top, nextBand.bottom);
        }
        lanes.Wait();
        for (const std::exception_ptr &failure : cells.failures)
            if (failure)
                std::rethrow_exception(failure);
        for (int col = 0; col < plan.cols; ++col) {
            const auto at = static_cast<std::size_t>(col);
            if (cells.present[at])
                take(row, col, std::move(cells.shaped[at]));
            cells.shaped[at] = QImage();
        }
        std::swap(current, next);
        band = nextBand;
    }
    reader.ReadRest(current);
}

std::optional<TPuzzleCut> CutPuzzle(const QImage &picture, const TPuzzleGame &game, int threads)
{
    const QImage sourceBitmap = picture.convertToFormat(QImage::Format_RGB888);
    TPuzzleCut cut;
    cut.grid = GridOf(game);
    const std::optional<TPieceGeometry> geometry = ComputePieceGeometry(
        sourceBitmap.width(), sourceBitmap.height(), cut.grid.cols, cut.grid.rows);
    if (!geometry)
        return std::nullopt;
    cut.geometry = *geometry;

    const TCutPlan plan{sourceBitmap.size(), cut.grid.cols,        cut.grid.rows,
                        *geometry,           cut.grid.drawBorders, threads};
    const TPieceOutline outline(geometry->pieceWidth, geometry->pieceHeight, geometry->margin);
    int nextRow = 0;
    const auto rowBytes = static_cast<std::size_t>(sourceBitmap.width()) * 3;
    CutCells(
        plan, outline, game.pieces,
        [&](unsigned char *firstRow, qsizetype bytesPerLine, int count) {
            for (int i = 0; i < count; ++i, ++nextRow)
                std::memcpy(firstRow + i * bytesPerLine, sourceBitmap.constScanLine(nextRow),
                            rowBytes);
        },
        {},
        [&](int row, int col, QImage piece) {
            cut.pieces.push_back({row, col, std::move(piece)});
        });
    return cut;
}
