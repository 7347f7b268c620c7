#include "model/case/ModelHandler.h"

#include "rollbite/Kinds.h"
#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

ModelHandler::ModelHandler(int rheologyKind)
    : Model_forward_slip(0.0), Rheology_kind(rheologyKind), Solve_failed(0), Step_status(0),
      Failed_step(FailedStep::None) {}

// Each set-up leaves the model as a newly built one would be, in place, so that a case takes no memory.
void ModelHandler::setConstantRheology(double offsetYieldStress) {
    Constant_rheology.reset(offsetYieldStress);
}

void ModelHandler::setSmatchRheology(double a, double b, double c, double d) {
    Smatch_rheology.reset(a, b, c, d);
}

void ModelHandler::setWS18Rheology(const std::array<double, WS18Inputs::kValueCount>& values) {
    WS18_rheology.reset(values);
}

void ModelHandler::noteFailure(FailedStep step) {
    if (Failed_step == FailedStep::None) {
        Failed_step = step;
    }
}

bool ModelHandler::checkCaseInputs(int mode) {
    Rolling& record = mode == kDirectMode ? static_cast<Rolling&>(Direct_inputs) : Back_inputs;
    switch (Rheology_kind) {
    case kConstantRheology:
        return record.checkInputsWithOffset(true);
    case kSmatchRheology: {
        // Without hardening coefficients the offset is the whole flow stress and must be positive.
        const bool valid = record.checkInputsWithOffset(Smatch_rheology.Smatch_inputs.allZero());
        Smatch_rheology.Entry_thickness = record.Entry_thickness;
        return valid;
    }
    case kWS18Rheology: {
        const bool rollingValid = record.checkInputs();
        WS18_rheology.Entry_thickness = record.Entry_thickness;
        WS18_rheology.Exit_thickness = record.Exit_thickness;
        return rollingValid && WS18_rheology.WS18_inputs.checkInputs();
    }
    case kLawRheology: {
        // The law carries the flow stress: an offset on top of it may be zero.
        const bool rollingValid = record.checkInputsWithOffset(false);
        Law_rheology.Entry_thickness = record.Entry_thickness;
        Law_rheology.Exit_thickness = record.Exit_thickness;
        const bool lawValid = Law_rheology.checkInputs(record.Working_roll_diameter);
        return rollingValid && lawValid;
    }
    default:
        return false;
    }
}

Rheology& ModelHandler::currentRheology() {
    switch (Rheology_kind) {
    case kSmatchRheology:
        return Smatch_rheology;
    case kWS18Rheology:
        return WS18_rheology;
    case kLawRheology:
        return Law_rheology;
    default:
        return Constant_rheology;
    }
}

double ModelHandler::exitFlowStress(double exitThickness, double offsetYieldStress, int& status) {
    switch (Rheology_kind) {
    case kSmatchRheology:
        return Smatch_rheology.hardeningLaw(Smatch_rheology.equivalentStrain(exitThickness),
                                            offsetYieldStress);
    case kWS18Rheology: {
        const double flowStress =
            WS18_rheology.flowStressAt(kLastPoint, kEpsilon, exitThickness, offsetYieldStress);
        status = WS18_rheology.Has_Failed;
        return flowStress;
    }
    case kLawRheology: {
        const double flowStress =
            Law_rheology.flowStressAt(kLastPoint, kEpsilon, exitThickness, offsetYieldStress);
        status = Law_rheology.Has_Failed;
        return flowStress;
    }
    default:
        return constantFlowStress(offsetYieldStress, status);
    }
}

double ModelHandler::constantFlowStress(double offsetYieldStress, int& status) {
    if (offsetYieldStress <= 0.0) {
        status = 1; // the offset is the whole flow stress: it must be a stress
        return 1.0;
    }
    return offsetYieldStress;
}

int ModelHandler::flattenRollFor(const Rolling& record, double offsetYieldStress, double load) {
    int status = 0;
    const double exitStress = exitFlowStress(record.Exit_thickness, offsetYieldStress, status);
    if (status != 0) {
        noteFailure(FailedStep::RollFlattening);
    }
    // The strip leaves the bite elastically compressed by the plane-strain yield stress less the tension.
    Bite_model.Exit_thickness =
        record.Exit_thickness *
        std::exp(-kPoissonFactor * (2.0 * exitStress / std::sqrt(3.0) - record.Exit_tension) /
                 record.Young_modulus_WR);
    const double thicknessDrop = record.Entry_thickness - Bite_model.Exit_thickness;
    if (isZero(thicknessDrop)) {
        Bite_model.Roll_radius = 1.0;
        return status;
    }
    // Hitchcock's radius of the elastically flattened roll under the load per unit width (N/mm).
    Bite_model.Roll_radius =
        (kPoissonFactor * 16.0 * load / (record.Young_modulus_WR * kPi * thicknessDrop) + 1.0) *
        (record.Working_roll_diameter * 0.5);
    return status;
}

