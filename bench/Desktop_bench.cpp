// Painting the puzzle desktop: a full repaint of a 1920 × 1080 view holding the 225 pieces of
// a 15 × 15 puzzle (half of them overlapping on the desktop, the rest on the palette), and one
// drag step, each as a ratio to a plain fill of the same view measured in this run; for the
// pieces of a 1500 × 1125 picture and for those of a 20-megapixel photograph (445 × 323).
// With the photograph's pieces also the play aids: a drag step of 100 joined pieces against one
// of a single piece of the same total area, a full repaint zoomed out to fit all 225 pieces
// against the fill, and undoing a move of the 100 pieces against the move itself.

#include "BenchPictures.h"
#include "RatioReporter.h"
#include "engine/container/GameKeeper.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "windows/desktop/PuzzleDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{

const QSize ViewSize(1920, 1080);
const QSize PictureSizes[] = {{1500, 1125}, {5472, 3648}};
constexpr int GridSize = 15;

// The floor: a window of the same size whose painting is one fill.
class TFillWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(128, 128, 128));
    }
};

// Processes the window's pending repaint now, as the event loop would.
void SyncPaint(QWidget *window)
{
    QEvent request(QEvent::UpdateRequest);
    QApplication::sendEvent(window, &request);
}

void SendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct TFixture {
    TPuzzleGame game;
    TPuzzleDesktop desktop;
    TFillWindow fill;
    TPieceGeometry geometry;

    explicit TFixture(QSize pictureSize)
    {
        TRandomGenerator random(20261207);
        game = MakePuzzleGame({GridSize, GridSize, true, "Bench", "", ""}, random);
        geometry =
            *ComputePieceGeometry(pictureSize.width(), pictureSize.height(), GridSize, GridSize);
        desktop.resize(ViewSize);
        desktop.show();
        fill.resize(ViewSize);
        fill.show();
        if (!QTest::qWaitForWindowExposed(&desktop) || !QTest::qWaitForWindowExposed(&fill))
            std::fprintf(stderr, "The windows were not shown; the figures mean little.\n");

        desktop.SetupDesktop(game, geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
        const QImage picture = MakePhotoLikePicture(pictureSize);
        QImage work(geometry.pieceWidth, geometry.pieceHeight, QImage::Format_RGB888);
        for (int i = 0; i < GridSize * GridSize; ++i) {
            RenderCell(work, picture, (i % GridSize) * geometry.cellWidth - geometry.margin,
                       (i / GridSize) * geometry.cellHeight - geometry.margin);
            desktop.AddPiece(work);
        }
        // Every other piece lies on the desktop right of the palette strip, scattered so that
        // they overlap.
        const int left = std::max(200, geometry.pieceWidth + 40);
        for (int i = 0; i < GridSize * GridSize; i += 2) {
            const int x = left + (i * 97) % (ViewSize.width() - left - geometry.pieceWidth);
            const int y = 10 + (i * 61) % (ViewSize.height() - 40 - geometry.pieceHeight);
            desktop.PlacePiece(desktop.Images()[static_cast<std::size_t>(i)].get(), x, y);
        }
        desktop.RefreshPalette();
        QApplication::processEvents();
    }
};

// One per picture size, made in main after the application object and destroyed before it.
std::vector<std::unique_ptr<TFixture>> fixtures;

TFixture &Fixture(const benchmark::State &state)
{
    return *fixtures[static_cast<std::size_t>(state.range(0))];
}

void BM_FillView(benchmark::State &state)
{
    TFillWindow &fill = Fixture(state).fill;
    for (auto _ : state)
        fill.repaint();
}

void BM_FullRepaint(benchmark::State &state)
{
    TPuzzleDesktop &desktop = Fixture(state).desktop;
    for (auto _ : state)
        desktop.repaint();
}

// A piece picked up by its body, then moved back and forth, each step painted.
void DragBackAndForth(benchmark::State &state, TPuzzleDesktop &desktop, TPieceImage *piece,
                      QPoint body)
{
    TDesktopCanvas *canvas = desktop.Canvas();
    QPoint mouse = piece->Position() + body;
    SendMouse(canvas, QEvent::MouseButtonPress, mouse, Qt::LeftButton);
    int step = 8;
    for (auto _ : state) {
        mouse += QPoint(step, step / 2);
        step = -step;
        SendMouse(canvas, QEvent::MouseMove, mouse, Qt::LeftButton);
        SyncPaint(&desktop);
    }
    SendMouse(canvas, QEvent::MouseButtonRelease, mouse, Qt::NoButton);
}

// The topmost desktop piece picked up by its body, then moved back and forth.
void BM_DragStep(benchmark::State &state)
{
    TFixture &f = Fixture(state);
    TPieceImage *top = nullptr;
    for (TCanvasItem *item : f.desktop.Canvas()->Items()) {
        auto *piece = dynamic_cast<TPieceImage *>(item);
        if (piece != nullptr && !piece->m_onPalette)
            top = piece;
    }
    DragBackAndForth(state, f.desktop, top,
                     QPoint(f.geometry.pieceWidth / 2, f.geometry.pieceHeight / 2));
}

// The photograph's 225 pieces all on the desktop: a 10 × 10 block joined at the top left, the
// others scattered below and to the right of it; and one piece as large as the block's pieces
// together, alone on a desktop of its own.
struct TAidsFixture {
    TPuzzleGame game;
    TPuzzleDesktop desktop;
    TPuzzleGame singleGame;
    TPuzzleDesktop single;
    TPieceGeometry geometry;
    static constexpr int BlockSize = 10;

    explicit TAidsFixture(const TFixture &source) : geometry(source.geometry)
    {
        TRandomGenerator random(20261207);
        game = MakePuzzleGame({GridSize, GridSize, true, "Bench", "", ""}, random);
        for (QWidget *window :
             {static_cast<QWidget *>(&desktop), static_cast<QWidget *>(&single)}) {
            window->resize(ViewSize);
            window->show();
            if (!QTest::qWaitForWindowExposed(window))
                std::fprintf(stderr, "The windows were not shown; the figures mean little.\n");
        }
        desktop.SetupDesktop(game, geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
        const QPoint origin(geometry.cellWidth, 0);
        for (int i = 0; i < GridSize * GridSize; ++i) {
            TPieceImage *image = desktop.AddPieceImage(
                source.desktop.Images()[static_cast<std::size_t>(i)]->Picture());
            const int col = i % GridSize;
            const int row = i / GridSize;
            const QPoint cell(col * geometry.cellWidth, row * geometry.cellHeight);
            const bool inBlock = col < BlockSize && row < BlockSize;
            // Outside the block every piece lies a few pixels off its cell: nothing else joins.
            const QPoint place = inBlock ? origin + cell : origin + cell * 11 / 10 + QPoint(7, 7);
            desktop.PlacePiece(image, place.x(), place.y());
            game.pieces[static_cast<std::size_t>(i)].position = place;
        }
        desktop.SetGroupMoves(true);
        desktop.RefreshPalette();

        const QSize blockArea(geometry.pieceWidth * BlockSize, geometry.pieceHeight * BlockSize);
        // Set up for the usual piece size, so that the strip is the usual one.
        singleGame.cols = singleGame.rows = 1;
        singleGame.pieces.resize(1);
        singleGame.pieces[0].row = singleGame.pieces[0].col = 0;
        single.SetupDesktop(singleGame, geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
        QImage large(blockArea, QImage::Format_ARGB32_Premultiplied);
        large.fill(QColor(90, 120, 150));
        single.PlacePiece(single.AddPieceImage(large), 2 * geometry.cellWidth, 0);
        single.RefreshPalette();
        QApplication::processEvents();
    }
};

std::unique_ptr<TAidsFixture> aids;

void BM_GroupDragStep(benchmark::State &state)
{
    const QPoint body(aids->geometry.pieceWidth / 2, aids->geometry.pieceHeight / 2);
    DragBackAndForth(state, aids->desktop, aids->desktop.Images()[16].get(), body);
}

void BM_SinglePieceDragStep(benchmark::State &state)
{
    DragBackAndForth(state, aids->single, aids->single.Images()[0].get(), QPoint(200, 200));
}

void BM_ZoomedOutFullRepaint(benchmark::State &state)
{
    aids->desktop.ZoomToFit();
    for (auto _ : state)
        aids->desktop.repaint();
    state.counters["zoom"] = aids->desktop.Zoom();
    aids->desktop.SetZoom(1.0, QPoint(0, 0));
}

// The block moved a cell right and back as a player drags it, every step painted.
void BM_GroupMove(benchmark::State &state)
{
    TPuzzleDesktop &desktop = aids->desktop;
    TDesktopCanvas *canvas = desktop.Canvas();
    TPieceImage *grabbed = desktop.Images()[16].get();
    const QPoint body(aids->geometry.pieceWidth / 2, aids->geometry.pieceHeight / 2);
    int step = aids->geometry.cellWidth;
    for (auto _ : state) {
        const QPoint from = grabbed->Position() + body;
        SendMouse(canvas, QEvent::MouseButtonPress, from, Qt::LeftButton);
        SendMouse(canvas, QEvent::MouseMove, from + QPoint(step, 0), Qt::LeftButton);
        SendMouse(canvas, QEvent::MouseButtonRelease, from + QPoint(step, 0), Qt::NoButton);
        SyncPaint(&desktop);
        step = -step;
    }
}

// The last move taken back and made again, each painted.
void BM_GroupUndo(benchmark::State &state)
{
    TPuzzleDesktop &desktop = aids->desktop;
    bool undo = true;
    for (auto _ : state) {
        if (undo)
            desktop.Undo();
        else
            desktop.Redo();
        SyncPaint(&desktop);
        undo = !undo;
    }
}

// The game kept as it is played, for a game of n × n pieces with every other one on the desktop:
// the copy of the game the main thread takes after a change, and the whole record made from it
// and written beside, renamed and synced, which runs off the main thread.
TPuzzleGame HalfLaidGame(int n)
{
    TRandomGenerator random(20261207);
    TPuzzleGame game = MakePuzzleGame({n, n, true, "Bench", "", ""}, random);
    for (std::size_t i = 0; i < game.pieces.size(); i += 2)
        game.pieces[i].position = QPoint(static_cast<int>(i) * 7 % 4000, 123);
    return game;
}

void BM_RecordGameCopy(benchmark::State &state)
{
    const TPuzzleGame game = HalfLaidGame(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(TPuzzleGame(game));
}

void BM_RecordWrite(benchmark::State &state)
{
    TPuzzleGame game = HalfLaidGame(static_cast<int>(state.range(0)));
    const QTemporaryDir folder;
    TGameKeeper keeper(folder.path(), folder.filePath(QStringLiteral("puzzle")), "picture",
                       TPuzzleDocument(game).Text(), [&game] { return game; });
    int x = 0;
    for (auto _ : state) {
        game.pieces.front().position = QPoint(++x % 1000, 40);
        keeper.GameChanged();
        keeper.WriteNow();
    }
    const QString record = QDir(folder.path()).entryList({QStringLiteral("*.game")}).value(0);
    state.counters["record bytes"] = static_cast<double>(QFileInfo(folder.filePath(record)).size());
}

BENCHMARK(BM_FillView)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStep)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupDragStep)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SinglePieceDragStep)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomedOutFullRepaint)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupMove)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupUndo)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordGameCopy)->Arg(15)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordWrite)->Arg(15)->Arg(100)->Unit(benchmark::kMicrosecond);

