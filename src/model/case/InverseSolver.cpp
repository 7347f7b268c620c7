// Inverse solve: the offset yield stress y and the friction coefficient mu for which the corrected model
// force and forward slip match a measured pair. A damped two-variable Newton search with finite-difference
// derivatives; the slip target is clamped to what the model can reach, the friction is frozen at the
// sticking (Tresca) limit when the measured slip is beyond reach, and degenerate derivatives restart it.
#include "model/case/ModelHandler.h"

#include "rollbite/Kinds.h"
#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

namespace {

constexpr double kForceTolerance = 0.1;  // in the unit of the measured force
constexpr double kSlipTolerance = 0.01;  // percent
constexpr double kResidualFloor = 0.005; // residuals below it count as zero
constexpr int kMaxIterations = 20;
constexpr double kRelativeErrorFloor = 1e-12;

double flooredResidual(double residual) {
    return std::abs(residual) < kResidualFloor ? 0.0 : residual;
}

double flooredRatio(double ratio) {
    return std::abs(ratio) < kRelativeErrorFloor ? 0.0 : ratio;
}

} // namespace

int ModelHandler::evaluateInverseAt(double offsetYieldStress, double friction, double& force, double& slip) {
    Back_inputs.Offset_yield_stress = offsetYieldStress;
    Back_inputs.Friction_coefficient = friction;
    return evaluateInverse(force, slip);
}

int ModelHandler::evaluateInverse(double& force, double& slip) {
    // The measured force flattens the roll, so this mode needs no force iteration.
    int status = flattenRollInverse(Back_inputs.Force * kForceUnit);
    if (status != 0) {
        return status;
    }
    status = integrateFor(Back_inputs, Back_inputs.Friction_coefficient, Back_inputs.Offset_yield_stress);
    if (status != 0) {
        return status;
    }
    computeForwardSlip(Back_inputs.Young_modulus_WR, Back_inputs.Exit_tension);
    double correctedForce = 0.0;
    status = correctForceAndSlip(Back_inputs, Back_inputs.Offset_yield_stress, correctedForce, slip);
    force = correctedForce / kForceUnit;
    return status;
}

double ModelHandler::trescaEntryAndExitStresses(double biteAngle, double& entryStress, double& exitStress) {
    const double offset = Back_inputs.Offset_yield_stress;
    switch (Rheology_kind) {
    case kSmatchRheology:
        entryStress = Smatch_rheology.hardeningLaw(
            Smatch_rheology.equivalentStrain(Back_inputs.Entry_thickness), offset);
        exitStress = Smatch_rheology.hardeningLaw(
            Smatch_rheology.equivalentStrain(Back_inputs.Exit_thickness), offset);
        return 0;
    case kWS18Rheology:
        entryStress = WS18_rheology.flowStressAt(0, biteAngle, Back_inputs.Entry_thickness, offset);
        if (WS18_rheology.Has_Failed != 0) {
            return 1;
        }
        exitStress = WS18_rheology.flowStressAt(kLastPoint, kEpsilon, Back_inputs.Exit_thickness, offset);
        return WS18_rheology.Has_Failed;
    case kLawRheology:
        entryStress = Law_rheology.flowStressAt(0, biteAngle, Back_inputs.Entry_thickness, offset);
        if (Law_rheology.Has_Failed != 0) {
            return 1;
        }
        exitStress = Law_rheology.flowStressAt(kLastPoint, kEpsilon, Back_inputs.Exit_thickness, offset);
        return Law_rheology.Has_Failed;
    default:
        entryStress = offset;
        exitStress = offset;
        return offset <= 0.0 ? 1 : 0;
    }
}

