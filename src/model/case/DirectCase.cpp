#include "model/case/DirectCase.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

namespace {

constexpr double kAssumedSlipFactor = 1.07; // the WS18 exit speed first assumes 7 percent forward slip
constexpr double kSlipTolerance = 1e-05;    // as a fraction
constexpr int kMaxCouplingIterations = 20;
constexpr double kLowestForce = 150.0;   // 9.81 N/mm: the bounds of a measured force in inverse mode,
constexpr double kHighestForce = 5000.0; // both excluded

} // namespace

DirectCase::DirectCase(int rheologyKind)
    : CaseComputation(rheologyKind, kDirectMode), referenceStripSpeed(0.0) {}

Rolling& DirectCase::startRecord(const CaseInputs& inputs) {
    DirectInputs& record = modelHandler.Direct_inputs;
    record.startCase(inputs.Case_id, inputs.Entry_thickness, inputs.Exit_thickness, inputs.Entry_tension,
                     inputs.Exit_tension, inputs.Working_roll_diameter, inputs.Young_modulus_WR);
    record.Offset_yield_stress = inputs.Offset_yield_stress;
    record.Friction_coefficient = inputs.Friction_coefficient;
    return record;
}

void DirectCase::applyConstantRheology() {
    modelHandler.setConstantRheology(modelHandler.Direct_inputs.Offset_yield_stress);
}

void DirectCase::readWS18Record(const CaseInputs& inputs) {
    std::array<double, WS18Inputs::kValueCount> values = inputs.coefficients;
    referenceStripSpeed = values[WS18Inputs::kStripSpeedPosition];
    values[WS18Inputs::kStripSpeedPosition] = referenceStripSpeed * kAssumedSlipFactor;
    modelHandler.setWS18Rheology(values);
}

void DirectCase::readLaw(const CaseInputs& inputs) {
    CaseComputation::readLaw(inputs);
    // As with WS18: the exit speed first assumes 7 percent forward slip over the roll surface speed.
    referenceStripSpeed = inputs.Strip_speed;
    modelHandler.Law_rheology.Conditions.stripSpeed = referenceStripSpeed * kAssumedSlipFactor;
}

void DirectCase::setStripSpeed(double speed) {
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        modelHandler.WS18_rheology.WS18_inputs.Strip_speed = speed;
    } else {
        modelHandler.Law_rheology.Conditions.stripSpeed = speed;
    }
}

bool DirectCase::speedCoupled() const {
    const ModelHandler& handler = modelHandler;
    return handler.Rheology_kind == kWS18Rheology ||
           (handler.Rheology_kind == kLawRheology && handler.Law_rheology.Law != nullptr &&
            handler.Law_rheology.Law->readsStrainRate());
}

void DirectCase::coupleSpeedAndSlip() {
    // The exit speed of the strip is the roll speed times (1 + forward slip), and the slip depends on the
    // speed through the strain rates: iterate until the slip settles.
    double slip = 0.07;
    int iterations = 0;
    double previousSlip = 0.0;
    do {
        previousSlip = slip;
        double force = 0.0;
        modelHandler.solveDirect(force, slip);
        ++iterations;
        slip = slip / 100.0;
        setStripSpeed((slip + 1.0) * referenceStripSpeed);
    } while (std::abs(slip - previousSlip) > kSlipTolerance && iterations < kMaxCouplingIterations);
}

int DirectCase::solve() {
    preparationFailure_ = FailedStep::None;
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        const int preparation = modelHandler.runWS18Pass(kDirectMode);
        preparationFailure_ = modelHandler.Failed_step;
        coupleSpeedAndSlip();
        if (preparation != 0) {
            resetOutputs();
            return preparation;
        }
    } else if (speedCoupled()) {
        coupleSpeedAndSlip();
    }
    const int notConverged = modelHandler.solveDirect(result.Rolling_Force, result.Forward_Slip);
    result.Has_Converged = notConverged == 0 ? Convergence::Yes : Convergence::No;
    const int failed = modelHandler.Solve_failed;
    postProcess(failed);
    return failed;
}

