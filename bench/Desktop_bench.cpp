// Painting the puzzle desktop: a full repaint of a 1920 × 1080 view holding the 225 pieces of
// a 15 × 15 puzzle (half of them overlapping on the desktop, the rest on the palette), and one
// drag step, each as a ratio to a plain fill of the same view measured in this run; for the
// pieces of a 1500 × 1125 picture and for those of a 20-megapixel photograph (445 × 323).

#include "BenchPictures.h"
#include "RatioReporter.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PieceGeometry.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "windows/desktop/PuzzleDesktop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
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
    TKeyedNode document;
    TPuzzleDesktop desktop;
    TFillWindow fill;
    TPieceGeometry geometry;

    explicit TFixture(QSize pictureSize)
    {
        TRandomGenerator random(20261207);
        MakePuzzleDocument(document, {GridSize, GridSize, true, "Bench", "", ""}, random);
        geometry =
            *ComputePieceGeometry(pictureSize.width(), pictureSize.height(), GridSize, GridSize);
        desktop.resize(ViewSize);
        desktop.show();
        fill.resize(ViewSize);
        fill.show();
        if (!QTest::qWaitForWindowExposed(&desktop) || !QTest::qWaitForWindowExposed(&fill))
            std::fprintf(stderr, "The windows were not shown; the figures mean little.\n");

        desktop.SetupDesktop(GridSize, GridSize, geometry.pieceWidth, geometry.pieceHeight,
                             geometry.margin);
        const QImage picture = MakePhotoLikePicture(pictureSize);
        QImage work(geometry.pieceWidth, geometry.pieceHeight, QImage::Format_RGB888);
        const TKeyedNode *pieces = document.FindChild(PuzzleSchema::PiecesNode);
        for (int i = 0; i < GridSize * GridSize; ++i) {
            RenderCell(work, picture, (i % GridSize) * geometry.cellWidth - geometry.margin,
                       (i / GridSize) * geometry.cellHeight - geometry.margin);
            desktop.AddPiece(work, pieces->Child(i));
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

// The topmost desktop piece picked up by its body, then moved back and forth.
void BM_DragStep(benchmark::State &state)
{
    TFixture &f = Fixture(state);
    TDesktopCanvas *canvas = f.desktop.Canvas();
    TPieceImage *top = nullptr;
    for (TCanvasItem *item : canvas->Items()) {
        auto *piece = dynamic_cast<TPieceImage *>(item);
        if (piece != nullptr && !piece->m_onPalette)
            top = piece;
    }
    const QPoint body(f.geometry.pieceWidth / 2, f.geometry.pieceHeight / 2);
    QPoint mouse = top->Position() + body;
    SendMouse(canvas, QEvent::MouseButtonPress, mouse, Qt::LeftButton);
    int step = 8;
    for (auto _ : state) {
        mouse += QPoint(step, step / 2);
        step = -step;
        SendMouse(canvas, QEvent::MouseMove, mouse, Qt::LeftButton);
        SyncPaint(&f.desktop);
    }
    SendMouse(canvas, QEvent::MouseButtonRelease, mouse, Qt::NoButton);
}

BENCHMARK(BM_FillView)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStep)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

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
    RunBenchmarksAndPrintRatios(PrintRatios);
    fixtures.clear();
    return 0;
}
