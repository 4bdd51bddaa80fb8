// Uniform random numbers on [0, 1) from a 64-bit Mersenne Twister, reseeded by mixing
// the clock into the current state.
#pragma once

#include <cstdint>
#include <random>

#include "platform/Services.h"

namespace zv {

class ClockRandom final : public RandomSource {
public:
    using Clock = std::uint64_t (*)();

    ClockRandom();
    // A fixed start and, for tests, a clock of one's own.
    explicit ClockRandom(std::uint64_t seed, Clock clock = &ClockRandom::clockBits) : engine_(seed), clock_(clock) {}

    // Nanoseconds of the monotonic and the wall clock, mixed.
    static std::uint64_t clockBits();

    void reseedFromClock() override;
    double next() override;

private:
    std::mt19937_64 engine_;
    Clock clock_ = &ClockRandom::clockBits;
};

}  // namespace zv