double ModelHandler::trescaFriction() {
    int status = flattenRollInverse(Back_inputs.Force * kForceUnit);
    if (status == 0) {
        status = integrateFor(Back_inputs, Back_inputs.Friction_coefficient, Back_inputs.Offset_yield_stress);
    }
    if (status != 0) {
        Step_status = status;
        return 0.0;
    }
    const double biteAngle = Bite_model.Alpha_Max;
    double entryStress = 0.0;
    double exitStress = 0.0;
    if (trescaEntryAndExitStresses(biteAngle, entryStress, exitStress) != 0) {
        noteFailure(FailedStep::TrescaFriction);
        Step_status = 1;
        return 0.0;
    }
    // Roll pressures at the two ends of a bite that sticks all along (shear = k = sigma / sqrt 3).
    const double sqrt3 = std::sqrt(3.0);
    const double h1 = Back_inputs.Entry_thickness;
    const double entryFactor = Bite_model.frictionFactor(1.0, biteAngle);
    const double entryPressure =
        (entryFactor * (2.0 * entryStress / sqrt3) * h1 - h1 * Back_inputs.Entry_tension +
         (1.0 / std::tan(biteAngle) + 1.0 / biteAngle) * (entryStress / sqrt3) * h1) *
        (1.0 / h1);
    Step_status = Bite_model.Has_Failed;
    double exitPressure = 0.0;
    if (Step_status == 0) {
        const double h2 = Back_inputs.Exit_thickness;
        const double exitFactor = Bite_model.frictionFactor(1.0, 0.0);
        exitPressure =
            (exitFactor * (2.0 * exitStress / sqrt3) * h2 - h2 * Back_inputs.Exit_tension) * (1.0 / h2);
        Step_status = Bite_model.Has_Failed;
    }
    if (Step_status != 0 || entryPressure <= 0.0 || exitPressure <= 0.0) {
        noteFailure(FailedStep::TrescaFriction);
        Step_status = 1;
        return 0.0;
    }
    // The friction at which mu p reaches the shear yield stress at either end.
    return std::max(entryStress / (sqrt3 * entryPressure), exitStress / (sqrt3 * exitPressure));
}

double ModelHandler::entryFlowStressWithoutOffset(double startOffset, int& status) {
    const double hIn = Back_inputs.Entry_thickness;
    switch (Rheology_kind) {
    case kSmatchRheology: {
        const double offset = Smatch_rheology.Smatch_inputs.allZero() ? startOffset : 0.0;
        const double stress = Smatch_rheology.flowStressAt(0, Bite_model.Alpha_Max, hIn, offset);
        status = Smatch_rheology.Has_Failed;
        return stress;
    }
    case kWS18Rheology: {
        const double stress = WS18_rheology.flowStressAt(0, Bite_model.Alpha_Max, hIn, 0.0);
        status = WS18_rheology.Has_Failed;
        return stress;
    }
    case kLawRheology: {
        // The law's scale is the search's variable: its entry flow stress at the starting scale.
        const double stress = Law_rheology.flowStressAt(0, Bite_model.Alpha_Max, hIn, startOffset);
        status = Law_rheology.Has_Failed;
        return stress;
    }
    default:
        return constantFlowStress(startOffset, status);
    }
}

void ModelHandler::targetSlip(InverseSearch& search) {
    const double minimum = search.minimumSlip;
    const double maximum = search.maximumSlip;
    search.targetSlip = minimum >= search.measuredSlip ? minimum : std::min(maximum, search.measuredSlip);
    const bool atMaximum = isZero(search.targetSlip - maximum);
    search.frictionWeight = isZero(search.targetSlip - minimum) || atMaximum ? 0.0 : 1.0;
    if (atMaximum && search.status == 0) {
        // Beyond the reach of any Coulomb friction: hold mu at the sticking limit.
        search.friction = trescaFriction();
        search.status = Step_status;
    }
}

