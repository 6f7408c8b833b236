#pragma once
// What every fuzz target shares.

#include <cstdlib>

// Ends the run as a crash when a property of the code under test does not hold, so that
// libFuzzer keeps the input that broke it.
inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}
