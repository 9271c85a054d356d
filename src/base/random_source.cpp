#include "base/random_source.h"

#include <chrono>

namespace spindle {

RandomSource::RandomSource() {
    SeedFromClock();
}

void RandomSource::SeedFromClock() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(ticks));
}

std::uint32_t RandomSource::Below(std::uint32_t bound) {
    if (bound == 0) {
        return 0;
    }
    // Rejection keeps every value equally likely.
    const std::uint64_t range = std::uint64_t{1} << 32;
    const std::uint64_t limit = range - range % bound;
    for (;;) {
        const std::uint64_t draw = engine_() >> 32;
        if (draw < limit) {
            return static_cast<std::uint32_t>(draw % bound);
        }
    }
}

}  // namespace spindle
