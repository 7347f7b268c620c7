#pragma once

// Part of the public case API: includes only the standard library, so that it reads the same installed.
#include <cmath>

namespace rollbite {

// The double machine epsilon: a magnitude below it counts as zero in every guard and equality test.
constexpr double kEpsilon = 2.220446049250313e-16;

// The model's own value of pi (truncated), and pi/6 computed from it: the angle of the second column of
// the friction-factor table.
constexpr double kPi = 3.141592;
constexpr double kPiOverSix = 0.5235986666666667;

// Poisson's ratio of roll and strip, 0.3, enters the elastic formulas as 1 - 0.3^2.
constexpr double kPoissonFactor = 0.91;

// Forces in the case files are in units of 9.81 N/mm (tonnes per metre of width); the model works in N/mm.
constexpr double kForceUnit = 9.81;

// The bite grid: 501 points, index 0 at the entry, index 500 at the exit.
constexpr int kGridPoints = 501;
constexpr int kLastPoint = 500;

inline bool isZero(double value) {
    return std::abs(value) < kEpsilon;
}

} // namespace rollbite
