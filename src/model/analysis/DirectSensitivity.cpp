#include "model/analysis/DirectSensitivity.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rollbite {

namespace {

constexpr double kPercent = 100.0;

// The terms of dY/dp by the chain rule, in the order the total reads them.
enum Term {
    kOutputByInput,
    kModelForceByInput,
    kSlipByInput,
    kRadiusByInput,
    kOutputByRadius,
    kModelForceByRadius,
    kSlipByRadius,
    kOutputBySpeed,
    kModelForceBySpeed,
    kSlipBySpeed,
    kTermCount
};
using Terms = std::array<double, kTermCount>;

// The field of a direct record that holds an input.
template <class Record> auto& fieldOf(Record& record, PassInput input) {
    switch (input) {
    case PassInput::Entry_thickness:
        return record.Entry_thickness;
    case PassInput::Exit_thickness:
        return record.Exit_thickness;
    case PassInput::Entry_tension:
        return record.Entry_tension;
    case PassInput::Exit_tension:
        return record.Exit_tension;
    case PassInput::Working_roll_diameter:
        return record.Working_roll_diameter;
    case PassInput::Young_modulus_WR:
        return record.Young_modulus_WR;
    case PassInput::Offset_yield_stress:
        return record.Offset_yield_stress;
    default:
        return record.Friction_coefficient;
    }
}

} // namespace

DirectSensitivity::DirectSensitivity(int rheologyKind, double stepScale)
    : case_(rheologyKind), coupled_(rheologyKind == kWS18Rheology), primed_(rheologyKind == kWS18Rheology) {
    setStepScale(stepScale);
}

const CaseResult& DirectSensitivity::solve(const CaseInputs& inputs,
                                           const MeasurementUncertainty& /*unused*/) {
    const CaseResult& solved = case_.computeCase(inputs);
    const bool law = case_.modelHandler.Rheology_kind == kLawRheology && inputs.law != nullptr;
    sensitivities.lawInputs = law ? 1 + static_cast<int>(inputs.law->parameters().size()) : 0;
    coupled_ = primed_ || (law && inputs.law->readsStrainRate());
    if (solved.errorCode != VOID) {
        sensitivities.clear(DerivativeIssue::NoResult);
    } else if (solved.Has_Converged != Convergence::Yes) {
        sensitivities.clear(DerivativeIssue::NotConverged);
    } else {
        const ModelHandler& handler = case_.modelHandler;
        fixed_.radius = handler.Bite_model.Roll_radius;
        fixed_.load = handler.Bite_model.Rolling_Force;
        fixed_.speed = primed_ ? handler.WS18_rheology.WS18_inputs.Strip_speed
                               : handler.Law_rheology.Conditions.stripSpeed;
        fixed_.referenceSpeed = case_.referenceStripSpeed;
        differentiatePass();
    }
    return solved;
}

double& DirectSensitivity::inputField(PassInput input) {
    return fieldOf(case_.modelHandler.Direct_inputs, input);
}

void DirectSensitivity::copyInputsToRheology() {
    ModelHandler& handler = case_.modelHandler;
    const DirectInputs& record = handler.Direct_inputs;
    handler.Smatch_rheology.Entry_thickness = record.Entry_thickness;
    handler.WS18_rheology.Entry_thickness = record.Entry_thickness;
    handler.WS18_rheology.Exit_thickness = record.Exit_thickness;
    handler.Law_rheology.Entry_thickness = record.Entry_thickness;
    handler.Law_rheology.Exit_thickness = record.Exit_thickness;
    handler.Law_rheology.Roll_diameter = record.Working_roll_diameter;
}

void DirectSensitivity::setStripSpeed(double speed) {
    ModelHandler& handler = case_.modelHandler;
    if (primed_) {
        handler.WS18_rheology.WS18_inputs.Strip_speed = speed;
    } else {
        handler.Law_rheology.Conditions.stripSpeed = speed;
    }
}

double DirectSensitivity::scaleOf(PassInput input) const {
    const DirectInputs& record = case_.modelHandler.Direct_inputs;
    switch (input) {
    case PassInput::Entry_tension:
    case PassInput::Exit_tension:
    case PassInput::Offset_yield_stress:
        // Tensions and the offset move the flow stress's share of the pressure: measured against it.
        return case_.result.Sigma_Moy;
    default:
        return std::abs(fieldOf(record, input));
    }
}

