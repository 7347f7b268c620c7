#include "model/learning/StandLearner.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace rollbite {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPercent = 100.0;
constexpr double kKilo = 1e3;              // N per kN
constexpr double kNewtonMillimetre = 1e-6; // kN m per N mm
// The model's range of a force (9.81 N/mm, both bounds excluded) and of a friction coefficient, which a
// learnt friction keeps a little inside.
constexpr double kLowestForce = 150.0;
constexpr double kHighestForce = 5000.0;
constexpr double kLowestFriction = 0.1001;
constexpr double kHighestFriction = 0.9999;

std::string number(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// `value` moved towards `target` by `gain`, by at most `step`, and kept within [low, high].
double smoothed(double value, double target, double gain, double step, double low, double high) {
    const double change = std::clamp(gain * (target - value), -step, step);
    return std::clamp(value + change, low, high);
}

// True when two passes hold the same numbers (of a direct entry line, the same record, and with a law the
// same law and conditions): a solve depends on them alone.
bool sameSetup(const CaseInputs& a, const CaseInputs& b) {
    for (int k = 0; k < kDirectEntryFields - 1; ++k) {
        if (!(a.value(k) == b.value(k))) {
            return false;
        }
    }
    return a.coefficients == b.coefficients && a.law == b.law && a.extrapolate == b.extrapolate &&
           a.Strain_in == b.Strain_in && a.TemperatureIn == b.TemperatureIn &&
           a.TemperatureOut == b.TemperatureOut && a.Strip_speed == b.Strip_speed &&
           a.Flow_stress_factor == b.Flow_stress_factor;
}

} // namespace

StandLearner::StandLearner(std::string name, RheologyKind rheology, const LearnerSettings& settings)
    : name_(std::move(name)), rheology_(rheology), settings_(settings), friction_(kNaN), freshFriction_(kNaN),
      direct_(kDirectMode, rheology), inverse_(rheology) {
    inverse_.setScreenOnly(true);
}

CaseInputs StandLearner::scaled(const CaseInputs& setup, double factor, double friction) const {
    // Constant: the offset is the flow stress. Smatch: (1 - c exp(-d e)) (a + b e) + offset, a multiple
    // of the law when a, b and the offset are. A flow-stress law: factor x law + offset, likewise.
    CaseInputs pass = setup;
    pass.Offset_yield_stress = setup.Offset_yield_stress * factor;
    if (rheology_ == kSmatchRheology) {
        pass.coefficients[0] = setup.coefficients[0] * factor;
        pass.coefficients[1] = setup.coefficients[1] * factor;
    } else if (rheology_ == kLawRheology) {
        pass.Flow_stress_factor = setup.Flow_stress_factor * factor;
    }
    pass.Friction_coefficient = friction;
    return pass;
}

double StandLearner::forceOf(const CaseResult& row, double width) {
    return row.Rolling_Force * kForceUnit * width / kKilo; // 9.81 N/mm x mm -> kN
}

double StandLearner::torqueOf(const CaseResult& row, double width) {
    return row.Rolling_Torque * kForceUnit * width * kNewtonMillimetre; // N mm -> kN m
}

StandReplay StandLearner::replay(const StandPass& pass) {
    StandReplay said;
    said.stand = name_;
    said.productClass = pass.productClass;
    said.rollChange = pass.rollChange;
    said.measuredFactor = kNaN;
    said.measuredFriction = kNaN;
    if (pass.rollChange) {
        // New rolls: the short-term state of the worn ones goes, for what new rolls have shown before.
        shortTerm_ = freshShortTerm_;
        friction_ = freshFriction_;
    }
    said.firstOfClass = lastClass_ != pass.productClass;
    lastClass_ = pass.productClass;
    predict(pass, said);
    Measured measured{kNaN, kNaN};
    if (said.error == VOID && measure(pass, said, measured)) {
        learn(pass, measured, said);
    }
    return said;
}

