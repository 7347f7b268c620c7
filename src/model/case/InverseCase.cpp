#include "model/case/InverseCase.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

InverseCase::InverseCase(int rheologyKind) : CaseComputation(rheologyKind, kInverseMode) {}

Rolling& InverseCase::startRecord(const CaseInputs& inputs) {
    // The offset yield stress and the friction on the line are the starting point of the search.
    BackInputs& record = modelHandler.Back_inputs;
    record.startCase(inputs.Case_id, inputs.Entry_thickness, inputs.Exit_thickness, inputs.Entry_tension,
                     inputs.Exit_tension, inputs.Working_roll_diameter, inputs.Young_modulus_WR);
    record.Force = inputs.Force;
    record.Slip = inputs.Slip;
    record.Offset_yield_stress = inputs.Offset_yield_stress;
    record.Friction_coefficient = inputs.Friction_coefficient;
    return record;
}

void InverseCase::applyConstantRheology() {
    modelHandler.setConstantRheology(modelHandler.Back_inputs.Offset_yield_stress);
}

void InverseCase::readWS18Record(const CaseInputs& inputs) {
    // No speed-slip coupling in this mode: the strip speed is used as read.
    modelHandler.setWS18Rheology(inputs.coefficients);
}

void InverseCase::readLaw(const CaseInputs& inputs) {
    // No speed-slip coupling in this mode: the strip speed is the measured exit speed. The search runs on
    // the law's scale (LawRheology::Scaled_by_offset), from the factor given.
    CaseComputation::readLaw(inputs);
    modelHandler.Law_rheology.Scaled_by_offset = true;
}

bool InverseCase::usesLaw() const {
    return modelHandler.Rheology_kind == kLawRheology;
}

int InverseCase::solve() {
    preparationFailed_ = false;
    if (usesLaw()) {
        LawRheology& law = modelHandler.Law_rheology;
        law.Reference_stress = law.referenceStress();
        modelHandler.Back_inputs.Offset_yield_stress = law.Conditions.factor * law.Reference_stress;
    }
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        const int preparation = modelHandler.runWS18Pass(kInverseMode);
        if (preparation != 0) {
            preparationFailed_ = true;
            resetOutputs();
            return preparation;
        }
    }
    const int notConverged = modelHandler.solveInverse(result.computedForce, result.computedSlip,
                                                       result.Force_Error, result.Slip_Error);
    result.Has_Converged = notConverged == 0 ? Convergence::Yes : Convergence::No;
    const int failed = modelHandler.Solve_failed;
    postProcess(failed);
    return failed;
}

void InverseCase::postProcess(int status) {
    if (status != 0) {
        resetOutputs();
        return;
    }
    result.Rolling_Torque = 2.0 * (modelHandler.Bite_model.Rolling_Torque / kForceUnit); // both work rolls
    result.OffsetYield = modelHandler.Back_inputs.Offset_yield_stress;
    result.Friction = modelHandler.Back_inputs.Friction_coefficient;
    result.Flow_stress_factor = 1.0;
    if (usesLaw()) {
        // The scale found, as the factor of the law; a law has no offset.
        result.Flow_stress_factor = result.OffsetYield / modelHandler.Law_rheology.Reference_stress;
        result.OffsetYield = 0.0;
    }
    computeFlowStressStatistics();
}

void InverseCase::resetOutputs() {
    CaseComputation::resetOutputs();
    result.Has_Converged = Convergence::NoResult;
    result.Rolling_Torque = 0.0;
    result.OffsetYield = 0.0;
    result.Friction = 0.0;
    result.Force_Error = 0.0;
    result.Slip_Error = 0.0;
    result.Tresca_Presence = false;
    result.Total_Tresca = false;
}

bool InverseCase::checkOutputs() {
    // Values that are not finite are no result; the friction found must be a Coulomb coefficient below 1.
    // The offset found may be negative: it is only an offset on the rheology's flow stress.
    BackInputs& found = modelHandler.Back_inputs;
    bool valid = true;
    if (!std::isfinite(found.Offset_yield_stress)) {
        addOutputFailure("OffsetYield is not finite");
        found.Offset_yield_stress = 0.0;
        valid = false;
    }
    if (std::isnan(found.Friction_coefficient)) {
        addOutputFailure("Friction is not a number");
        found.Friction_coefficient = 0.0;
        valid = false;
    } else if (found.Friction_coefficient <= 0.0 || found.Friction_coefficient >= 1.0) {
        addOutputFailure("Friction " + number(found.Friction_coefficient) + " is not between 0 and 1");
        valid = false;
    }
    if (!std::isfinite(result.Rolling_Torque)) {
        addOutputFailure("Rolling_Torque is not finite");
        result.Rolling_Torque = 0.0;
        return false;
    }
    return valid;
}

int InverseCase::inputCheckCode() {
    return modelHandler.Back_inputs.Error_code;
}

std::string InverseCase::failureReason() {
    result.failedStep = modelHandler.Failed_step;
    if (preparationFailed_) {
        return "WS18 preparation pass: " + describe(modelHandler.Failed_step);
    }
    const BackInputs& trial = modelHandler.Back_inputs;
    if (usesLaw()) {
        return "inverse search at flow-stress factor " +
               number(trial.Offset_yield_stress / modelHandler.Law_rheology.Reference_stress) + " and friction " +
               number(trial.Friction_coefficient) + ": " + describe(modelHandler.Failed_step);
    }
    return "inverse search at offset yield stress " + number(trial.Offset_yield_stress) +
           " MPa and friction " + number(trial.Friction_coefficient) + ": " +
           describe(modelHandler.Failed_step);
}

} // namespace rollbite
