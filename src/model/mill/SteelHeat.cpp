#include "model/mill/SteelHeat.h"

#include <cmath>
#include <limits>

namespace rollbite {

namespace {

// The branches of the specific heat (C): ferrite and pearlite, towards the transformation, after it,
// austenite.
constexpr double kRoom = 20.0;
constexpr double kFirstBend = 600.0;
constexpr double kTransformation = 735.0;
constexpr double kAustenite = 900.0;

// The antiderivative of each branch, without its constant.
double rising(double t) {
    return 425.0 * t + 0.773 / 2.0 * t * t - 1.69e-3 / 3.0 * t * t * t + 2.22e-6 / 4.0 * t * t * t * t;
}
double towardsPeak(double t) {
    return 666.0 * t - 13002.0 * std::log(738.0 - t);
}
double afterPeak(double t) {
    return 545.0 * t + 17820.0 * std::log(t - 731.0);
}
double austenite(double t) {
    return 650.0 * t;
}

} // namespace

double SteelHeat::specificHeat(double celsius) {
    const double t = celsius;
    if (t < kFirstBend) {
        return 425.0 + 0.773 * t - 1.69e-3 * t * t + 2.22e-6 * t * t * t;
    }
    if (t < kTransformation) {
        return 666.0 + 13002.0 / (738.0 - t);
    }
    if (t < kAustenite) {
        return 545.0 + 17820.0 / (t - 731.0);
    }
    return 650.0;
}

double SteelHeat::enthalpy(double celsius) {
    // Each branch joined to the one before it at their common temperature.
    const double first = rising(kFirstBend) - rising(kRoom);
    const double second = first + towardsPeak(kTransformation) - towardsPeak(kFirstBend);
    const double third = second + afterPeak(kAustenite) - afterPeak(kTransformation);
    const double t = celsius;
    if (t < kFirstBend) {
        return rising(t) - rising(kRoom);
    }
    if (t < kTransformation) {
        return first + towardsPeak(t) - towardsPeak(kFirstBend);
    }
    if (t < kAustenite) {
        return second + afterPeak(t) - afterPeak(kTransformation);
    }
    return third + austenite(t) - austenite(kAustenite);
}

double SteelHeat::temperatureOf(double enthalpy, double guess) {
    // Newton's steps on a function that rises everywhere; a step that leaves the branch's domain is
    // halved back, so the iterate stays where the enthalpy is defined.
    constexpr double kTolerance = 1e-9; // C
    constexpr int kMaxSteps = 60;
    if (!std::isfinite(enthalpy) || !std::isfinite(guess)) {
        return std::numeric_limits<double>::quiet_NaN(); // no temperature to find
    }
    double t = guess;
    for (int step = 0; step < kMaxSteps; ++step) {
        double change = (enthalpy - SteelHeat::enthalpy(t)) / specificHeat(t);
        for (int halving = 0; halving < kMaxSteps && !std::isfinite(SteelHeat::enthalpy(t + change));
             ++halving) {
            change *= 0.5;
        }
        t += change;
        if (std::abs(change) < kTolerance) {
            break;
        }
    }
    return t;
}

} // namespace rollbite