double DirectSensitivity::relativeStep(PassInput input) {
    switch (input) {
    case PassInput::Entry_thickness:
    case PassInput::Exit_thickness:
        return kThicknessStep;
    case PassInput::Friction_coefficient:
        return kFrictionStep;
    default:
        return kInputStep;
    }
}

double DirectSensitivity::stepOf(PassInput input) const {
    return stepScale_ * relativeStep(input) * scaleOf(input);
}

DirectSensitivity::Point DirectSensitivity::evaluate(double radius, double speed) {
    ModelHandler& handler = case_.modelHandler;
    const DirectInputs& record = handler.Direct_inputs;
    if (coupled_) {
        setStripSpeed(speed);
    }
    // The flattening sets the loaded exit thickness of these inputs; its radius is that of the fixed
    // point's load, and the bite is computed at the fixed point's radius. WS18 gives the flow stress at the
    // exit plane from the state of its last bite: a first bite gives it the state of these inputs.
    int status = 0;
    if (primed_) {
        status = handler.flattenRoll(fixed_.load);
        handler.Bite_model.Roll_radius = radius;
        if (status == 0) {
            status = handler.integrateDirect();
        }
    }
    if (status == 0) {
        status = handler.flattenRoll(fixed_.load);
    }
    const double loadedRadius = handler.Bite_model.Roll_radius;
    handler.Bite_model.Roll_radius = radius;
    if (status == 0) {
        status = handler.integrateDirect();
    }
    double force = 0.0;
    double slip = 0.0;
    if (status == 0) {
        handler.computeForwardSlip(record.Young_modulus_WR, record.Exit_tension);
        status = handler.correctForceAndSlip(record, record.Offset_yield_stress, force, slip);
    }
    Point point;
    point.values = {force / kForceUnit, slip, 2.0 * (handler.Bite_model.Rolling_Torque / kForceUnit),
                    handler.Bite_model.Rolling_Force, loadedRadius};
    point.regime = BiteRegime::of(handler.Bite_model);
    point.solved = status == 0;
    for (const double value : point.values) {
        point.solved = point.solved && std::isfinite(value);
    }
    return point;
}

DirectSensitivity::Point DirectSensitivity::probeField(double& field, double offset) {
    const double value = field;
    field = value + offset;
    copyInputsToRheology();
    const Point point = evaluate(fixed_.radius, fixed_.speed);
    field = value;
    copyInputsToRheology();
    return point;
}

void DirectSensitivity::differentiatePass() {
    Motion motion;
    motion.base = evaluate(fixed_.radius, fixed_.speed);
    const Point& base = motion.base;
    if (!base.solved) {
        sensitivities.clear(DerivativeIssue::ProbeFailed);
        return;
    }
    // Each derivative is the slope over its step, not that between two kinks of a shortened step.
    constexpr auto kOverTheStep = FiniteDifference::ShortenedStep::HeldToTheFullStep;
    motion.byRadius = FiniteDifference::differentiate(
        base, stepScale_ * kRadiusStep * fixed_.radius,
        [this](double offset) { return evaluate(fixed_.radius + offset, fixed_.speed); }, kOverTheStep);
    if (coupled_) {
        motion.bySpeed = FiniteDifference::differentiate(
            base, stepScale_ * kSpeedStep * fixed_.speed,
            [this](double offset) { return evaluate(fixed_.radius, fixed_.speed + offset); }, kOverTheStep);
    }
    // Hitchcock's radius is linear in the load: its slope from the radius under the fixed point's load.
    const double unloadedRadius = case_.modelHandler.Direct_inputs.Working_roll_diameter * 0.5;
    motion.radiusPerLoad = (base.values[kLoadedRadius] - unloadedRadius) / fixed_.load;
    for (int i = 0; i < kPassInputs; ++i) {
        const PassInput input = static_cast<PassInput>(i);
        const double step = stepOf(input);
        sensitivities.step[i] = step;
        const Derivatives byInput = differentiateAlong(inputField(input), step, scaleOf(input), motion);
        for (int o = 0; o < kPassOutputs; ++o) {
            sensitivities.issue[o][i] = byInput[o].issue;
            sensitivities.derivative[o][i] = byInput[o].value;
        }
    }
    if (sensitivities.lawInputs > 0) {
        differentiateByLaw(motion);
    }
}

