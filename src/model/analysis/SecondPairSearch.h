#pragma once

#include <array>

namespace rollbite {

class InverseAnalysis;

// Looks for a second pair (offset yield stress, friction) that reproduces the same measured force and
// slip. Along the curve of pairs that give the measured force, y(mu), the slip is a function of mu alone:
// S(y(mu), mu). It is tabulated on a grid of friction coefficients; each change of sign of S - S_m
// brackets a pair, refined by regula falsi. The bracket of the pair already found is skipped. When the
// pair found does not reproduce the measured slip and no pair does, the pair of the force curve whose
// slip comes nearest is given instead, if it comes nearer than the pair found.
class SecondPairSearch {
public:
    struct Pair {
        double offset; // MPa
        double friction;
    };

    // Frictions of the grid: the range of a Coulomb coefficient that the output check accepts.
    static constexpr std::array<double, 10> kFrictionGrid = {0.05, 0.15, 0.25, 0.35, 0.45,
                                                             0.55, 0.65, 0.75, 0.85, 0.95};
    static constexpr double kForceMatch = 1e-4;    // of the measured force
    static constexpr double kSlipMatch = 1e-3;     // percent
    static constexpr int kOffsetIterations = 8;    // Newton steps on y for one friction
    static constexpr int kFrictionIterations = 12; // regula falsi steps on mu
    static constexpr double kSamePair = 0.02;      // distance within which a root is the pair found

    SecondPairSearch(InverseAnalysis& analysis, double measuredForce, double measuredSlip, double flowStress);

    // A pair other than `found` that reproduces the measurement, the one nearest `start` if several, and
    // its slip gap S - S_m (percent); `foundSlipGap` is that of the pair found, `forcePerOffset`
    // (9.81 N/mm per MPa) starts the Newton steps on y. False when there is none.
    bool find(const Pair& found, double foundSlipGap, const Pair& start, double forcePerOffset, Pair& second,
              double& secondSlipGap);
    // Distance between two pairs, each coordinate relative to its scale (the mean flow stress, the
    // start's friction).
    double distance(const Pair& first, const Pair& second) const;

private:
    // y for which the force at mu is the measured one; its slip gap S - S_m. False when the model fails.
    bool onForceCurve(double friction, double& offset, double& slipGap);
    bool refine(Pair low, double lowGap, Pair high, double highGap, Pair& root);
    // The pair of the force curve near grid point k whose slip comes nearest the measured one: the vertex
    // of the parabola through the gaps of its neighbours, or the grid point itself.
    Pair nearestApproach(int k, double& gap);

    std::array<double, kFrictionGrid.size()> gridOffsets_{};
    std::array<double, kFrictionGrid.size()> gridGaps_{};
    std::array<bool, kFrictionGrid.size()> onGrid_{};

    InverseAnalysis& analysis_;
    double measuredForce_;
    double measuredSlip_;
    double flowStress_;
    double forcePerOffset_ = 1.0;
    double frictionScale_ = 1.0;
};

} // namespace rollbite
