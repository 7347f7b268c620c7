#include "model/numerics/DecreasingRoot.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace rollbite {

namespace {

constexpr double kLargestGrowth = 4.0; // a step grows at most fourfold while the bracket is sought
constexpr double kDoubling = 2.0;
constexpr double kWallStep = 0.25; // from a start that cannot be evaluated: a quarter of the interval
// A regula falsi point this close to an end of the bracket (as a fraction of it) is replaced by the
// midpoint: it would shrink the bracket too little.
constexpr double kEndMargin = 1e-3;

} // namespace

DecreasingRoot::DecreasingRoot(std::function<double(double)> function, Limits limits)
    : function_(std::move(function)), limits_(limits) {}

DecreasingRoot::Probe DecreasingRoot::probe(double x) {
    Probe p{x, function_(x)};
    ++result_.probes;
    const bool nearer =
        std::abs(p.value) < std::abs(result_.best.value) || !std::isfinite(result_.best.value);
    if (std::isfinite(p.value) && nearer) {
        result_.best = p;
    }
    return p;
}

bool DecreasingRoot::done(const Probe& p) const {
    return std::abs(p.value) <= limits_.tolerance;
}

DecreasingRoot::Result DecreasingRoot::find(double start, double stepPerValue, double low, double high) {
    result_ = Result();
    result_.best = {std::clamp(start, low, high), INFINITY};
    const Probe first = probe(std::clamp(start, low, high));
    if (done(first)) {
        result_.outcome = Outcome::Met;
        return result_;
    }
    const double firstStep =
        std::isfinite(first.value) ? std::abs(first.value * stepPerValue) : kWallStep * (high - low);
    return bracketAndClose(first, firstStep, low, high);
}

DecreasingRoot::Result DecreasingRoot::bracketAndClose(Probe previous, double step, double low, double high) {
    // A positive value: the root lies at larger x.
    while (result_.probes < limits_.probes) {
        const bool upward = previous.value > 0.0;
        if (upward && previous.x >= high) {
            result_.outcome = Outcome::AboveAtHigh;
            return result_;
        }
        if (!upward && previous.x <= low) {
            result_.outcome = Outcome::BelowAtLow;
            return result_;
        }
        const double x = std::clamp(previous.x + (upward ? step : -step), low, high);
        const Probe next = probe(x);
        if (done(next)) {
            result_.outcome = Outcome::Met;
            return result_;
        }
        if ((next.value > 0.0) != upward) {
            return upward ? close(previous, next) : close(next, previous);
        }
        const double taken = std::abs(x - previous.x);
        double secant = kDoubling * taken;
        if (std::isfinite(next.value) && std::isfinite(previous.value) && next.value != previous.value) {
            secant = std::abs(next.value * (x - previous.x) / (next.value - previous.value));
        }
        step = std::clamp(secant, taken, kLargestGrowth * taken);
        previous = next;
    }
    result_.outcome = Outcome::Closest;
    return result_;
}

DecreasingRoot::Result DecreasingRoot::close(Probe above, Probe below) {
    // above.x < below.x, above.value > 0 > below.value. The Illinois weights halve the value kept at an
    // end that stays twice in a row, so that regula falsi does not stall on one side.
    double aboveWeight = above.value;
    double belowWeight = below.value;
    int lastSide = 0;
    while (result_.probes < limits_.probes && below.x - above.x > limits_.width) {
        double x = 0.5 * (above.x + below.x);
        if (std::isfinite(aboveWeight) && std::isfinite(belowWeight)) {
            const double falsi =
                (above.x * belowWeight - below.x * aboveWeight) / (belowWeight - aboveWeight);
            const double margin = kEndMargin * (below.x - above.x);
            if (falsi > above.x + margin && falsi < below.x - margin) {
                x = falsi;
            }
        }
        const Probe p = probe(x);
        if (done(p)) {
            result_.outcome = Outcome::Met;
            return result_;
        }
        if (p.value > 0.0) {
            above = p;
            aboveWeight = p.value;
            belowWeight *= lastSide == 1 ? 0.5 : 1.0;
            lastSide = 1;
        } else {
            below = p;
            belowWeight = p.value;
            aboveWeight *= lastSide == -1 ? 0.5 : 1.0;
            lastSide = -1;
        }
    }
    result_.outcome = Outcome::Closest;
    return result_;
}

} // namespace rollbite
