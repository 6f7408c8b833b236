// Cutting a 12- and a 20-megapixel picture into 15 × 15 pieces as the player does, stage by
// stage. Every piece image stays alive until the cut is over, as in the player, and each
// repetition starts on memory handed back to the system, so pieces land in fresh pages as they
// do in a starting player. Wall and processor time (of the whole process, worker threads
// included) are printed as multiples of one JPEG decode of the same picture and of a copy of
// the pieces' bytes into fresh memory, all measured in this run.

#include "BenchPictures.h"
#include "FreshMemory.h"
#include "RatioReporter.h"
#include "engine/container/KeyedNode.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"

#include <QImage>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int GridSize = 15;

// The photograph with a white patch (a twentieth of the picture) for the 254 rule.
QImage MakePicture(QSize size)
{
    QImage picture = MakePhotoLikePicture(size);
    const QRect patch(100, 100, size.width() / 5, size.height() / 4);
    for (int y = patch.top(); y <= patch.bottom(); ++y)
        std::memset(picture.scanLine(y) + 3 * patch.left(), 255, 3 * patch.width());
    return picture;
}

struct TFixture {
    TJpegPicture jpeg;
    QImage sourceBitmap;
    TPuzzleGame game;
    TPieceGeometry geometry;
    std::unique_ptr<TPieceOutline> outline;
    std::vector<TPieceEdges> edges;
    // Bytes of the display images of all pieces, what the player keeps.
    std::size_t pieceBytes = 0;

    explicit TFixture(QSize size)
    {
        jpeg.Assign(MakePicture(size));
        jpeg.SetData(jpeg.Data());
        sourceBitmap = jpeg.ToBitmap();
        TRandomGenerator random(20240601);
        game = MakePuzzleGame({GridSize, GridSize, true, "Bench", "", ""}, random);
        geometry = *ComputePieceGeometry(size.width(), size.height(), GridSize, GridSize);
        outline = std::make_unique<TPieceOutline>(geometry.pieceWidth, geometry.pieceHeight,
                                                  geometry.margin);
        for (const TPiece &piece : game.pieces)
            edges.push_back(piece.edges);
        pieceBytes = static_cast<std::size_t>(GridSize * GridSize) * geometry.pieceWidth *
                     geometry.pieceHeight * 4;
    }

    TCutPlan Plan(int threads) const
    {
        return {sourceBitmap.size(), GridSize, GridSize, geometry, true, threads};
    }
};

const TFixture &Fixture(const benchmark::State &state)
{
    return FixtureForSize<TFixture>(state);
}

// Runs one cut per iteration; what it keeps is released, with the clock stopped, before the
// next.
template <typename TKept, typename TWork> void RunKeeping(benchmark::State &state, TWork work)
{
    for (auto _ : state) {
        TKept kept = work();
        benchmark::DoNotOptimize(kept);
        state.PauseTiming();
        kept = TKept();
        ReturnFreedMemory();
        state.ResumeTiming();
    }
}

void BM_JpegDecode(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    RunKeeping<QImage>(state, [&] { return f.jpeg.ToBitmap(); });
}

// The floor: the display images' bytes copied piece by piece into new memory.
void BM_CopyIntoFreshMemory(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    const std::size_t bytesPerPiece = f.pieceBytes / (GridSize * GridSize);
    const std::vector<char> from(bytesPerPiece, 1);
    RunKeeping<std::vector<std::unique_ptr<char[]>>>(state, [&] {
        std::vector<std::unique_ptr<char[]>> pieces;
        for (int i = 0; i < GridSize * GridSize; ++i) {
            pieces.push_back(std::make_unique_for_overwrite<char[]>(bytesPerPiece));
            std::memcpy(pieces.back().get(), from.data(), bytesPerPiece);
        }
        return pieces;
    });
}

QImage ShapeInSteps(const TFixture &f, QImage &work, int index)
{
    RenderCell(work, f.sourceBitmap, (index % GridSize) * f.geometry.cellWidth - f.geometry.margin,
               (index / GridSize) * f.geometry.cellHeight - f.geometry.margin);
    QImage piece = work.copy();
    ShapePiece(piece, f.edges[static_cast<std::size_t>(index)], *f.outline, true);
    return PieceDisplayImage(piece);
}

