#include "model/analysis/InverseAnalysis.h"

#include "model/analysis/SecondPairSearch.h"
#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rollbite {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// True when every estimate is within the tolerance of its value, or of a derivative too small to matter.
template <std::size_t N>
bool accurate(const std::array<Estimate, N>& estimates, const std::array<double, N>& values, double scale) {
    for (std::size_t k = 0; k < N; ++k) {
        const double negligible = InverseAnalysis::kSmallElasticity * std::abs(values[k]) / scale;
        if (estimates[k].issue != DerivativeIssue::None ||
            !(estimates[k].error <=
              InverseAnalysis::kTolerance * std::max(std::abs(estimates[k].value), negligible))) {
            return false;
        }
    }
    return true;
}

// Singular values of a 2 x 2 matrix: their ratio.
double conditionOf(double a, double b, double c, double d) {
    const double squares = a * a + b * b + c * c + d * d;
    const double determinant = std::abs(a * d - b * c);
    if (!(determinant > 0.0)) {
        return kInfinity;
    }
    const double largestSquared =
        0.5 * (squares + std::sqrt(std::max(squares * squares - 4.0 * determinant * determinant, 0.0)));
    return largestSquared / determinant;
}

} // namespace

InverseAnalysis::InverseAnalysis(int rheologyKind) : case_(rheologyKind) {}

const CaseResult& InverseAnalysis::solve(const CaseInputs& inputs,
                                         const MeasurementUncertainty& measurement) {
    const CaseResult& solved = case_.computeCase(inputs);
    uncertainty = InverseUncertainty();
    if (solved.errorCode == VOID) {
        foundOffset_ = usesLaw()
                           ? solved.Flow_stress_factor * case_.modelHandler.Law_rheology.Reference_stress
                           : solved.OffsetYield;
        analyse(inputs, measurement);
        if (usesLaw()) {
            expressByFactor();
        }
    }
    return solved;
}

bool InverseAnalysis::usesLaw() const {
    return case_.modelHandler.Rheology_kind == kLawRheology;
}

void InverseAnalysis::expressByFactor() {
    // y = factor x reference: dX/dfactor = dX/dy x reference, and the factor's deviation y's over it.
    const double reference = case_.modelHandler.Law_rheology.Reference_stress;
    InverseUncertainty& u = uncertainty;
    u.dForce_dOffset *= reference;
    u.dSlip_dOffset *= reference;
    u.offsetDeviation /= reference;
    u.secondOffset /= reference;
}

InverseAnalysis::Point InverseAnalysis::evaluate(double offset, double friction, double measuredForce) {
    ModelHandler& handler = case_.modelHandler;
    const double force = handler.Back_inputs.Force;
    handler.Back_inputs.Force = measuredForce;
    Point point;
    const int status = handler.evaluateInverseAt(offset, friction, point.values[kForce], point.values[kSlip]);
    handler.Back_inputs.Force = force;
    point.regime = BiteRegime::of(handler.Bite_model);
    point.solved = status == 0 && std::isfinite(point.values[kForce]) && std::isfinite(point.values[kSlip]);
    return point;
}

void InverseAnalysis::analyse(const CaseInputs& inputs, const MeasurementUncertainty& measurement) {
    const CaseResult& found = case_.result;
    uncertainty.computed = true;
    uncertainty.forceDeviation = measurement.forceDeviation(inputs.Force);
    uncertainty.slipDeviation = measurement.slip;
    uncertainty.negativeOffset = foundOffset_ < 0.0;
    uncertainty.unmatched = std::abs(found.computedForce - inputs.Force) > kForceTolerance ||
                            std::abs(found.computedSlip - inputs.Slip) > kSlipTolerance;
    flagBounds(inputs.Force, inputs.Slip);
    if (screenOnly_) {
        screenCondition(inputs.Force, inputs.Slip);
        return;
    }
    Jacobian jacobian{};
    if (differentiate(inputs.Force, jacobian)) {
        propagate(jacobian, inputs.Force, inputs.Slip);
        if (!uncertainty.frictionAtBound && !uncertainty.unmatched) {
            checkFirstOrder(jacobian, inputs.Force);
        }
    }
    SecondPairSearch search(*this, inputs.Force, inputs.Slip, found.Sigma_Moy);
    const double startOffset =
        usesLaw() ? inputs.Flow_stress_factor * case_.modelHandler.Law_rheology.Reference_stress
                  : inputs.Offset_yield_stress;
    const SecondPairSearch::Pair start{startOffset, inputs.Friction_coefficient};
    SecondPairSearch::Pair second{};
    double secondSlipGap = 0.0;
    const SecondPairSearch::Pair pair{foundOffset_, found.Friction};
    if (search.find(pair, found.computedSlip - inputs.Slip, start, jacobian.forceByOffset, second,
                    secondSlipGap)) {
        uncertainty.secondOffset = second.offset;
        uncertainty.secondFriction = second.friction;
        uncertainty.secondSlipGap = secondSlipGap;
        uncertainty.secondNearer = search.distance(second, start) < search.distance(pair, start);
    }
}

