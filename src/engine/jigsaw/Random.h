#pragma once
// The program's random generator: a 32-bit linear congruential generator whose draws decide the
// piece edges, the palette order keys and the sparkle's jitter. One instance serves the whole
// process; functions that draw take a generator so that a cut can be reproduced from a state.

#include <cstdint>

class TRandomGenerator
{
public:
    explicit TRandomGenerator(std::uint32_t state = 0) : m_state(state) {}

    // Seeds from the current UTC time of day, in milliseconds since midnight.
    void Randomize();
    // A value in [0, n): advances the state, then takes the high 32 bits of state × n.
    // n of 0 or less gives 0 (the state still advances).
    int Random(int n);

    std::uint32_t State() const { return m_state; }
    void SetState(std::uint32_t state) { m_state = state; }

private:
    std::uint32_t m_state;
};

// The process-wide generator.
TRandomGenerator &ProcessRandom();