int ModelHandler::solveInverse(double& force, double& slip, double& forceError, double& slipError) {
    Failed_step = FailedStep::None;
    InverseSearch search;
    search.measuredForce = Back_inputs.Force;
    search.measuredSlip = Back_inputs.Slip;
    search.offset = Back_inputs.Offset_yield_stress;
    search.friction = Back_inputs.Friction_coefficient;
    search.status = evaluateInverseAt(search.offset, search.friction, search.force, search.slip);
    if (search.status == 0) {
        double forceAtCeiling = 0.0;
        search.status = evaluateInverseAt(search.offset, InverseSearch::kFrictionCeiling, forceAtCeiling,
                                          search.maximumSlip);
    }
    if (search.status == 0) {
        search.entryStress = entryFlowStressWithoutOffset(search.offset, search.status);
        search.offsetBound = (Back_inputs.Entry_tension + 1.0) * std::sqrt(3.0) * 0.5 - search.entryStress;
        if (search.status != 0) {
            noteFailure(FailedStep::FlowStress);
        } else {
            const double exitStress =
                exitFlowStress(Back_inputs.Exit_thickness, search.offset, search.status);
            if (search.status != 0) {
                noteFailure(FailedStep::FlowStress);
            }
            search.minimumSlip = -kPoissonFactor *
                                 (2.0 / std::sqrt(3.0) * exitStress - Back_inputs.Exit_tension) /
                                 Back_inputs.Young_modulus_WR * 100.0;
            targetSlip(search);
        }
        search.frictionProbe = InverseSearch::frictionProbeFor(search.measuredSlip);
        search.forceResidual = search.force - search.measuredForce;
        search.slipResidual = search.slip - search.targetSlip;
        iterateInverse(search);
        finishInverse(search, force, slip, forceError, slipError);
    }
    Solve_failed = search.status != 0 ? 1 : 0;
    Step_status = search.status;
    return search.iterations >= kMaxIterations ? 1 : 0;
}

void ModelHandler::iterateInverse(InverseSearch& search) {
    while (search.iterations < kMaxIterations) {
        const bool matched = std::abs(search.forceResidual) <= kForceTolerance &&
                             std::abs(search.slipResidual) <= kSlipTolerance;
        if (matched || search.status != 0) {
            break;
        }
        ProbeResults probes;
        search.status = evaluateInverseAt(search.offset + InverseSearch::kOffsetProbe, search.friction,
                                          probes.forceByOffset, probes.slipByOffset);
        if (search.status == 0) {
            search.status = evaluateInverseAt(search.offset, search.friction + search.frictionProbe,
                                              probes.forceByFriction, probes.slipByFriction);
        }
        const int statusBeforeStep = search.status;
        search.newtonStep(probes);
        if (search.status != statusBeforeStep) {
            noteFailure(FailedStep::VanishedStep);
        }
        if (search.status == 0) {
            double forceAtCeiling = 0.0;
            search.status = evaluateInverseAt(search.offset, InverseSearch::kFrictionCeiling, forceAtCeiling,
                                              search.maximumSlip);
            // The elastic slip bound, with y itself standing for the exit flow stress.
            search.minimumSlip = -kPoissonFactor *
                                 (2.0 / std::sqrt(3.0) * search.offset - Back_inputs.Exit_tension) /
                                 Back_inputs.Young_modulus_WR * 100.0;
        }
        search.frictionWeight = 1.0;
        targetSlip(search);
        if (search.status == 0) {
            search.status = evaluateInverseAt(search.offset, search.friction, search.force, search.slip);
        }
        search.forceResidual = flooredResidual(search.force - search.measuredForce);
        search.slipResidual = flooredResidual(search.slip - search.targetSlip);
        ++search.iterations;
    }
}

void ModelHandler::finishInverse(InverseSearch& search, double& force, double& slip, double& forceError,
                                 double& slipError) {
    if (search.status != 0) {
        return;
    }
    if (search.iterations == 0) {
        // The last roll bite computed was the mu = 3.0 one or the Tresca one: compute the bite of the
        // final pair again so that the torque and the flow stresses read afterwards belong to it.
        double finalForce = 0.0;
        double finalSlip = 0.0;
        search.status = evaluateInverseAt(search.offset, search.friction, finalForce, finalSlip);
        if (search.status != 0) {
            return;
        }
    }
    Back_inputs.Offset_yield_stress = search.offset;
    Back_inputs.Friction_coefficient = search.friction;
    force = search.force;
    slip = search.slip;
    if (isZero(search.measuredForce) || isZero(search.targetSlip)) {
        noteFailure(FailedStep::ZeroTarget);
        search.status = 1;
        forceError = 1.0;
        slipError = 1.0;
        return;
    }
    forceError = flooredRatio(search.forceResidual / search.measuredForce);
    slipError = flooredRatio(search.slipResidual / search.targetSlip);
}

} // namespace rollbite