void InverseAnalysis::screenCondition(double measuredForce, double measuredSlip) {
    // One step forward in each: enough to tell a well-conditioned pair from one that is not.
    const double offset = foundOffset_;
    const double friction = case_.result.Friction;
    const double flowStress = case_.result.Sigma_Moy;
    const double offsetStep = kOffsetStep * flowStress;
    const double frictionStep = kFrictionStep * friction;
    const Point base = evaluate(offset, friction, measuredForce);
    const Point byOffset = evaluate(offset + offsetStep, friction, measuredForce);
    const Point byFriction = evaluate(offset, friction + frictionStep, measuredForce);
    if (!base.solved || !byOffset.solved || !byFriction.solved) {
        uncertainty.illConditioned = true; // no condition to tell
        return;
    }
    InverseUncertainty& u = uncertainty;
    u.dForce_dOffset = (byOffset.values[kForce] - base.values[kForce]) / offsetStep;
    u.dForce_dFriction = (byFriction.values[kForce] - base.values[kForce]) / frictionStep;
    u.dSlip_dOffset = (byOffset.values[kSlip] - base.values[kSlip]) / offsetStep;
    u.dSlip_dFriction = (byFriction.values[kSlip] - base.values[kSlip]) / frictionStep;
    u.conditionNumber = conditionOf(
        u.dForce_dOffset * flowStress / measuredForce, u.dForce_dFriction * friction / measuredForce,
        u.dSlip_dOffset * flowStress / measuredSlip, u.dSlip_dFriction * friction / measuredSlip);
    u.illConditioned = !(u.conditionNumber <= InverseUncertainty::kConditionLimit);
}

void InverseAnalysis::flagBounds(double measuredForce, double measuredSlip) {
    // The search holds the friction at the sticking limit when the measured slip is at or above the slip
    // of the largest friction.
    const Point ceiling = evaluate(foundOffset_, kFrictionCeiling, measuredForce);
    uncertainty.frictionAtBound = ceiling.solved && measuredSlip >= ceiling.values[kSlip];
}

bool InverseAnalysis::differentiate(double measuredForce, Jacobian& jacobian) {
    const double offset = foundOffset_;
    const double friction = case_.result.Friction;
    const double flowStress = case_.result.Sigma_Moy;
    const Point base = evaluate(offset, friction, measuredForce);
    if (!base.solved) {
        return false;
    }
    const auto byOffset =
        FiniteDifference::differentiate(base, stepScale_ * kOffsetStep * flowStress, [&](double step) {
            return evaluate(offset + step, friction, measuredForce);
        });
    const auto byFriction =
        FiniteDifference::differentiate(base, stepScale_ * kFrictionStep * friction, [&](double step) {
            return evaluate(offset, friction + step, measuredForce);
        });
    const auto byLoad =
        FiniteDifference::differentiate(base, stepScale_ * kLoadStep * measuredForce, [&](double step) {
            return evaluate(offset, friction, measuredForce + step);
        });
    jacobian = {byOffset[kForce].value,  byFriction[kForce].value, byOffset[kSlip].value,
                byFriction[kSlip].value, byLoad[kForce].value,     byLoad[kSlip].value};
    return accurate(byOffset, base.values, flowStress) && accurate(byFriction, base.values, friction) &&
           accurate(byLoad, base.values, measuredForce);
}

