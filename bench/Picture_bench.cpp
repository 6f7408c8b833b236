// Pictures in: a quarter turn of a 4000 × 3000 picture against a copy of the same bytes;
// loading a 4000 × 3000 BMP against reading its file; playing a real plot's metafile, per
// record; hostile metafiles, which the player's work budget ends, against the real plot's.
// Ratios are of wall and processor time measured in this run; what did not run is left out.

#include "BenchPictures.h"
#include "RatioReporter.h"
#include "engine/picture/EmfRecords.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/MetafileDevice.h"
#include "engine/picture/MetafilePlayer.h"
#include "engine/picture/Rotation.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
const char LargeMetafile[] = TESSALUNE_FIXTURES "/metafiles/gnuplot_large.emf";

struct TFixture {
    QImage picture = MakePhotoLikePicture({PictureWidth, PictureHeight});
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
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(Fixture().metafile);
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

// EMF records of a hostile file drawn at the largest size (4096 pixels square).
class TEmfWriter
{
public:
    static constexpr qint32 Side = MetafileMaxSide;

    void Record(std::initializer_list<qint32> values) { Append(std::vector<qint32>(values)); }
    // A 16-bit-point polygon or polyline record (type 86 or 87) of `count` points.
    void Poly(qint32 type, int count, const std::function<QPoint(int)> &point)
    {
        std::vector<qint32> values{type, 28 + 4 * count, 0, 0, Side, Side, count};
        for (int i = 0; i < count; ++i)
            values.push_back((point(i).x() & 0xFFFF) | (point(i).y() << 16));
        Append(values);
    }
    // A green brush and the null pen selected.
    void GreenBrushNoPen()
    {
        Record({39, 24, 1, 0, 0x0000FF00, 0});
        Record({37, 12, 1});
        Record({37, 12, qint32(0x80000008)});
    }
    // One pixel per 0.01 mm, so that the frame is Side pixels square.
    QByteArray File() const
    {
        QByteArray file;
        for (const qint32 value :
             {1,       88, 0, 0, Side - 1, Side - 1, 0, 0,    Side * 100, Side * 100, 0x464D4520,
              0x10000, 0,  0, 0, 0,        0,        0, Side, Side,       Side,       Side})
            file.append(reinterpret_cast<const char *>(&value), 4);
        return file + m_records + Bytes({14, 20, 0, 0, 20});
    }

private:
    static QByteArray Bytes(const std::vector<qint32> &values)
    {
        return QByteArray(reinterpret_cast<const char *>(values.data()),
                          static_cast<qsizetype>(values.size() * 4));
    }
    void Append(const std::vector<qint32> &values) { m_records += Bytes(values); }

