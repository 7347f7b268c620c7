#pragma once

#include "model/bite/BiteRegime.h"
#include "rollbite/model/PassSensitivities.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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
//
// The derivative of a direct pass is the slope over its step. Where a point of the slab march next to the
// neutral point changes its row, or a switch point its cell, the slope kinks; such kinks may come a few
// hundredths of a percent of the input apart, the slope between two of them several percent off the slope
// over the step. A shortened step that fits between two kinks measures that local slope, and its own
// differences cannot tell. So, when asked (ShortenedStep), a value from a shortened step is held to the
// differences over the full step whose neighbours stick on the same sides as the base point, whatever their
// cells: central, and one-sided on either side (a jump of the torque on one side leaves the other side's
// slope). Its bound is at least the least of their disagreements with it, each plus the bound of that
// difference. Where sticking starts or stops within the full step on both sides, or the output jumps
// there, there is no slope over it to hold the value to.
class FiniteDifference {
public:
    // What a value from a shortened step is held to: nothing (the Jacobian of an inverse pair), or the
    // differences over the full step (the derivatives of a direct pass).
    enum class ShortenedStep { AsItIs, HeldToTheFullStep };

    static constexpr double kRetryFraction = 0.25; // of the step, when neither side keeps the regime
    static constexpr int kAttempts = 4;            // the step, then a quarter of the last, three times
    static constexpr double kKinkFactor = 1.5;
    // A difference over the full step whose bound is above this share of it straddles a jump of the output
    // (a switch point past the neutral point moving to another cell), not a ripple of its slope: no value is
    // held to it.
    static constexpr double kJumpShare = 0.1;

    // `probe(offset)` gives the Sample at the base point moved by `offset` along one direction.
    template <int N, class Probe>
    static std::array<Estimate, N> differentiate(const Sample<N>& base, double step, Probe&& probe,
                                                 ShortenedStep shortened = ShortenedStep::AsItIs) {
        const double fullStep = step;
        Stencil<N> full{}; // the neighbours at the full step
        DerivativeIssue issue = DerivativeIssue::RegimeChange;
        for (int attempt = 0; attempt < kAttempts; ++attempt, step *= kRetryFraction) {
            const Sample<N> below = probe(-step);
            const Sample<N> above = probe(step);
            const Sample<N> farBelow = probe(-2.0 * step);
            const Sample<N> farAbove = probe(2.0 * step);
            if (attempt == 0) {
                full = {farBelow, below, above, farAbove};
            }
            const bool belowKeeps = keepsRegime(base, below) && keepsRegime(base, farBelow);
            const bool aboveKeeps = keepsRegime(base, above) && keepsRegime(base, farAbove);
            std::array<Estimate, N> estimates{};
            bool found = belowKeeps && aboveKeeps;
            if (found) {
                estimates = central(base, {&farBelow, &below, &above, &farAbove}, step);
            } else if (belowKeeps || aboveKeeps) {
                const double side = aboveKeeps ? step : -step;
                const Sample<N> farthest = probe(4.0 * side);
                found = keepsRegime(base, farthest);
                if (found) {
                    estimates = aboveKeeps ? oneSided(base, {&above, &farAbove, &farthest}, side)
                                           : oneSided(base, {&below, &farBelow, &farthest}, side);
                }
            }
            if (found) {
                const bool held = attempt > 0 && shortened == ShortenedStep::HeldToTheFullStep;
                return held ? heldToTheFullStep<N>(estimates, base, full, fullStep, probe) : estimates;
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

    // The neighbours at -2h, -h, +h, +2h.
    template <int N> using Stencil = std::array<Sample<N>, 4>;

    // The estimates of a shortened step, each bound widened to the least disagreement of its value with a
    // difference over the full step (plus that difference's bound): central, and one-sided on each side,
    // from neighbours that stick on the same sides as the base point, whatever their cells, and not across a
    // jump. As they are when there is no such difference.
    template <int N, class Probe>
    static std::array<Estimate, N> heldToTheFullStep(std::array<Estimate, N> estimates, const Sample<N>& base,
                                                     const Stencil<N>& full, double fullStep, Probe& probe) {
        const auto sticksAlike = [&base](const Sample<N>& sample) {
            return sample.solved && base.regime.sticksOnTheSameSidesAs(sample.regime);
        };
        const bool belowAlike = sticksAlike(full[0]) && sticksAlike(full[1]);
        const bool aboveAlike = sticksAlike(full[2]) && sticksAlike(full[3]);
        std::array<double, N> disagreement{};
        disagreement.fill(std::numeric_limits<double>::infinity());
        const auto compare = [&](const std::array<Estimate, N>& wide) {
            for (int k = 0; k < N; ++k) {
                if (wide[k].error <= kJumpShare * std::abs(wide[k].value)) {
                    disagreement[k] = std::min(disagreement[k],
                                               std::abs(estimates[k].value - wide[k].value) + wide[k].error);
                }
            }
        };
        if (belowAlike && aboveAlike) {
            compare(central(base, {&full[0], &full[1], &full[2], &full[3]}, fullStep));
        }
        for (const double side : {fullStep, -fullStep}) {
            const bool above = side > 0.0;
            if (above ? aboveAlike : belowAlike) {
                const Sample<N> farthest = probe(4.0 * side);
                if (sticksAlike(farthest)) {
                    compare(above ? oneSided(base, {&full[2], &full[3], &farthest}, side)
                                  : oneSided(base, {&full[1], &full[0], &farthest}, side));
                }
            }
        }
        for (int k = 0; k < N; ++k) {
            if (std::isfinite(disagreement[k])) {
                estimates[k].error = std::max(estimates[k].error, disagreement[k]);
            }
        }
        return estimates;
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