void InverseAnalysis::propagate(const Jacobian& j, double measuredForce, double measuredSlip) {
    InverseUncertainty& u = uncertainty;
    u.dForce_dOffset = j.forceByOffset;
    u.dForce_dFriction = j.forceByFriction;
    u.dSlip_dOffset = j.slipByOffset;
    u.dSlip_dFriction = j.slipByFriction;
    const double flowStress = case_.result.Sigma_Moy;
    const double friction = case_.result.Friction;
    u.conditionNumber = conditionOf(
        j.forceByOffset * flowStress / measuredForce, j.forceByFriction * friction / measuredForce,
        j.slipByOffset * flowStress / measuredSlip, j.slipByFriction * friction / measuredSlip);
    u.illConditioned = !(u.conditionNumber <= InverseUncertainty::kConditionLimit);
    if (u.frictionAtBound || u.unmatched) {
        return; // the slip is not reproduced: no two-parameter inverse to carry the errors through
    }
    const double determinant = j.forceByOffset * j.slipByFriction - j.forceByFriction * j.slipByOffset;
    // The pair's response to the measured force (which also flattens the roll) and to the measured slip.
    const double forceShare = 1.0 - j.forceByLoad;
    const double offsetByForce =
        (j.slipByFriction * forceShare + j.forceByFriction * j.slipByLoad) / determinant;
    const double offsetBySlip = -j.forceByFriction / determinant;
    const double frictionByForce =
        (-j.slipByOffset * forceShare - j.forceByOffset * j.slipByLoad) / determinant;
    const double frictionBySlip = j.forceByOffset / determinant;
    const double forceVariance = u.forceDeviation * u.forceDeviation;
    const double slipVariance = u.slipDeviation * u.slipDeviation;
    const double offsetVariance =
        offsetByForce * offsetByForce * forceVariance + offsetBySlip * offsetBySlip * slipVariance;
    const double frictionVariance =
        frictionByForce * frictionByForce * forceVariance + frictionBySlip * frictionBySlip * slipVariance;
    const double covariance =
        offsetByForce * frictionByForce * forceVariance + offsetBySlip * frictionBySlip * slipVariance;
    u.offsetDeviation = std::sqrt(offsetVariance);
    u.frictionDeviation = std::sqrt(frictionVariance);
    u.correlation = covariance / (u.offsetDeviation * u.frictionDeviation);
}

void InverseAnalysis::checkFirstOrder(const Jacobian& j, double measuredForce) {
    InverseUncertainty& u = uncertainty;
    if (!std::isfinite(u.offsetDeviation) || !std::isfinite(u.frictionDeviation)) {
        return;
    }
    const double offset = foundOffset_;
    const double friction = case_.result.Friction;
    const Point base = evaluate(offset, friction, measuredForce);
    // The principal axes of the pair's covariance: one standard deviation along each, both ways.
    const double a = u.offsetDeviation * u.offsetDeviation;
    const double c = u.frictionDeviation * u.frictionDeviation;
    const double b = u.correlation * u.offsetDeviation * u.frictionDeviation;
    const double middle = 0.5 * (a + c);
    const double spread = std::sqrt(0.25 * (a - c) * (a - c) + b * b);
    u.nonlinearity = 0.0;
    for (const double eigenvalue : {middle + spread, middle - spread}) {
        // An eigenvector of [[a, b], [b, c]]: (b, eigenvalue - a), or an axis when b vanishes.
        double dy = b;
        double dmu = eigenvalue - a;
        if (std::abs(dy) + std::abs(dmu) == 0.0) {
            dy = a >= c ? 1.0 : 0.0;
            dmu = a >= c ? 0.0 : 1.0;
        }
        const double length = std::sqrt(std::max(eigenvalue, 0.0)) / std::hypot(dy, dmu);
        for (const double side : {1.0, -1.0}) {
            const double stepOffset = side * length * dy;
            const double stepFriction = side * length * dmu;
            const Point moved = evaluate(offset + stepOffset, friction + stepFriction, measuredForce);
            if (!moved.solved || !base.solved) {
                u.nonlinearity = kInfinity;
                continue;
            }
            const double forceGap = moved.values[kForce] - base.values[kForce] -
                                    (j.forceByOffset * stepOffset + j.forceByFriction * stepFriction);
            const double slipGap = moved.values[kSlip] - base.values[kSlip] -
                                   (j.slipByOffset * stepOffset + j.slipByFriction * stepFriction);
            u.nonlinearity =
                std::max(u.nonlinearity, std::hypot(forceGap / u.forceDeviation, slipGap / u.slipDeviation));
        }
    }
    u.beyondFirstOrder = !(u.nonlinearity <= InverseUncertainty::kNonlinearityLimit);
}

} // namespace rollbite