void StandLearner::predict(const StandPass& pass, StandReplay& said) {
    const auto known = longTerm_.find(pass.productClass);
    said.longTerm = known == longTerm_.end() ? 1.0 : known->second;
    said.shortTerm = shortTerm_;
    said.factor = std::clamp(said.longTerm * said.shortTerm, settings_.lowestFactor, settings_.highestFactor);
    said.friction = std::isnan(friction_) ? pass.setup.Friction_coefficient : friction_;
    // A stand set up as for its last coil gives the same frozen pass: a solve depends on its inputs alone.
    if (!frozenKnown_ || !sameSetup(pass.setup, frozenSetup_)) {
        frozenSetup_ = pass.setup;
        frozen_ = direct_.solve(pass.setup);
        frozenKnown_ = true;
    }
    const CaseResult& frozen = frozen_;
    said.frozenForce = frozen.errorCode == VOID ? forceOf(frozen, pass.width) : kNaN;
    said.error = frozen.errorCode;
    said.reason = frozen.reason;
    const CaseResult& predicted = direct_.solve(scaled(pass.setup, said.factor, said.friction));
    if (predicted.errorCode != VOID || said.error == VOID) {
        said.error = predicted.errorCode;
        said.reason = predicted.reason;
    }
    said.predictedForce = predicted.errorCode == VOID ? forceOf(predicted, pass.width) : kNaN;
    said.predictedSlip = predicted.errorCode == VOID ? predicted.Forward_Slip : kNaN;
    said.predictedTorque = predicted.errorCode == VOID ? torqueOf(predicted, pass.width) : kNaN;
    said.forceError = (said.predictedForce / pass.measuredForce - 1.0) * kPercent;
    said.frozenError = (said.frozenForce / pass.measuredForce - 1.0) * kPercent;
}

bool StandLearner::measure(const StandPass& pass, StandReplay& said, Measured& measured) {
    const double force = pass.measuredForce;
    if (!(force > 0.0) || !std::isfinite(force)) {
        said.screened = "no force was measured";
        said.forceScreened = true;
        return false;
    }
    const double perWidth = force * kKilo / (kForceUnit * pass.width); // 9.81 N/mm
    if (!(perWidth > kLowestForce && perWidth < kHighestForce)) {
        said.screened = "the measured force is outside the model's range (150 to 5000 x 9.81 N/mm)";
        said.forceScreened = true;
        return false;
    }
    if (!withinScreen(force / said.predictedForce - 1.0, said)) {
        return false;
    }
    measured.friction = kNaN;
    if (!std::isnan(pass.measuredSlip) && measureFriction(pass, said, measured)) {
        // The factor that gives the measured force with the friction the stand goes on with.
        const double friction = smoothed(said.friction, measured.friction, settings_.frictionGain,
                                         settings_.frictionStep, kLowestFriction, kHighestFriction);
        measured.factor = factorForForce(pass, said, friction);
        return std::isfinite(measured.factor);
    }
    measured.factor = factorForForce(pass, said, said.friction);
    return std::isfinite(measured.factor);
}

bool StandLearner::withinScreen(double departure, StandReplay& said) {
    const int side = departure > 0.0 ? 1 : -1;
    const double percent = std::abs(departure) * kPercent;
    if (percent <= settings_.forceScreen) {
        beyondScreen_ = 0;
        return true;
    }
    // One measurement far off is a wrong one; several in a row on the same side say the model is off.
    beyondScreen_ = beyondScreen_ * side > 0 ? beyondScreen_ + side : side;
    if (std::abs(beyondScreen_) >= settings_.screenPatience) {
        beyondScreen_ = side * settings_.screenPatience;
        return true;
    }
    said.screened = "the measured force lies " + number("%.1f", percent) +
                    " % from the prediction, beyond the screen of " + number("%g", settings_.forceScreen) +
                    " %";
    said.forceScreened = true;
    return false;
}