void DirectCase::postProcess(int status) {
    if (status != 0) {
        resetOutputs();
        return;
    }
    const Models& bite = modelHandler.Bite_model;
    result.Rolling_Force = result.Rolling_Force / kForceUnit;
    result.Neutral_X = bite.Neutral_X;
    result.Contact_Length = bite.Contact_Length;
    result.Neutral_H = bite.Neutral_H;
    result.Neutral_Angle = bite.Neutral_Angle;
    result.angle_Tresca_Bw = bite.angle_Tresca_Bw;
    result.angle_Tresca_Fw = bite.angle_Tresca_Fw;
    result.Alpha_Max = bite.Alpha_Max;
    result.U_Forward_Slip = modelHandler.Model_forward_slip;
    result.Flow_stress_factor =
        modelHandler.Rheology_kind == kLawRheology ? modelHandler.Law_rheology.Conditions.factor : 1.0;
    result.Rolling_Torque = 2.0 * (bite.Rolling_Torque / kForceUnit); // both work rolls
    result.U_Rolling_Force = bite.Rolling_Force / kForceUnit;
    // A sticking zone lies between the two switch angles; it covers the whole bite when it runs from the
    // entry angle to the exit point of the grid, whose angle is epsilon.
    result.Tresca_Presence = result.angle_Tresca_Bw > result.angle_Tresca_Fw;
    result.Total_Tresca = result.Tresca_Presence && isZero(result.angle_Tresca_Bw - result.Alpha_Max) &&
                          isZero(result.angle_Tresca_Fw - kEpsilon);
    computeFlowStressStatistics();
}

void DirectCase::resetOutputs() {
    CaseComputation::resetOutputs();
    result.Has_Converged = Convergence::NoResult;
    result.Rolling_Force = 0.0;
    result.Forward_Slip = 0.0;
    result.Rolling_Torque = 0.0;
    result.Neutral_X = 0.0;
    result.Contact_Length = 0.0;
    result.Neutral_H = 0.0;
    result.U_Forward_Slip = 0.0;
    result.angle_Tresca_Bw = 0.0;
    result.Neutral_Angle = 0.0;
    result.angle_Tresca_Fw = 0.0;
    result.U_Rolling_Force = 0.0;
    result.Alpha_Max = 0.0;
    result.Tresca_Presence = false;
    result.Total_Tresca = false;
}

bool DirectCase::checkOutputs() {
    // A value that is not finite (NaN or infinite) is no result.
    bool valid = true;
    const struct {
        const char* name;
        double& value;
    } outputs[] = {{"Rolling_Force", result.Rolling_Force},
                   {"Forward_Slip", result.Forward_Slip},
                   {"Rolling_Torque", result.Rolling_Torque}};
    for (const auto& output : outputs) {
        if (!std::isfinite(output.value)) {
            addOutputFailure(std::string(output.name) + " is not finite");
            output.value = 0.0;
            valid = false;
        }
    }
    // The force must lie where a measured force of inverse mode may lie, both bounds excluded.
    if (result.Rolling_Force <= kLowestForce || result.Rolling_Force >= kHighestForce) {
        if (valid) {
            addOutputFailure("Rolling_Force " + number(result.Rolling_Force) +
                             " is not between 150 and 5000");
        }
        return false;
    }
    return valid;
}

int DirectCase::inputCheckCode() {
    return modelHandler.Direct_inputs.Error_code;
}

std::string DirectCase::failureReason() {
    if (preparationFailure_ != FailedStep::None) {
        result.failedStep = preparationFailure_;
        return "WS18 preparation pass: " + describe(preparationFailure_);
    }
    result.failedStep = modelHandler.Failed_step;
    return describe(modelHandler.Failed_step);
}

} // namespace rollbite
