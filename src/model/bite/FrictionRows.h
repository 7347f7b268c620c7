#pragma once

#include <array>
#include <cstdint>

namespace rollbite {

// Which row of the friction-factor table holds a shear ratio s in [0, 1). Row i of the table starts at
// s = 1 - (1/1.1)^i, so the row is floor(-ln(1 - s) / ln 1.1), at most 120: that formula defines it.
// On the slab march it is asked at every point, right on the critical path, so it is answered without
// the logarithm: the bits of 1 - s point to a bucket that holds at most one row boundary, and a
// comparison with the boundary settles the row. The boundaries are found once, from the formula
// itself; within a safety band around each of them the formula is evaluated as it stands, so the row
// is always the formula's.
class FrictionRows {
public:
    static constexpr int kLastRow = 120;

    FrictionRows();

    int rowOf(double shearRatio) const;
    // The same row, searched from `hint` (0 to 120): quickest when the row is the hint or a neighbour.
    int rowNear(double shearRatio, int hint) const;
    // The defining formula.
    static int formulaRow(double shearRatio);
    // The smallest shear ratio whose row is `row` or more (1 to 120).
    double boundary(int row) const { return boundary_[row]; }

private:
    // Buckets of 1 - s: its binary exponent from -kExponents + 1 up to 0 and its first kMantissaBits
    // mantissa bits. A bucket spans a ratio of at most 1 + 1/64 in 1 - s, less than the 1.1 of a row.
    static constexpr int kMantissaBits = 6;
    static constexpr int kExponents = 18; // 2^-17 < (1/1.1)^120 = 1.07e-5
    static constexpr int kBuckets = kExponents << kMantissaBits;
    static constexpr double kSafetyBand = 1e-12; // in s: some ten thousand units in the last place
    static constexpr double kBracket = 1e-9;     // in s, around the exact start of a row

    static int bucketOf(double oneMinusRatio);
    int settled(double shearRatio, int row) const;
    double findBoundary(int row) const;

    std::array<double, kLastRow + 2> boundary_{};
    std::array<std::uint8_t, kBuckets> bucketRow_{};
};

inline int FrictionRows::rowNear(double shearRatio, int hint) const {
    int row = hint;
    while (row < kLastRow && shearRatio >= boundary_[row + 1]) {
        ++row;
    }
    while (row > 0 && shearRatio < boundary_[row]) {
        --row;
    }
    return settled(shearRatio, row);
}

inline int FrictionRows::settled(double shearRatio, int row) const {
    // Close to a boundary the formula decides, rounding and all.
    if (shearRatio - boundary_[row] < kSafetyBand || boundary_[row + 1] - shearRatio < kSafetyBand) {
        return formulaRow(shearRatio);
    }
    return row;
}

} // namespace rollbite
