// Reading the largest document the maker writes: the heap its records keep, as a multiple of
// their text, and the time, as a multiple of one plain copy of that text.
#include "RatioReporter.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentLimits.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace
{

const QByteArray Record =
    "\r\n\t\t<PIECE ROW=\"12\" COL=\"34\" R=\"1\" B=\"-1\" RO=\"1234\" T=\"-1\" "
    "L=\"1\" PLEFT=\"1234\" PTOP=\"567\"/>";

QByteArray LargestDocument()
{
    return "<PUZZLE_DATA COLS=\"50\" ROWS=\"50\"><PIECES>" + Record.repeated(MaxPieceRecords) +
           "</PIECES></PUZZLE_DATA>";
}

void BM_CopyText(benchmark::State &state)
{
    const QByteArray text = LargestDocument();
    for (auto _ : state) {
        QByteArray copy(text.constData(), text.size());
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_ReadDocument(benchmark::State &state)
{
    const QByteArray text = LargestDocument();
    double keptPerRecord = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        TKeyedNode document;
        LoadPuzzleDocument(document, text);
        keptPerRecord = double(mallinfo2().uordblks - before) / MaxPieceRecords;
        benchmark::DoNotOptimize(document.ChildCount());
    }
    state.counters["heap_bytes_per_record"] = keptPerRecord;
    state.counters["heap_to_record_text"] = keptPerRecord / double(Record.size());
}

} // namespace

BENCHMARK(BM_CopyText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RunBenchmarksAndPrintRatios([](TRatioReporter &reporter) {
        reporter.PrintTable("Reading the largest document (2,500 records):",
                            {{"copy of its text", "BM_CopyText"}}, {{"read", "BM_ReadDocument"}});
    });
    return 0;
}
