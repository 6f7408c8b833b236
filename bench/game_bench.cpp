// Preparing a whole game in process as the player does before the first move: the puzzle's
// JPEG decoded, every cell cut, the tools window's thumbnail made and the pieces laid out on the
// palette, for a 20-megapixel picture (and a 12-megapixel one) in 15 × 15 pieces. Wall and
// processor time are printed as multiples of one decode of the same picture, measured in this
// run. Every repetition prepares a new play window on memory handed back to the system.

#include "FreshMemory.h"
#include "RatioReporter.h"
#include "engine/container/KelPigger.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QApplication>
#include <QImage>
#include <QString>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <string>

namespace
{

constexpr int GridSize = 15;
const QSize Pictures[] = {{4000, 3000}, {5472, 3648}};

// Colour gradients with noise, a photograph's kind of JPEG data.
QImage MakePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    quint32 noise = 12345;
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>(noise >> 28);
            row[3 * x] = static_cast<uchar>(x * 230 / size.width() + grain);
            row[3 * x + 1] = static_cast<uchar>(y * 230 / size.height() + grain);
            row[3 * x + 2] = static_cast<uchar>((x + 2 * y) % 230 + grain);
        }
    }
    return picture;
}

// The play window's preparation without its modal loop: what RunGame does before showing it.
class TPreparedGame : public TD_puzzle_js
{
public:
    void Prepare(TJPEGImage &picture, TKelPigger &puzzle)
    {
        sourcePicture = &picture;
        document = &puzzle;
        BuildGame();
    }
};

struct TFixture {
    TJPEGImage jpeg;
    TKelPigger document;

    explicit TFixture(QSize size)
    {
        jpeg.Assign(MakePicture(size));
        jpeg.SetData(jpeg.Data());
        TRandomGenerator random(20261207);
        MakePuzzleDocument(document, {GridSize, GridSize, true, "Bench", "", ""}, random);
    }
};

TFixture &Fixture(const benchmark::State &state)
{
    static std::map<int, std::unique_ptr<TFixture>> fixtures;
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::unique_ptr<TFixture> &fixture = fixtures[size.width()];
    if (!fixture)
        fixture = std::make_unique<TFixture>(size);
    return *fixture;
}

void BM_JpegDecode(benchmark::State &state)
{
    const TFixture &f = Fixture(state);
    for (auto _ : state) {
        QImage decoded = f.jpeg.ToBitmap();
        benchmark::DoNotOptimize(decoded);
        state.PauseTiming();
        decoded = QImage();
        ReturnFreedMemory();
        state.ResumeTiming();
    }
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

void Sizes(benchmark::internal::Benchmark *benchmark)
{
    for (const QSize size : Pictures)
        benchmark->Args({size.width(), size.height()});
}

void Setup(benchmark::internal::Benchmark *benchmark)
{
    Sizes(benchmark);
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_JpegDecode)->Apply(Setup);
BENCHMARK(BM_PrepareGame)->Apply(Setup);
BENCHMARK(BM_PrepareGameCallingThread)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string RunName(const char *benchmark, QSize size, bool processTime = true)
{
    return QStringLiteral("%1/%2/%3%4/real_time")
        .arg(benchmark)
        .arg(size.width())
        .arg(size.height())
        .arg(processTime ? QStringLiteral("/process_time") : QString())
        .toStdString();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const QSize size : Pictures) {
        const std::string title = QStringLiteral("A whole game of %1 x %2 in 15 x 15 pieces:")
                                      .arg(size.width())
                                      .arg(size.height())
                                      .toStdString();
        reporter.PrintTable(
            title, {{"decode", RunName("BM_JpegDecode", size)}},
            {{"decode", RunName("BM_JpegDecode", size)},
             {"game prepared", RunName("BM_PrepareGame", size)},
             {"  its calling thread alone", RunName("BM_PrepareGameCallingThread", size, false)}});
    }
    benchmark::Shutdown();
    return 0;
}
