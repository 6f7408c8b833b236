// Preparing a whole game in process as the player does before the first move: the puzzle's
// JPEG decoded, every cell cut, the tools window's thumbnail made and the pieces laid out on the
// palette, for a 20-megapixel picture (and a 12-megapixel one) in 15 × 15 pieces. Wall and
// processor time are printed as multiples of one decode of the same picture, measured in this
// run. Every repetition prepares a new play window on memory handed back to the system.

#include "BenchPictures.h"
#include "FreshMemory.h"
#include "PreparedGame.h"
#include "RatioReporter.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QApplication>
#include <QImage>
#include <QString>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace
{

constexpr int GridSize = 15;

struct TFixture {
    TJpegPicture jpeg;
    TPuzzleDocument document;

    explicit TFixture(QSize size)
    {
        jpeg.Assign(MakePhotoLikePicture(size));
        jpeg.SetData(jpeg.Data());
        TRandomGenerator random(20261207);
        document =
            TPuzzleDocument(MakePuzzleGame({GridSize, GridSize, true, "Bench", "", ""}, random));
    }
};

TFixture &Fixture(const benchmark::State &state)
{
    return FixtureForSize<TFixture>(state);
}

void BM_JpegDecode(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    TimeDecodesOnFreshMemory(state, f.jpeg);
}

void BM_PrepareGame(benchmark::State &state)
{
    TFixture &f = Fixture(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<TPreparedGame>();
        state.ResumeTiming();
        game->Prepare(f.jpeg, f.document);
        state.PauseTiming();
        game.reset();
        ReturnFreedMemory();
        state.ResumeTiming();
    }
}

// The same, with the processor time of the calling thread alone: the least wall time the
// preparation can take however idle the machine.
void BM_PrepareGameCallingThread(benchmark::State &state)
{
    BM_PrepareGame(state);
}

void Setup(benchmark::internal::Benchmark *benchmark)
{
    PhotoSizeArguments(benchmark);
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_JpegDecode)->Apply(Setup);
BENCHMARK(BM_PrepareGame)->Apply(Setup);
BENCHMARK(BM_PrepareGameCallingThread)
    ->Apply(PhotoSizeArguments)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void PrintRatios(TRatioReporter &reporter)
{
    for (const QSize size : PhotoSizes) {
        const std::string title = QStringLiteral("A whole game of %1 x %2 in 15 x 15 pieces:")
                                      .arg(size.width())
                                      .arg(size.height())
                                      .toStdString();
        reporter.PrintTable(title, {{"decode", PhotoRunName("BM_JpegDecode", size)}},
                            {{"decode", PhotoRunName("BM_JpegDecode", size)},
                             {"game prepared", PhotoRunName("BM_PrepareGame", size)},
                             {"  its calling thread alone",
                              PhotoRunName("BM_PrepareGameCallingThread", size, 0, false)}});
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RunBenchmarksAndPrintRatios(PrintRatios);
    return 0;
}
