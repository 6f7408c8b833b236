// Pictures in: a quarter turn of a 4000 × 3000 picture against a copy of the same bytes;
// loading a 4000 × 3000 BMP against reading its file; playing a real plot's metafile, per
// record. Ratios are of processor time measured in this run.

#include "RatioReporter.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/MetafilePlayer.h"
#include "engine/picture/Rotation.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
const char LargeMetafile[] = TESSALUNE_FIXTURES "/metafiles/gnuplot_large.emf";

QImage MakePicture()
{
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB888);
    for (int y = 0; y < PictureHeight; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < PictureWidth * 3; ++x)
            row[x] = static_cast<uchar>((x * 7 + y * 13) ^ (x * y));
    }
    return picture;
}

struct TFixture {
    QImage picture = MakePicture();
    QTemporaryDir folder;
    QString bmpPath = folder.filePath("picture.bmp");
    QByteArray metafile;

    TFixture()
    {
        picture.save(bmpPath, "BMP");
        QFile file(LargeMetafile);
        if (file.open(QIODevice::ReadOnly))
            metafile = file.readAll();
    }
};

const TFixture &Fixture()
{
    static const TFixture fixture;
    return fixture;
}

void BM_CopyPictureBytes(benchmark::State &state)
{
    const QImage &picture = Fixture().picture;
    std::vector<uchar> copy(static_cast<std::size_t>(picture.sizeInBytes()));
    for (auto _ : state) {
        std::memcpy(copy.data(), picture.constBits(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}

// The turn makes a new bitmap, as a copy into a new bitmap does.
void BM_CopyPictureIntoNewBitmap(benchmark::State &state)
{
    const QImage &picture = Fixture().picture;
    for (auto _ : state)
        benchmark::DoNotOptimize(picture.copy().constBits());
}

void BM_RotateCW(benchmark::State &state)
{
    QImage source = Fixture().picture;
    for (auto _ : state) {
        QImage target;
        RotateBitmapCW(source, target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_RotateCCW(benchmark::State &state)
{
    QImage source = Fixture().picture;
    for (auto _ : state) {
        QImage target;
        RotateBitmapCCW(source, target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_ReadBmpFile(benchmark::State &state)
{
    for (auto _ : state) {
        QFile file(Fixture().bmpPath);
        file.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(file.readAll().constData());
    }
}

void BM_LoadBmp(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadGraphicAsBitmap(Fixture().bmpPath).constBits());
}

void BM_PlayLargeMetafile(benchmark::State &state)
{
    const std::optional<TMetafile> metafile = TMetafile::FromBytes(Fixture().metafile);
    if (!metafile) {
        state.SkipWithError("the large metafile fixture is missing");
        return;
    }
    QImage canvas(metafile->Size(), QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        metafile->Draw(painter, QRectF(canvas.rect()));
    }
}

BENCHMARK(BM_CopyPictureBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyPictureIntoNewBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateCW)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateCCW)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBmpFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayLargeMetafile)->Unit(benchmark::kMillisecond);

// The record count an EMF's header states.
quint32 EmfRecordCount(const QByteArray &bytes)
{
    quint32 count = 0;
    if (bytes.size() >= 56)
        std::memcpy(&count, bytes.constData() + 52, sizeof count);
    return count;
}

void PrintRatios(const TRatioReporter &times)
{
    const double copy = times.CpuTime("BM_CopyPictureBytes");
    const double newCopy = times.CpuTime("BM_CopyPictureIntoNewBitmap");
    const double read = times.CpuTime("BM_ReadBmpFile");
    if (copy <= 0 || newCopy <= 0 || read <= 0)
        return;
    std::printf("\nQuarter turn of %d x %d, 24-bit (aim: at most 3 x copy):\n", PictureWidth,
                PictureHeight);
    std::printf("%-20s %10s %18s\n", "", "x copy", "x copy into new");
    for (const char *name : {"BM_RotateCW", "BM_RotateCCW"})
        std::printf("%-20s %10.2f %18.2f\n", name + 3, times.CpuTime(name) / copy,
                    times.CpuTime(name) / newCopy);
    std::printf("Loading a %d x %d BMP: %.2f x reading its file\n", PictureWidth, PictureHeight,
                times.CpuTime("BM_LoadBmp") / read);
    const quint32 records = EmfRecordCount(Fixture().metafile);
    if (records > 0)
        std::printf("Playing a plot's metafile of %u records: %.2f microseconds a record\n",
                    records, times.CpuTime("BM_PlayLargeMetafile") * 1000 / records);
}

} // namespace

int main(int argc, char **argv)
{
    // The metafile's text needs fonts, which need a GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
