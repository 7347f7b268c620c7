#pragma once

#include "model/BiteRegime.h"
#include "rollbite/model/PassSensitivities.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace rollbite {

// The values of the model at one point of a finite-difference stencil, with the regime of its bite.
template <int N> struct Sample {
    std::array<double, N> values{};
    BiteRegime regime;
    bool solved = false; // the model gave finite values there
};

// A derivative with a bound of its error, or the reason it has none.
struct Estimate {
    double value = 0.0;
    double error = 0.0;
    DerivativeIssue issue = DerivativeIssue::None;
};

// Derivatives of a model that is smooth within one regime of its bite but may jump between regimes, and
// whose slopes may kink where a point of the slab march moves to another row of the friction table.
// Central differences over +-h and +-2h when all four neighbours keep the regime of the base point;
// otherwise the one-sided formula on the side that keeps it (points h, 2h and 4h); otherwise the same with
// a quarter of the step. The value is the central difference over +-h. Its error bound takes the larger of
// the change between the differences over h and 2h (the truncation error, three times over, and a kink
// anywhere in the stencil) and the second differences' disagreement over h and 2h (a kink near the base
// point, which leaves both central differences alike): either is zero for a quadratic. Times 1.5, it bounds
// the error of a single kink wherever it lies.
class FiniteDifference {
public:
    static constexpr double kRetryFraction = 0.25; // of the step, when neither side keeps the regime
    static constexpr int kAttempts = 4;            // the step, then a quarter of the last, three times
    static constexpr double kKinkFactor = 1.5;

    // `probe(offset)` gives the Sample at the base point moved by `offset` along one direction.
    template <int N, class Probe>
    static std::array<Estimate, N> differentiate(const Sample<N>& base, double step, Probe&& probe) {
        DerivativeIssue issue = DerivativeIssue::RegimeChange;
        for (int attempt = 0; attempt < kAttempts; ++attempt, step *= kRetryFraction) {
            const Sample<N> below = probe(-step);
            const Sample<N> above = probe(step);
            const Sample<N> farBelow = probe(-2.0 * step);
            const Sample<N> farAbove = probe(2.0 * step);
            const bool belowKeeps = keepsRegime(base, below) && keepsRegime(base, farBelow);
            const bool aboveKeeps = keepsRegime(base, above) && keepsRegime(base, farAbove);
            if (belowKeeps && aboveKeeps) {
                return central(base, {&farBelow, &below, &above, &farAbove}, step);
            }
            if (belowKeeps || aboveKeeps) {
                const double side = aboveKeeps ? step : -step;
                const Sample<N> farthest = probe(4.0 * side);
                if (keepsRegime(base, farthest)) {
                    return aboveKeeps ? oneSided(base, {&above, &farAbove, &farthest}, side)
                                      : oneSided(base, {&below, &farBelow, &farthest}, side);
                }
            }
            const bool allSolved = below.solved && above.solved && farBelow.solved && farAbove.solved;
            issue = allSolved ? DerivativeIssue::RegimeChange : DerivativeIssue::ProbeFailed;
        }
        std::array<Estimate, N> failed{};
        for (Estimate& estimate : failed) {
            estimate.issue = issue;
        }
        return failed;
    }

    template <int N> static bool keepsRegime(const Sample<N>& base, const Sample<N>& sample) {
        return sample.solved && base.regime.continuesInto(sample.regime);
    }

    // Samples at -2h, -h, +h, +2h.
    template <int N>
    static std::array<Estimate, N> central(const Sample<N>& base, const std::array<const Sample<N>*, 4>& at,
                                           double step) {
        std::array<Estimate, N> estimates{};
        for (int k = 0; k < N; ++k) {
            const double f0 = base.values[k];
            const double fm2 = at[0]->values[k];
            const double fm1 = at[1]->values[k];
            const double fp1 = at[2]->values[k];
            const double fp2 = at[3]->values[k];
            const double overStep = (fp1 - fm1) / (2.0 * step);
            const double overTwoSteps = (fp2 - fm2) / (4.0 * step);
            const double kink = std::abs((fp1 - 2.0 * f0 + fm1) - 0.25 * (fp2 - 2.0 * f0 + fm2)) / step;
            estimates[k].value = overStep;
            estimates[k].error = kKinkFactor * std::max(std::abs(overStep - overTwoSteps), kink);
        }
        return estimates;
    }

    // Samples at h, 2h and 4h, with `step` = h signed: positive for the points above the base.
    template <int N>
    static std::array<Estimate, N> oneSided(const Sample<N>& base, const std::array<const Sample<N>*, 3>& at,
                                            double step) {
        std::array<Estimate, N> estimates{};
        for (int k = 0; k < N; ++k) {
            const double f0 = base.values[k];
            const double f1 = at[0]->values[k];
            const double f2 = at[1]->values[k];
            const double f4 = at[2]->values[k];
            const double overStep = (-3.0 * f0 + 4.0 * f1 - f2) / (2.0 * step);
            const double overTwoSteps = (-3.0 * f0 + 4.0 * f2 - f4) / (4.0 * step);
            estimates[k].value = overStep;
            estimates[k].error = kKinkFactor * std::abs(overStep - overTwoSteps);
        }
        return estimates;
    }
};

} // namespace rollbite
