#pragma once
// Benchmarks that measure work on fresh memory, as the player has it, hand freed memory back
// to the system between runs, so that the next allocations fault fresh pages in.

#if defined(__GLIBC__)
#include <malloc.h>
#endif

inline void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