void PrintRatios(const TRatioReporter &reporter)
{
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        const TPieceGeometry &g = fixtures[i]->geometry;
        const std::string title = "Desktop " + std::to_string(ViewSize.width()) + " x " +
                                  std::to_string(ViewSize.height()) + ", 15 x 15 pieces of " +
                                  std::to_string(g.pieceWidth) + " x " +
                                  std::to_string(g.pieceHeight) + ", half on the desktop:";
        const auto name = [i](const char *benchmark) {
            return std::string(benchmark) + "/" + std::to_string(i);
        };
        reporter.PrintTable(
            title, {{"fill", name("BM_FillView")}},
            {{"full repaint", name("BM_FullRepaint")}, {"drag step", name("BM_DragStep")}});
    }
    reporter.PrintTable("Play aids, pieces of the 20-megapixel photograph (aims: 2, 3, 2):",
                        {{"fill", "BM_FillView/1"}},
                        {{"zoomed out to fit, full repaint", "BM_ZoomedOutFullRepaint/1"}});
    reporter.PrintTable("", {{"single piece", "BM_SinglePieceDragStep/1"}},
                        {{"drag step of 100 joined pieces", "BM_GroupDragStep/1"}});
    reporter.PrintTable("", {{"move", "BM_GroupMove/1"}},
                        {{"undo of the 100-piece move", "BM_GroupUndo/1"}});
    std::printf("100-piece drag step: %.2f ms a frame\n",
                reporter.RealTime("BM_GroupDragStep/1") / 1000.0);
    reporter.PrintTable("Keeping the game's record, against a drag step of the photograph's "
                        "pieces (aim: the main thread's part under 1):",
                        {{"drag step", "BM_DragStep/1"}},
                        {{"main thread: game copied, 225 pieces", "BM_RecordGameCopy/15"},
                         {"main thread: game copied, 10,000", "BM_RecordGameCopy/100"},
                         {"off it: record made, synced, 225", "BM_RecordWrite/15"},
                         {"off it: record made, synced, 10,000", "BM_RecordWrite/100"}});
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const QSize size : PictureSizes)
        fixtures.push_back(std::make_unique<TFixture>(size));
    aids = std::make_unique<TAidsFixture>(*fixtures.back());
    RunBenchmarksAndPrintRatios(PrintRatios);
    aids.reset();
    fixtures.clear();
    return 0;
}