// How pieces were made before: rendered, copied into a new 24-bit piece, shaped, converted and
// keyed, on one thread.
void BM_ShapeAndDisplayInSteps(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    QImage work(f.geometry.pieceWidth, f.geometry.pieceHeight, QImage::Format_RGB888);
    RunKeeping<std::vector<QImage>>(state, [&] {
        std::vector<QImage> pieces;
        for (int i = 0; i < GridSize * GridSize; ++i)
            pieces.push_back(ShapeInSteps(f, work, i));
        return pieces;
    });
}

// Rendering and shaping in one reused bitmap, then the display image, as each lane of the cut
// does, on one thread, from the decoded picture.
void BM_ShapeAndDisplay(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    QImage work;
    RunKeeping<std::vector<QImage>>(state, [&] {
        std::vector<QImage> pieces;
        for (int i = 0; i < GridSize * GridSize; ++i)
            pieces.push_back(ShapedPieceImage(
                f.sourceBitmap, (i % GridSize) * f.geometry.cellWidth - f.geometry.margin,
                (i / GridSize) * f.geometry.cellHeight - f.geometry.margin,
                f.edges[static_cast<std::size_t>(i)], *f.outline, true, work));
        return pieces;
    });
}

// The player's cut: the JPEG decoded band by band while the pieces are shaped.
void BM_DecodeAndCut(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    const int threads = static_cast<int>(state.range(2));
    RunKeeping<std::vector<QImage>>(state, [&] {
        std::vector<QImage> pieces;
        TJpegRowReader reader(f.jpeg);
        CutCells(
            f.Plan(threads), *f.outline, f.game.pieces,
            [&](unsigned char *first, qsizetype bytesPerLine, int count) {
                reader.ReadRows(first, bytesPerLine, count);
            },
            {}, [&](int, int, QImage piece) { pieces.push_back(std::move(piece)); });
        return pieces;
    });
}

// The same, with the processor time of the calling thread alone: the decode and what waits for
// the workers, the least wall time the cut can take however idle the machine.
void BM_DecodeAndCutCallingThread(benchmark::State &state)
{
    BM_DecodeAndCut(state);
}

void PictureSizesAndThreads(benchmark::internal::Benchmark *benchmark)
{
    for (const QSize size : PhotoSizes) {
        benchmark->Args({size.width(), size.height(), 1});
        if (CutThreads() > 1)
            benchmark->Args({size.width(), size.height(), CutThreads()});
    }
}

void Setup(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_JpegDecode)->Apply(PhotoSizeArguments)->Apply(Setup);
BENCHMARK(BM_CopyIntoFreshMemory)->Apply(PhotoSizeArguments)->Apply(Setup);
BENCHMARK(BM_ShapeAndDisplayInSteps)->Apply(PhotoSizeArguments)->Apply(Setup);
BENCHMARK(BM_ShapeAndDisplay)->Apply(PhotoSizeArguments)->Apply(Setup);
BENCHMARK(BM_DecodeAndCut)->Apply(PictureSizesAndThreads)->Apply(Setup);
BENCHMARK(BM_DecodeAndCutCallingThread)
    ->Apply([](benchmark::internal::Benchmark *benchmark) {
        for (const QSize size : PhotoSizes)
            benchmark->Args({size.width(), size.height(), CutThreads()});
    })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void PrintRatios(const TRatioReporter &reporter)
{
    for (const QSize size : PhotoSizes) {
        const std::string title =
            QStringLiteral("Cutting %1 x %2 into 15 x 15 pieces (%3 threads):")
                .arg(size.width())
                .arg(size.height())
                .arg(CutThreads())
                .toStdString();
        reporter.PrintTable(
            title,
            {{"decode", PhotoRunName("BM_JpegDecode", size)},
             {"copy", PhotoRunName("BM_CopyIntoFreshMemory", size)}},
            {{"decode", PhotoRunName("BM_JpegDecode", size)},
             {"shape+display in steps, 1 thread", PhotoRunName("BM_ShapeAndDisplayInSteps", size)},
             {"shape+display, 1 thread", PhotoRunName("BM_ShapeAndDisplay", size)},
             {"decode and cut, 1 thread", PhotoRunName("BM_DecodeAndCut", size, 1)},
             {"decode and cut, all threads", PhotoRunName("BM_DecodeAndCut", size, CutThreads())},
             {"  its calling thread alone",
              PhotoRunName("BM_DecodeAndCutCallingThread", size, CutThreads(), false)}});
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RunBenchmarksAndPrintRatios(PrintRatios);
    return 0;
}
