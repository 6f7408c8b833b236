// Puzzles of 225 and 2,500 pieces on a 20-megapixel photograph, as the player has them:
// - a program started and its game prepared (decode, cut, thumbnail, palette) against a plain
//   Qt program showing its window plus
//   one decode of the picture, measured in this run, and the process's peak memory while the
//   game is prepared;
// - a drag step, a palette sort and a repaint of the full view on that game, against a fill of
//   a window of the same size;
// - the saved game written into the executable (its document replaced, one synced write of the
//   image) against a synced copy of the same file.
// Each figure for 15 × 15, 50 × 50 and 100 × 100 pieces, so that its growth can be read off,
// with the memory the pieces keep against what their whole images would take.

#include "BenchPictures.h"
#include "FreshMemory.h"
#include "PreparedGame.h"
#include "RatioReporter.h"
#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleExecutable.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"
#include "platform/Platform.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QApplication>
#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{

constexpr QSize Photo(5472, 3648);
constexpr QSize ViewSize(1600, 900);
constexpr int Grids[] = {15, 50, 100};

// Peak resident memory of the process in MiB, and its reset, from Linux's /proc.
double PeakMiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void ResetPeak()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

class TFillWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter(this).fillRect(event->rect(), QColor(128, 128, 128));
    }
};

TJpegPicture &PhotoJpeg()
{
    static TJpegPicture jpeg = [] {
        TJpegPicture made;
        made.Assign(MakePhotoLikePicture(Photo));
        made.SetData(made.Data());
        return made;
    }();
    return jpeg;
}

std::unique_ptr<TPuzzleDocument> Document(int grid)
{
    TRandomGenerator random(20261207);
    return std::make_unique<TPuzzleDocument>(
        MakePuzzleGame({grid, grid, true, "Bench", "", ""}, random));
}

// Shows the window; the figures mean little when it cannot be.
void ShowExposed(QWidget &window)
{
    window.resize(ViewSize);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "A window was not shown; the figures mean little.\n");
}

// A prepared game shown in a window of the view size, half of its pieces on the desktop.
struct TShownGame {
    std::unique_ptr<TPuzzleDocument> document;
    TPreparedGame game;

    explicit TShownGame(int grid) : document(Document(grid))
    {
        game.Prepare(PhotoJpeg(), *document);
        ShowExposed(game);
        TPuzzleDesktop *desktop = game.Desktop();
        const auto &images = desktop->Images();
        for (std::size_t i = 0; i < images.size(); i += 2)
            desktop->PlacePiece(images[i].get(), 300 + static_cast<int>(i * 97 % 1200),
                                10 + static_cast<int>(i * 61 % 700));
        desktop->RefreshPalette();
        QApplication::processEvents();
    }
};

// Made on first use, destroyed in main before the application object.
std::map<int, std::unique_ptr<TShownGame>> shownGames;

TShownGame &Shown(const benchmark::State &state)
{
    auto &game = shownGames[static_cast<int>(state.range(0))];
    if (!game)
        game = std::make_unique<TShownGame>(static_cast<int>(state.range(0)));
    return *game;
}

const char *const PlainWindowArgument = "--show-plain-window";

// What a plain Qt program takes to show its window: this program started again to do only
// that.
void BM_PlainWindowStart(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {PlainWindowArgument});
        process.waitForFinished();
    }
}

void BM_WindowStart(benchmark::State &state)
{
    for (auto _ : state) {
        QWidget window;
        ShowExposed(window);
    }
}

void BM_Decode(benchmark::State &state)
{
    TimeDecodesOnFreshMemory(state, PhotoJpeg());
}

void BM_Prepare(benchmark::State &state)
{
    const auto document = Document(static_cast<int>(state.range(0)));
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<TPreparedGame>();
        ReturnFreedMemory();
        ResetPeak();
        state.ResumeTiming();
        game->Prepare(PhotoJpeg(), *document);
        state.PauseTiming();
        peak = std::max(peak, PeakMiB());
        double kept = 0;
        double whole = 0;
        for (const auto &image : game->Desktop()->Images()) {
            kept += static_cast<double>(image->StoredPicture().sizeInBytes());
            whole += 4.0 * image->Bounds().width() * image->Bounds().height();
        }
        state.counters["pieces_MiB"] = kept / (1 << 20);
        state.counters["whole_pieces_MiB"] = whole / (1 << 20);
        game.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
}

void BM_FillView(benchmark::State &state)
{
    TFillWindow fill;
    ShowExposed(fill);
    for (auto _ : state)
        fill.repaint();
}

void BM_FullRepaint(benchmark::State &state)
{
    TPuzzleDesktop *desktop = Shown(state).game.Desktop();
    for (auto _ : state)
        desktop->repaint();
}