    QByteArray m_records;
};

constexpr int Side = TEmfWriter::Side;

QByteArray FullPictureFills()
{
    TEmfWriter emf;
    emf.GreenBrushNoPen();
    for (int i = 0; i < 1'000'000; ++i)
        emf.Record({43, 24, 0, 0, Side, Side});
    return emf.File();
}

// Each record excludes another small square from the clip and fills a small square.
QByteArray GrowingClip()
{
    TEmfWriter emf;
    emf.GreenBrushNoPen();
    for (int i = 0; i < 1'000'000; ++i) {
        const int x = (i * 8) % Side;
        const int y = (i * 8) / Side * 8 % Side;
        emf.Record({29, 24, x, y, x + 4, y + 4});
        emf.Record({43, 24, 0, 0, 8, 8});
    }
    return emf.File();
}

// Polygons of 16 corners zigzagging over 1024 rows: long edges, many per scanline.
QByteArray Zigzags()
{
    TEmfWriter emf;
    emf.GreenBrushNoPen();
    for (int i = 0; i < 10'000; ++i)
        emf.Poly(86, 16, [](int corner) { return QPoint(corner * Side / 16, corner % 2 * 1024); });
    return emf.File();
}

// Polylines of 1000 lines running the picture's height.
QByteArray LongLines()
{
    TEmfWriter emf;
    for (int i = 0; i < 10'000; ++i)
        emf.Poly(87, 1000,
                 [](int corner) { return QPoint(corner * Side / 1000, corner % 2 * Side); });
    return emf.File();
}

// Tiny outlined squares: the cost is QPainter's per-call overhead.
QByteArray TinyShapes()
{
    TEmfWriter emf;
    emf.Record({39, 24, 1, 0, 0x0000FF00, 0});
    emf.Record({37, 12, 1});
    for (int i = 0; i < 4'000'000; ++i)
        emf.Record({43, 24, i % Side, i / Side % Side, i % Side + 2, i / Side % Side + 2});
    return emf.File();
}

struct THostileCase {
    const char *name;
    QByteArray (*make)();
};
const THostileCase HostileCases[] = {{"full-picture fills", FullPictureFills},
                                     {"growing clip", GrowingClip},
                                     {"zigzag polygons", Zigzags},
                                     {"long lines", LongLines},
                                     {"tiny shapes", TinyShapes}};

void BM_PlayHostileMetafile(benchmark::State &state)
{
    const THostileCase &hostile = HostileCases[state.range(0)];
    state.SetLabel(hostile.name);
    const std::optional<TMetafilePlayer> metafile = TMetafilePlayer::FromBytes(hostile.make());
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
BENCHMARK(BM_PlayHostileMetafile)
    ->DenseRange(0, std::size(HostileCases) - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The record count an EMF's header states.
quint32 EmfRecordCount(const QByteArray &bytes)
{
    quint32 count = 0;
    if (bytes.size() >= 56)
        std::memcpy(&count, bytes.constData() + 52, sizeof count);
    return count;
}

// The share of the work budget an EMF's playback takes at the size given.
double BudgetShare(const QByteArray &bytes, QSize size)
{
    const TByteReader file(bytes);
    const std::optional<TEmfHeader> header = ReadEmfHeader(file);
    if (!header)
        return 0;
    QImage canvas(size, QImage::Format_RGB32);
    QPainter painter(&canvas);
    TMetafileDevice device(painter, QRectF(canvas.rect()));
    PlayEmfRecords(file, *header, device);
    return double(device.WorkDone()) / MetafileWorkBudget;
}

// The hostile cases that ran, against the plot; the work budget ends each of them.
void PrintHostileRatios(const TRatioReporter &times)
{
    const std::string plot = "BM_PlayLargeMetafile";
    std::vector<std::pair<std::string, std::string>> rows;
    double worst = 0;
    for (std::size_t i = 0; i < std::size(HostileCases); ++i) {
        const std::string name = "BM_PlayHostileMetafile/" + std::to_string(i) + "/iterations:1";
        rows.emplace_back(HostileCases[i].name, name);
        worst = std::max(worst, times.CpuTime(name));
    }
    times.PrintTable("Hostile metafiles at " + std::to_string(Side) + " x " + std::to_string(Side) +
                         ", ended by the work budget, against the plot:",
                     {{"plot", plot}}, rows);
    const double real = times.CpuTime(plot);
    if (real <= 0)
        return;
    if (worst > 0)
        std::printf("Worst hostile case that ran: %.1f x the plot's %.1f ms of processor time\n",
                    worst / real, real);
    const QSize size = TMetafilePlayer::FromBytes(Fixture().metafile)->Size();
    std::printf("The plot takes %.3f %% of the work budget at its size, %.3f %% drawn %d wide\n",
                100 * BudgetShare(Fixture().metafile, size),
                100 * BudgetShare(Fixture().metafile, size.scaled(Side, Side, Qt::KeepAspectRatio)),
                Side);
    const quint32 records = EmfRecordCount(Fixture().metafile);
    if (records > 0)
        std::printf("Playing the plot's metafile of %u records: %.2f microseconds a record\n",
                    records, real * 1000 / records);
}

void PrintRatios(const TRatioReporter &times)
{
    PrintHostileRatios(times);
    const std::string size = std::to_string(PictureWidth) + " x " + std::to_string(PictureHeight);
    times.PrintTable("Quarter turn of " + size + ", 24-bit (aim: at most 3 x copy):",
                     {{"copy", "BM_CopyPictureBytes"}, {"new copy", "BM_CopyPictureIntoNewBitmap"}},
                     {{"RotateCW", "BM_RotateCW"}, {"RotateCCW", "BM_RotateCCW"}});
    times.PrintTable("Loading a " + size + " BMP against reading its file:",
                     {{"read", "BM_ReadBmpFile"}}, {{"load", "BM_LoadBmp"}});
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
    RunBenchmarksAndPrintRatios(PrintRatios);
    return 0;
}