bool StandLearner::measureFriction(const StandPass& pass, StandReplay& said, Measured& measured) {
    const double slipDeparture = std::abs(pass.measuredSlip - said.predictedSlip);
    if (!(slipDeparture <= settings_.slipScreen)) {
        said.screened = "the measured slip lies " + number("%.2f", slipDeparture) +
                        " points from the prediction, beyond the screen: the factor alone is learnt";
        return false;
    }
    CaseInputs inputs = scaled(pass.setup, said.factor, said.friction);
    inputs.Force = pass.measuredForce * kKilo / (kForceUnit * pass.width);
    inputs.Slip = pass.measuredSlip;
    // The inverse takes a law's strip speed at the exit, the roll's times the slip measured.
    inputs.Strip_speed = pass.setup.Strip_speed * (1.0 + pass.measuredSlip / kPercent);
    const CaseResult& found = inverse_.solve(inputs, MeasurementUncertainty());
    const InverseUncertainty& known = inverse_.uncertainty;
    std::string why;
    if (found.errorCode != VOID) {
        why = "the inverse pair has no result (" + found.reason + ")";
    } else if (known.unmatched || known.frictionAtBound) {
        why = "the inverse pair does not reproduce the measured force and slip";
    } else if (!(known.conditionNumber <= settings_.conditionLimit)) {
        why = "the inverse pair is ill-conditioned (condition " + number("%.1f", known.conditionNumber) + ")";
    } else if (!(found.Sigma_Moy > 0.0)) {
        why = "the inverse pair has no positive flow stress";
    }
    if (!why.empty()) {
        said.screened = why + ": the factor alone is learnt";
        return false;
    }
    measured.friction = found.Friction;
    return true;
}

double StandLearner::factorForForce(const StandPass& pass, const StandReplay& said, double friction) {
    // The force is nearly proportional to the factor: one step from the prediction, then, at the
    // prediction's friction, a secant through both, else the same proportion again.
    const double force = pass.measuredForce;
    const double first = said.factor * force / said.predictedForce;
    const CaseResult& trial = direct_.solve(scaled(pass.setup, first, friction));
    if (trial.errorCode != VOID) {
        return first;
    }
    const double trialForce = forceOf(trial, pass.width);
    if (friction != said.friction) {
        return first * force / trialForce;
    }
    const double slope = (trialForce - said.predictedForce) / (first - said.factor);
    return std::isfinite(slope) && slope > 0.0 ? first + (force - trialForce) / slope : first;
}

void StandLearner::learn(const StandPass& pass, const Measured& measured, StandReplay& said) {
    const LearnerSettings& s = settings_;
    const double factor = std::clamp(measured.factor, s.lowestFactor, s.highestFactor);
    said.measuredFactor = factor;
    // Short-term: what the long-term value of the class leaves; long-term: the factor itself, slowly.
    shortTerm_ = smoothed(shortTerm_, factor / said.longTerm, s.shortGain, s.shortStep, s.lowestFactor,
                          s.highestFactor);
    longTerm_[pass.productClass] =
        smoothed(said.longTerm, factor, s.longGain, s.longStep, s.lowestFactor, s.highestFactor);
    if (!std::isnan(measured.friction)) {
        said.measuredFriction = measured.friction;
        friction_ = smoothed(said.friction, measured.friction, s.frictionGain, s.frictionStep,
                             kLowestFriction, kHighestFriction);
    }
    if (pass.rollChange) {
        // The first coil of new rolls: what they start from next time.
        freshShortTerm_ = smoothed(freshShortTerm_, factor / said.longTerm, s.freshGain, s.shortStep,
                                   s.lowestFactor, s.highestFactor);
        if (!std::isnan(measured.friction)) {
            const double fresh =
                std::isnan(freshFriction_) ? pass.setup.Friction_coefficient : freshFriction_;
            freshFriction_ = smoothed(fresh, measured.friction, s.freshGain, s.frictionStep, kLowestFriction,
                                      kHighestFriction);
        }
    }
}

LearnerState::Stand StandLearner::shortTermState() const {
    LearnerState::Stand state;
    state.name = name_;
    state.shortTerm = shortTerm_;
    state.friction = friction_;
    state.lastClass = lastClass_;
    state.freshShortTerm = freshShortTerm_;
    state.freshFriction = freshFriction_;
    state.beyondScreen = beyondScreen_;
    return state;
}

void StandLearner::setShortTerm(const LearnerState::Stand& state) {
    shortTerm_ = state.shortTerm;
    friction_ = state.friction;
    lastClass_ = state.lastClass;
    freshShortTerm_ = state.freshShortTerm;
    freshFriction_ = state.freshFriction;
    beyondScreen_ = state.beyondScreen;
}

} // namespace rollbite
