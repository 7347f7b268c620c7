#include "model/bite/FrictionRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rollbite {

namespace {

constexpr int kMantissaShift = 52;
constexpr std::int64_t kExponentBias = 1023;

std::uint64_t bitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double doubleOf(std::uint64_t bits) {
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

int FrictionRows::formulaRow(double shearRatio) {
    const double rowPosition =
        std::min(static_cast<double>(kLastRow), std::floor(-std::log(1.0 - shearRatio) / std::log(1.1)));
    return static_cast<int>(rowPosition);
}

FrictionRows::FrictionRows() {
    boundary_[0] = 0.0;
    for (int row = 1; row <= kLastRow; ++row) {
        boundary_[row] = findBoundary(row);
    }
    boundary_[kLastRow + 1] = 1.0; // no row beyond the last one
    // Each bucket starts with the row of its smallest s, where 1 - s is largest.
    for (int bucket = 0; bucket < kBuckets; ++bucket) {
        const int exponent = bucket / (1 << kMantissaBits) - kExponents + 1;
        const std::uint64_t mantissa = static_cast<std::uint64_t>(bucket % (1 << kMantissaBits));
        const std::uint64_t lastBits =
            (static_cast<std::uint64_t>(exponent + kExponentBias) << kMantissaShift) |
            (mantissa << (kMantissaShift - kMantissaBits)) |
            ((std::uint64_t{1} << (kMantissaShift - kMantissaBits)) - 1);
        const double largestOneMinus = std::min(1.0, doubleOf(lastBits));
        // The formula's row, told by the boundaries it has just given: those at or below the ratio.
        const double smallestRatio = 1.0 - largestOneMinus;
        const double* const firstBoundary = boundary_.data() + 1;
        bucketRow_[bucket] = static_cast<std::uint8_t>(
            std::upper_bound(firstBoundary, firstBoundary + kLastRow, smallestRatio) - firstBoundary);
    }
}

double FrictionRows::findBoundary(int row) const {
    // Bisection over the doubles of [0, 1), ordered as their bit patterns: the first one of the row. It
    // lies within rounding errors of 1 - 1.1^-row, so the search starts from a bracket around that value
    // when the bracket holds it (else from the whole interval).
    const double estimate = 1.0 - std::pow(1.1, -row);
    std::uint64_t below = bitsOf(std::max(0.0, estimate - kBracket));
    std::uint64_t atOrAbove = bitsOf(std::min(1.0, estimate + kBracket));
    if (!(formulaRow(doubleOf(below)) < row && formulaRow(doubleOf(atOrAbove)) >= row)) {
        below = bitsOf(0.0);
        atOrAbove = bitsOf(1.0);
    }
    while (atOrAbove - below > 1) {
        const std::uint64_t middle = below + (atOrAbove - below) / 2;
        if (formulaRow(doubleOf(middle)) >= row) {
            atOrAbove = middle;
        } else {
            below = middle;
        }
    }
    return doubleOf(atOrAbove);
}

int FrictionRows::bucketOf(double oneMinusRatio) {
    const std::int64_t bits = static_cast<std::int64_t>(bitsOf(oneMinusRatio));
    const std::int64_t exponent = (bits >> kMantissaShift) - kExponentBias;
    if (exponent < -kExponents + 1 || exponent > 0) {
        return -1;
    }
    const std::int64_t mantissa = (bits >> (kMantissaShift - kMantissaBits)) & ((1 << kMantissaBits) - 1);
    return static_cast<int>(((exponent + kExponents - 1) << kMantissaBits) | mantissa);
}

int FrictionRows::rowOf(double shearRatio) const {
    const int bucket = bucketOf(1.0 - shearRatio);
    if (bucket < 0) {
        return formulaRow(shearRatio); // 1 - s beyond the buckets: the last row, or not a ratio at all
    }
    int row = bucketRow_[bucket];
    if (shearRatio >= boundary_[row + 1]) {
        ++row;
    }
    return settled(shearRatio, row);
}

} // namespace rollbite
