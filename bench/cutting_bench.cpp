// Cutting a 4000 × 3000 picture into 15 × 15 pieces, stage by stage, as ratios to a plain copy
// of the pieces' bytes and to the JPEG decode alone, all measured in this run (processor time,
// so that other work on the machine does not skew them).

#include "RatioReporter.h"
#include "engine/container/KelPigger.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
constexpr int GridSize = 15;

// Smooth colour fields with fine texture, so the JPEG is of photographic size, and a white
// patch (a twentieth of the picture) for the 254 rule.
QImage MakePicture()
{
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB888);
    for (int y = 0; y < PictureHeight; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < PictureWidth; ++x) {
            const int texture = ((x * 7 + y * 13) ^ (x * y)) & 15;
            row[3 * x] = static_cast<uchar>(x * 240 / PictureWidth + texture);
            row[3 * x + 1] = static_cast<uchar>(y * 240 / PictureHeight + texture);
            row[3 * x + 2] = static_cast<uchar>((x + y) % 240 + texture);
        }
    }
    const QRect patch(100, 100, PictureWidth / 5, PictureHeight / 4);
    for (int y = patch.top(); y <= patch.bottom(); ++y)
        std::memset(picture.scanLine(y) + 3 * patch.left(), 255, 3 * patch.width());
    return picture;
}

struct TFixture {
    QByteArray jpeg;
    QImage sourceBitmap;
    TKelPigger document;
    TPieceGeometry geometry;
    std::vector<TPieceEdges> edges;
    std::vector<QImage> renderedPieces;
    std::size_t pieceBytes = 0;

    TFixture()
    {
        TJPEGImage picture;
        picture.Assign(MakePicture());
        jpeg = picture.Data();
        sourceBitmap = picture.ToBitmap();
        TRandomGenerator random(20240601);
        MakePuzzleDocument(document, {GridSize, GridSize, true, "Bench", "", ""}, random);
        geometry = *ComputePieceGeometry(PictureWidth, PictureHeight, GridSize, GridSize);
        const TKelPigger *pieces = document.FindChild("PIECES");
        QImage work(geometry.pieceWidth, geometry.pieceHeight, QImage::Format_RGB888);
        for (int i = 0; i < GridSize * GridSize; ++i) {
            edges.push_back(ReadPieceEdges(*pieces->Child(i)));
            RenderCell(work, sourceBitmap, (i % GridSize) * geometry.cellWidth - geometry.margin,
                       (i / GridSize) * geometry.cellHeight - geometry.margin);
            renderedPieces.push_back(work.copy());
            pieceBytes += static_cast<std::size_t>(work.sizeInBytes());
        }
    }
};

const TFixture &Fixture()
{
    static const TFixture fixture;
    return fixture;
}

void BM_CopyPieceBytes(benchmark::State &state)
{
    const std::size_t bytes = Fixture().pieceBytes;
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_JpegDecode(benchmark::State &state)
{
    TJPEGImage picture;
    picture.SetData(Fixture().jpeg);
    for (auto _ : state)
        benchmark::DoNotOptimize(picture.ToBitmap());
}

void RenderPiece(const TFixture &f, QImage &work, int index)
{
    RenderCell(work, f.sourceBitmap, (index % GridSize) * f.geometry.cellWidth - f.geometry.margin,
               (index / GridSize) * f.geometry.cellHeight - f.geometry.margin);
}

// Rendering each cell and taking the piece's own copy of it: the part of cutting before shaping.
void BM_RenderEveryCell(benchmark::State &state)
{
    const TFixture &f = Fixture();
    QImage work(f.geometry.pieceWidth, f.geometry.pieceHeight, QImage::Format_RGB888);
    for (auto _ : state) {
        for (int i = 0; i < GridSize * GridSize; ++i) {
            RenderPiece(f, work, i);
            benchmark::DoNotOptimize(work.copy());
        }
    }
}

// The same, then shaping and the display image, piece after piece as the player does: shaping
// and display conversion cost the difference to BM_RenderEveryCell.
void BM_CutEveryCell(benchmark::State &state)
{
    const TFixture &f = Fixture();
    const TPieceOutline outline(f.geometry.pieceWidth, f.geometry.pieceHeight, f.geometry.margin);
    QImage work(f.geometry.pieceWidth, f.geometry.pieceHeight, QImage::Format_RGB888);
    for (auto _ : state) {
        for (int i = 0; i < GridSize * GridSize; ++i) {
            RenderPiece(f, work, i);
            QImage piece = work.copy();
            ShapePiece(piece, f.edges[static_cast<std::size_t>(i)], outline, true);
            benchmark::DoNotOptimize(PieceDisplayImage(piece));
        }
    }
}

// Shaping and display conversion of pieces that are no longer in the cache: every piece copied
// first (with the clock stopped), then all shaped.
void BM_ShapeAndDisplayCold(benchmark::State &state)
{
    const TFixture &f = Fixture();
    std::vector<QImage> pieces;
    const TPieceOutline outline(f.geometry.pieceWidth, f.geometry.pieceHeight, f.geometry.margin);
    for (auto _ : state) {
        state.PauseTiming();
        pieces.clear();
        for (const QImage &piece : f.renderedPieces)
            pieces.push_back(piece.copy());
        state.ResumeTiming();
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            ShapePiece(pieces[i], f.edges[i], outline, true);
            benchmark::DoNotOptimize(PieceDisplayImage(pieces[i]));
        }
    }
}

void BM_WholeCut(benchmark::State &state)
{
    const TFixture &f = Fixture();
    TJPEGImage picture;
    picture.SetData(f.jpeg);
    for (auto _ : state)
        benchmark::DoNotOptimize(CutPuzzle(picture.ToBitmap(), f.document));
}

BENCHMARK(BM_CopyPieceBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderEveryCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutEveryCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapeAndDisplayCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeCut)->Unit(benchmark::kMillisecond);

void PrintRow(const char *stage, double time, double copy, double decode)
{
    std::printf("%-26s %10.2f %10.2f\n", stage, time / copy, time / decode);
}

// Each stage as a multiple of a copy of the pieces' bytes and of one decode of the picture.
void PrintRatios(const TRatioReporter &times)
{
    const double copy = times.RealTime("BM_CopyPieceBytes");
    const double decode = times.RealTime("BM_JpegDecode");
    if (copy <= 0 || decode <= 0)
        return;
    std::printf("\nCutting %d x %d into %d x %d pieces (%.1f MB of 24-bit pieces):\n", PictureWidth,
                PictureHeight, GridSize, GridSize, static_cast<double>(Fixture().pieceBytes) / 1e6);
    std::printf("%-26s %10s %10s\n", "stage", "x copy", "x decode");
    for (const char *name : {"BM_JpegDecode", "BM_RenderEveryCell", "BM_CutEveryCell",
                             "BM_ShapeAndDisplayCold", "BM_WholeCut"})
        PrintRow(name + 3, times.RealTime(name), copy, decode);
    PrintRow("shape + display (in cut)",
             times.RealTime("BM_CutEveryCell") - times.RealTime("BM_RenderEveryCell"), copy,
             decode);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Fixture();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
