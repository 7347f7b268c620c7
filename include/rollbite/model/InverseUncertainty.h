#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include <cmath>
#include <limits>

namespace rollbite {

// How well the measured force and forward slip of an inverse pass are known: standard deviations.
struct MeasurementUncertainty {
    static constexpr double kDefaultForcePercent = 1.0; // a load cell's accuracy, percent of the reading
    static constexpr double kDefaultSlip = 0.2;         // percentage points of forward slip

    // The largest deviations taken: a measurement known worse than that is no measurement. Percent of
    // the measured force; 9.81 N/mm, the largest force a pass may have; percentage points of slip.
    static constexpr double kLargestForcePercent = 100.0;
    static constexpr double kLargestForce = 5000.0;
    static constexpr double kLargestSlip = 100.0;

    double force = kDefaultForcePercent; // in percent of the measured force, or in 9.81 N/mm (below)
    bool forceInPercent = true;
    double slip = kDefaultSlip; // percentage points

    // The standard deviation of a measured force (9.81 N/mm).
    double forceDeviation(double measuredForce) const {
        return forceInPercent ? force * 0.01 * measuredForce : force;
    }
    // True when both deviations are positive and within their largest values (NaN is not).
    bool valid() const {
        return force > 0.0 && force <= (forceInPercent ? kLargestForcePercent : kLargestForce) &&
               slip > 0.0 && slip <= kLargestSlip;
    }
};

// How well the offset yield stress and the friction identified from one inverse pass are known, to first
// order: the Jacobian of the model's force and slip by the two at the pair found (the roll flattened by
// the measured force, as in the search), and the measurement's standard deviations carried through it.
// NaN where the pass has no result or a derivative cannot be given to 1 %.
struct InverseUncertainty {
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    // Above this condition number the pair is flagged: the Jacobian's largest singular value is about 1
    // (the force follows the flow stress), so in its worst direction a relative error of the measurement
    // of 1 %, a load cell's accuracy, then moves the pair by more than 20 % of its own scale: flow stress
    // and friction are no longer told apart (docs/sensitivities.md).
    static constexpr double kConditionLimit = 20.0;
    // Above this the first order is flagged as not holding: at one standard deviation of the pair the
    // model departs from its tangent by more than one standard deviation of the measurement. Up to it the
    // spread of re-identified noisy passes matched the propagated one within 15 % (docs/sensitivities.md).
    static constexpr double kNonlinearityLimit = 1.0;

    bool computed = false; // false: the pass has no result, every number is NaN

    // The Jacobian: 9.81 N/mm per MPa, 9.81 N/mm per unit of friction, percent per MPa, percent per unit.
    double dForce_dOffset = kNaN;
    double dForce_dFriction = kNaN;
    double dSlip_dOffset = kNaN;
    double dSlip_dFriction = kNaN;
    // Condition number of the Jacobian made relative: rows over the measured force and slip, columns
    // times the mean flow stress of the bite and the friction found.
    double conditionNumber = kNaN;

    double forceDeviation = kNaN; // the measurement's standard deviations used, 9.81 N/mm and percent
    double slipDeviation = kNaN;
    double offsetDeviation = kNaN;   // MPa
    double frictionDeviation = kNaN; // no unit
    double correlation = kNaN;       // of the offset and the friction found, -1 to 1
    // Largest departure of the model from its tangent at the pair one standard deviation away, in
    // standard deviations of the measurement.
    double nonlinearity = kNaN;

    // What a user should not trust.
    bool negativeOffset = false;   // the offset yield stress found is below zero
    bool frictionAtBound = false;  // the measured slip is beyond the model's reach: the friction was held
                                   // at the sticking limit and the slip is not reproduced
    bool illConditioned = false;   // conditionNumber above kConditionLimit
    bool beyondFirstOrder = false; // nonlinearity above kNonlinearityLimit, or the model fails there
    bool unmatched = false;        // the pair found does not reproduce the measured force and slip

    // A second pair (offset, friction) that reproduces the same measured force and slip, NaN when none
    // was found; secondNearer when it lies nearer the search's starting values than the pair found. When
    // the pair found misses the measured slip and no pair meets it, the pair that gives the measured force
    // and comes nearest the slip, with what it misses by (secondSlipGap, percent; 0 for an exact pair).
    double secondOffset = kNaN;
    double secondFriction = kNaN;
    double secondSlipGap = kNaN;
    bool secondNearer = false;

    bool hasSecondPair() const { return secondFriction == secondFriction; }
    // True when the deviations and the correlation of the pair are numbers (not NaN, not infinite).
    bool finiteFigures() const {
        return std::isfinite(offsetDeviation) && std::isfinite(frictionDeviation) &&
               std::isfinite(correlation);
    }
    bool trusted() const {
        return computed && finiteFigures() && !negativeOffset && !frictionAtBound && !illConditioned &&
               !beyondFirstOrder && !unmatched && !hasSecondPair();
    }
};

} // namespace rollbite