void DirectSensitivity::differentiateByLaw(const Motion& motion) {
    LawRheology& law = case_.modelHandler.Law_rheology;
    for (int j = 0; j < sensitivities.lawInputs; ++j) {
        double& field = j == 0 ? law.Conditions.factor : law.Law_parameters[j - 1];
        // A parameter that is zero moves by the step of one unit of itself.
        const double scale = field != 0.0 ? std::abs(field) : 1.0;
        const double step = stepScale_ * kInputStep * scale;
        sensitivities.lawStep[j] = step;
        const Derivatives byInput = differentiateAlong(field, step, scale, motion);
        for (int o = 0; o < kPassOutputs; ++o) {
            sensitivities.lawIssue[o][j] = byInput[o].issue;
            sensitivities.lawDerivative[o][j] = byInput[o].value;
        }
    }
}

DirectSensitivity::Derivatives DirectSensitivity::differentiateAlong(double& field, double step, double scale,
                                                                     const Motion& motion) {
    constexpr auto kOverTheStep = FiniteDifference::ShortenedStep::HeldToTheFullStep;
    const Partials byInput = FiniteDifference::differentiate(
        motion.base, step, [this, &field](double offset) { return probeField(field, offset); }, kOverTheStep);
    Derivatives derivatives{};
    for (int o = 0; o < kPassOutputs; ++o) {
        const Value output = static_cast<Value>(o);
        Estimate estimate = total(output, byInput, motion);
        // Accurate to kTolerance of the value, or of a derivative too small to matter.
        const double negligible = kSmallElasticity * std::abs(motion.base.values[o]) / scale;
        const bool accurate = estimate.error <= kTolerance * std::max(std::abs(estimate.value), negligible);
        if (estimate.issue == DerivativeIssue::None && !accurate) {
            estimate.issue = DerivativeIssue::NotSmooth;
        }
        if (estimate.issue != DerivativeIssue::None) {
            estimate.value = std::numeric_limits<double>::quiet_NaN();
        }
        derivatives[o] = estimate;
    }
    return derivatives;
}

Estimate DirectSensitivity::total(Value output, const Partials& byInput, const Motion& motion) const {
    const Partials& byRadius = motion.byRadius;
    const Partials& bySpeed = motion.bySpeed;
    const double radiusPerLoad = motion.radiusPerLoad;
    const std::array<const Estimate*, kTermCount> terms = {
        &byInput[output],      &byInput[kModelForce],  &byInput[kSlip],  &byInput[kLoadedRadius],
        &byRadius[output],     &byRadius[kModelForce], &byRadius[kSlip], &bySpeed[output],
        &bySpeed[kModelForce], &bySpeed[kSlip]};
    const double speedPerSlip = fixed_.referenceSpeed / kPercent; // v = v_roll (1 + S / 100)
    const bool coupled = coupled_;
    // The fixed point's motion: R = rho(p, G(p, R, v)) and v = v_roll (1 + S(p, R, v) / 100).
    const auto chain = [radiusPerLoad, speedPerSlip, coupled](const Terms& x) {
        const double radiusRow = 1.0 - radiusPerLoad * x[kModelForceByRadius];
        const double radiusSource = x[kRadiusByInput] + radiusPerLoad * x[kModelForceByInput];
        if (!coupled) {
            return x[kOutputByInput] + x[kOutputByRadius] * radiusSource / radiusRow;
        }
        const double radiusBySpeed = -radiusPerLoad * x[kModelForceBySpeed];
        const double speedByRadius = -speedPerSlip * x[kSlipByRadius];
        const double speedRow = 1.0 - speedPerSlip * x[kSlipBySpeed];
        const double speedSource = speedPerSlip * x[kSlipByInput];
        const double determinant = radiusRow * speedRow - radiusBySpeed * speedByRadius;
        const double radiusChange = (radiusSource * speedRow - radiusBySpeed * speedSource) / determinant;
        const double speedChange = (radiusRow * speedSource - speedByRadius * radiusSource) / determinant;
        return x[kOutputByInput] + x[kOutputByRadius] * radiusChange + x[kOutputBySpeed] * speedChange;
    };
    Terms values{};
    Estimate result;
    for (int k = 0; k < kTermCount; ++k) {
        values[k] = terms[k]->value;
        if (result.issue == DerivativeIssue::None) {
            result.issue = terms[k]->issue;
        }
    }
    result.value = chain(values);
    // Each term's error carried through the chain, added in magnitude.
    for (int k = 0; k < kTermCount; ++k) {
        Terms moved = values;
        moved[k] += terms[k]->error;
        result.error += std::abs(chain(moved) - result.value);
    }
    return result;
}

} // namespace rollbite