int ModelHandler::flattenRoll(double load) {
    return flattenRollFor(Direct_inputs, Direct_inputs.Offset_yield_stress, load);
}

int ModelHandler::flattenRollInverse(double load) {
    return flattenRollFor(Back_inputs, Back_inputs.Offset_yield_stress, load);
}

int ModelHandler::integrateFor(const Rolling& record, double friction, double offsetYieldStress) {
    const int failed = Bite_model.computeRollBite(
        currentRheology(), record.Entry_thickness, record.Exit_thickness, record.Entry_tension,
        record.Exit_tension, friction, offsetYieldStress, record.Working_roll_diameter);
    if (failed != 0) {
        noteFailure(Bite_model.Failed_step);
    }
    return failed;
}

int ModelHandler::integrateDirect() {
    return integrateFor(Direct_inputs, Direct_inputs.Friction_coefficient, Direct_inputs.Offset_yield_stress);
}

void ModelHandler::computeForwardSlip(double youngModulus, double exitTension) {
    const double radius = Bite_model.Roll_radius;
    const double exitThickness = Bite_model.Exit_thickness;
    const double neutralX = Bite_model.Neutral_X;
    const double neutralDepth = std::sqrt(radius * radius - neutralX * neutralX);
    const double neutralThickness = 2.0 * (radius - neutralDepth) + exitThickness;
    const double cosNeutralAngle = std::sqrt(1.0 - neutralX * neutralX / (radius * radius));
    double slip = 1.0;
    if (!isZero(cosNeutralAngle)) {
        // Elastic strains of the strip at the neutral point and at the exit (compliance 0.4/E).
        const double compliance = 0.4 / youngModulus;
        const double neutralLoad =
            (Bite_model.Neutral_Load_Entry + Bite_model.Neutral_Load_Exit) / cosNeutralAngle;
        const double neutralStretch =
            (-Bite_model.Neutral_Force / neutralThickness - 0.5 * neutralLoad) * compliance + 1.0;
        if (!isZero(neutralStretch)) {
            const double surfacePath =
                std::sqrt((neutralX / neutralDepth) * (neutralX / neutralDepth) + 1.0) * exitThickness;
            slip =
                ((neutralThickness / surfacePath) * (compliance * exitTension + 1.0) / neutralStretch - 1.0) *
                100.0;
        }
    }
    Model_forward_slip = slip;
}

int ModelHandler::correctForceAndSlip(const Rolling& record, double offsetYieldStress, double& force,
                                      double& slip) {
    // Empirical corrections fitted to mill measurements. The neutral-point flow stress enters with a zero
    // weight: a flow stress that is not finite makes the corrected values not finite.
    Rheology& rheology = currentRheology();
    const Models& bite = Bite_model;
    double neutralStress =
        rheology.flowStressAt(bite.Neutral_Index, bite.Neutral_Angle, bite.Neutral_H, offsetYieldStress);
    int status = rheology.Has_Failed;
    force = (11.74972083005 - 0.72512035693 * record.Entry_thickness + 0.0 * neutralStress -
             2.97381948998 * record.Exit_thickness) *
                kForceUnit +
            1.05572826414 * bite.Rolling_Force;
    if (status != 0) {
        noteFailure(FailedStep::NeutralFlowStress);
        return status;
    }
    neutralStress =
        rheology.flowStressAt(bite.Neutral_Index, bite.Neutral_Angle, bite.Neutral_H, offsetYieldStress);
    status = rheology.Has_Failed;
    slip = 0.07170049749 * record.Entry_thickness - 0.31694092851 + 0.0 * neutralStress -
           0.29618984659 * (bite.Neutral_H - record.Exit_thickness) + Model_forward_slip;
    if (status != 0) {
        noteFailure(FailedStep::NeutralFlowStress);
    }
    return status;
}

int ModelHandler::runWS18Pass(int mode) {
    const Rolling& record = mode == kDirectMode ? static_cast<const Rolling&>(Direct_inputs) : Back_inputs;
    const double friction =
        mode == kDirectMode ? Direct_inputs.Friction_coefficient : Back_inputs.Friction_coefficient;
    const double offset =
        mode == kDirectMode ? Direct_inputs.Offset_yield_stress : Back_inputs.Offset_yield_stress;
    // An unflattened roll: the pass only gives the fresh model its state along the bite.
    Failed_step = FailedStep::None;
    Bite_model.Exit_thickness = record.Exit_thickness;
    Bite_model.Roll_radius = record.Working_roll_diameter * 0.5;
    const int failed = Bite_model.computeRollBite(
        WS18_rheology, record.Entry_thickness, record.Exit_thickness, record.Entry_tension,
        record.Exit_tension, friction, offset, record.Working_roll_diameter);
    if (failed != 0) {
        noteFailure(Bite_model.Failed_step);
    }
    return failed != 0 ? 1 : 0;
}

} // namespace rollbite
