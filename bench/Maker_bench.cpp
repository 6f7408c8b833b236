// The maker's Step 3 on a 4000 x 3000 picture: encoding the assigned picture at quality 90,
// putting the sections on a copy of the program image and writing the executable beside its
// target and renaming it, as multiples of the floor it cannot go below: the JPEG encode alone
// plus one copy of the written bytes. A plain file write of the same bytes is shown too, to
// tell the cost of a whole-or-nothing write from that of the sections.
#include "BenchPictures.h"
#include "RatioReporter.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleExecutable.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

namespace
{

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;

struct TFixture {
    QImage photo = MakePhotoLikePicture({PictureWidth, PictureHeight});
    QTemporaryDir folder;
    TPuzzleDocument document;
    QByteArray written; // what Step 3 writes, for the floor's copy and the plain write

    TFixture()
    {
        document = TPuzzleDocument(MakePuzzleGame({8, 10, true, "Bench", {}, {}}));
        TJpegPicture source;
        source.Assign(photo);
        written = WithPuzzleSections(LoadedExeImage(), source, nullptr, document);
    }
    QString Target() const { return QDir(folder.path()).filePath("puzzle.exe"); }
};

TFixture &Fixture()
{
    static TFixture fixture;
    return fixture;
}

void BM_StepThree(benchmark::State &state)
{
    TFixture &fixture = Fixture();
    for (auto _ : state) {
        TJpegPicture source;
        source.Assign(fixture.photo);
        WriteImageToFile(WithPuzzleSections(LoadedExeImage(), source, nullptr, fixture.document),
                         fixture.Target());
    }
}

void BM_JpegEncode(benchmark::State &state)
{
    TFixture &fixture = Fixture();
    for (auto _ : state) {
        TJpegPicture source;
        source.Assign(fixture.photo);
        benchmark::DoNotOptimize(source.Data());
    }
}

void BM_CopyWrittenBytes(benchmark::State &state)
{
    const QByteArray &written = Fixture().written;
    QByteArray copy(written.size(), Qt::Uninitialized);
    for (auto _ : state) {
        std::memcpy(copy.data(), written.constData(), written.size());
        benchmark::ClobberMemory();
    }
}

void BM_PlainFileWrite(benchmark::State &state)
{
    TFixture &fixture = Fixture();
    for (auto _ : state) {
        QFile file(fixture.Target());
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(fixture.written);
    }
}

BENCHMARK(BM_StepThree)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyWrittenBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFileWrite)->Unit(benchmark::kMillisecond);

// Wall time counts the waits for the disk; CPU time is steadier on a busy machine.
void PrintRatios(const TRatioReporter &times)
{
    using TTime = double (TRatioReporter::*)(const std::string &) const;
    const std::pair<const char *, TTime> clocks[] = {{"wall", &TRatioReporter::RealTime},
                                                     {"CPU", &TRatioReporter::CpuTime}};
    // Each ratio needs all four; with one left out by a filter there is nothing to print.
    for (const char *name :
         {"BM_StepThree", "BM_JpegEncode", "BM_CopyWrittenBytes", "BM_PlainFileWrite"})
        if (times.RealTime(name) <= 0 || times.CpuTime(name) <= 0)
            return;
    std::printf("\nStep 3 on %d x %d (%.1f MB written):\n", PictureWidth, PictureHeight,
                double(Fixture().written.size()) / 1e6);
    for (const auto &[clock, time] : clocks) {
        const double step = (times.*time)("BM_StepThree");
        const double encode = (times.*time)("BM_JpegEncode");
        const double copy = (times.*time)("BM_CopyWrittenBytes");
        const double plainWrite = (times.*time)("BM_PlainFileWrite");
        std::printf("  %-4s step 3 / (encode + copy of the written bytes)  %6.2f\n", clock,
                    step / (encode + copy));
        std::printf("  %-4s step 3 / (encode + plain write of those bytes) %6.2f\n", clock,
                    step / (encode + plainWrite));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Fixture();
    RunBenchmarksAndPrintRatios(PrintRatios);
    return 0;
}
