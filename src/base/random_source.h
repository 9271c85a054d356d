#pragma once

#include <cstdint>
#include <random>

namespace spindle {

// The program's one source of random choices (shuffles, the new-track bias). Seeded
// from the clock for each run unless a seed is fixed, which makes runs reproducible.
class RandomSource {
public:
    RandomSource();
    explicit RandomSource(std::uint64_t seed) : engine_(seed) {}

    void Seed(std::uint64_t seed) { engine_.seed(seed); }
    void SeedFromClock();
    // Uniform in [0, bound); 0 when bound is 0.
    std::uint32_t Below(std::uint32_t bound);

private:
    std::mt19937_64 engine_;
};

}  // namespace spindle
