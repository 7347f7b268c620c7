#pragma once

#include <functional>

namespace rollbite {

// A root of a function known to decrease, found by bracketing: steps from a start until the sign
// changes (secant steps, growing at most fourfold), then regula falsi with the Illinois modification,
// bisection where an end is a wall. A bracket only shrinks, so the search never cycles, also across a
// jump of the function: it then closes on the jump and gives the probe nearest zero.
//
// The function may answer +infinity or -infinity for a point it cannot evaluate: +infinity where the
// root lies at larger x (the point is left of the root), -infinity where it lies at smaller x.
class DecreasingRoot {
public:
    struct Probe {
        double x = 0.0;
        double value = 0.0;
    };
    enum class Outcome {
        Met,         // |value| within the tolerance
        Closest,     // the bracket closed (a jump or a wall) or the probes ran out: the probe nearest zero
        AboveAtHigh, // the value is still positive at the upper bound: the root lies beyond it
        BelowAtLow,  // the value is still negative at the lower bound
    };
    struct Limits {
        double tolerance = 0.0; // on |value|
        double width = 0.0;     // of a bracket that counts as closed
        int probes = 0;         // at most
    };
    struct Result {
        Outcome outcome = Outcome::Met;
        Probe best;     // the finite probe nearest zero (x is the start when none was finite)
        int probes = 0; // evaluations made
    };

    DecreasingRoot(std::function<double(double)> function, Limits limits);

    // From `start` (clamped to [low, high]); the first step, in the direction the value's sign gives, is
    // `stepPerValue` times the magnitude of the first value (a guess of the inverse slope).
    Result find(double start, double stepPerValue, double low, double high);

private:
    Probe probe(double x);
    bool done(const Probe& p) const;
    Result bracketAndClose(Probe previous, double step, double low, double high);
    Result close(Probe above, Probe below);

    std::function<double(double)> function_;
    Limits limits_;
    Result result_;
};

} // namespace rollbite
