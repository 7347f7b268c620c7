#pragma once

#include <cstdint>

namespace rollbite::test {

// Uniform doubles from a small linear congruential generator: the same numbers on every machine.
class UniformNumbers {
public:
    explicit UniformNumbers(std::uint64_t seed) : state_(seed) {}

    // A number in [low, high).
    double operator()(double low = 0.0, double high = 1.0) {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return low + (high - low) * static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }

private:
    std::uint64_t state_;
};

} // namespace rollbite::test
