#pragma once
// Benchmarks that measure work on fresh memory, as the player has it, hand freed memory back
// to the system between runs, so that the next allocations fault fresh pages in.

#include "engine/picture/JpegPicture.h"

#include <QImage>
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

inline void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// Times decodes of the picture, each on fresh memory.
inline void TimeDecodesOnFreshMemory(benchmark::State &state, const TJpegPicture &picture)
{
    for (auto _ : state) {
        QImage decoded = picture.ToBitmap();
        benchmark::DoNotOptimize(decoded);
        state.PauseTiming();
        decoded = QImage();
        ReturnFreedMemory();
        state.ResumeTiming();
    }
}