void BM_DragStep(benchmark::State &state)
{
    TPuzzleDesktop *desktop = Shown(state).game.Desktop();
    TDesktopCanvas *canvas = desktop->Canvas();
    TPieceImage *top = nullptr;
    for (TCanvasItem *item : canvas->Items())
        if (auto *piece = dynamic_cast<TPieceImage *>(item); piece && !piece->m_onPalette)
            top = piece;
    QPoint mouse = top->Bounds().center();
    const auto send = [canvas](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, canvas->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    };
    send(QEvent::MouseButtonPress, mouse, Qt::LeftButton);
    int step = 8;
    for (auto _ : state) {
        mouse += QPoint(step, step / 2);
        step = -step;
        send(QEvent::MouseMove, mouse, Qt::LeftButton);
        desktop->repaint();
    }
    send(QEvent::MouseButtonRelease, mouse, Qt::NoButton);
}

// A new sort order laid out, as the tools window's sort asks at the next tick.
void BM_PaletteSort(benchmark::State &state)
{
    TPuzzleDesktop *desktop = Shown(state).game.Desktop();
    int order = 0;
    for (auto _ : state) {
        order = (order + 1) % 9;
        desktop->SetSortOrder(order);
        desktop->LayoutPalette();
        desktop->repaint();
    }
}

// The program image with a 20-megapixel puzzle of that grid, every piece placed.
struct TSaveFixture {
    QTemporaryDir folder;
    QByteArray image;
    std::unique_ptr<TPuzzleDocument> document;

    explicit TSaveFixture(int grid) : document(Document(grid))
    {
        image = WithPuzzleSections(Platform::ReadRunningExecutable(MemoryBudget), PhotoJpeg(),
                                   nullptr, *document);
        std::vector<TPiece> &pieces = document->Game().pieces;
        for (std::size_t i = 0; i < pieces.size(); ++i)
            pieces[i].position = QPoint(300 + i % 97 * 40, 10 + i / 97 * 30);
        Platform::WriteExecutableFile(image, Path("source.exe"));
    }
    QString Path(const char *name) const { return folder.filePath(name); }
};

void BM_SaveGame(benchmark::State &state)
{
    TSaveFixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RemoveSection(PuzzleSchema::SectionDocument, f.image);
        AppendSection(PuzzleSchema::SectionDocument, f.document->Text(), f.image);
        Platform::WriteExecutableFile(f.image, f.Path("saved.exe"));
    }
    state.counters["bytes"] = static_cast<double>(f.image.size());
}

void BM_SyncedCopy(benchmark::State &state)
{
    TSaveFixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QFile::remove(f.Path("copy.exe"));
        QFile::copy(f.Path("source.exe"), f.Path("copy.exe"));
        const int descriptor = ::open(f.Path("copy.exe").toLocal8Bit().constData(), O_RDONLY);
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

void GridArguments(benchmark::internal::Benchmark *benchmark)
{
    for (const int grid : Grids)
        benchmark->Arg(grid);
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_PlainWindowStart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowStart)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Prepare)->Apply(GridArguments)->Iterations(3);
BENCHMARK(BM_FillView)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullRepaint)->Apply(GridArguments);
BENCHMARK(BM_DragStep)->Apply(GridArguments);
BENCHMARK(BM_PaletteSort)->Apply(GridArguments);
BENCHMARK(BM_SaveGame)->Apply(GridArguments);
BENCHMARK(BM_SyncedCopy)->Apply(GridArguments);

void PrintRatios(TRatioReporter &reporter)
{
    const double plainStart = reporter.RealTime("BM_PlainWindowStart/real_time");
    const double start = plainStart + reporter.RealTime("BM_Decode/iterations:3/real_time");
    std::printf("\nA 20-megapixel game started and prepared against a plain Qt window's start "
                "plus one decode (%.0f ms):\n",
                start);
    for (const int grid : Grids) {
        const auto name = [grid](const char *benchmark, const char *options = "") {
            return QStringLiteral("%1/%2%3/real_time")
                .arg(benchmark)
                .arg(grid)
                .arg(options)
                .toStdString();
        };
        const std::string pieces = QStringLiteral("%1 pieces").arg(grid * grid).toStdString();
        std::printf("%d pieces: playable %.2f x\n", grid * grid,
                    (plainStart + reporter.RealTime(name("BM_Prepare", "/iterations:3"))) / start);
        reporter.PrintTable(pieces + " on the desktop:", {{"fill", "BM_FillView/real_time"}},
                            {{"full repaint", name("BM_FullRepaint")},
                             {"drag step", name("BM_DragStep")},
                             {"palette sort", name("BM_PaletteSort")}});
        reporter.PrintTable(pieces + " saved:", {{"synced copy", name("BM_SyncedCopy")}},
                            {{"saved game written", name("BM_SaveGame")}});
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == PlainWindowArgument) {
        QWidget window;
        ShowExposed(window);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    RunBenchmarksAndPrintRatios(PrintRatios);
    shownGames.clear();
    return 0;
}
