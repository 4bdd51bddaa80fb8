#include "platform/real/ClockRandom.h"

#include <chrono>

namespace zv {

std::uint64_t ClockRandom::clockBits() {
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(steady).count()) ^
           (static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(wall).count()) << 1);
}

ClockRandom::ClockRandom() { reseedFromClock(); }

void ClockRandom::reseedFromClock() {
    // The engine's own output goes into the seed, so reseeding twice within one clock
    // reading still moves on to a new sequence instead of restarting the old one.
    const std::uint64_t a = engine_(), b = engine_(), c = clock_();
    std::seed_seq seq{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(a >> 32),
                      static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(b >> 32),
                      static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c >> 32)};
    engine_.seed(seq);
}

double ClockRandom::next() {
    // The top 53 bits scaled by 2^-53: exactly representable, so never 1.0 (a
    // uniform_real_distribution may round up to its upper bound).
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

}  // namespace zv
