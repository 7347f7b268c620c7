#include "app/InverseOrowan.h"

#include "Numerics.h"

#include <array>
#include <cmath>
#include <memory>
#include <sstream>

namespace rollbite {

InverseOrowan::InverseOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console), Friction(0.0), OffsetYield(0.0), computedForce(0.0), computedSlip(0.0),
      forceError(0.0), slipError(0.0) {}

int InverseOrowan::run() {
    return runCases(kInverseMode);
}

int InverseOrowan::readCaseLine() {
    // The offset yield stress and the friction on the line are the starting point of the search.
    BackInputs record;
    FieldReader fields(fileHandler.line);
    caseReadable = readRollingFields(fields, record) && fields.nextDouble(record.Offset_yield_stress) &&
                   fields.nextDouble(record.Friction_coefficient) && fields.nextDouble(record.Force) &&
                   fields.nextDouble(record.Slip);
    modelHandler.Back_inputs = record;
    return 0;
}

int InverseOrowan::applyConstantRheology() {
    modelHandler.setConstantRheology(modelHandler.Back_inputs.Offset_yield_stress);
    return 0;
}

int InverseOrowan::readWS18Record() {
    // No speed-slip coupling in this mode: the strip speed is used as read.
    std::array<double, WS18Inputs::kValueCount> values{};
    caseReadable = fileHandler.readCoefficients(values.data(), WS18Inputs::kValueCount) && caseReadable;
    modelHandler.setWS18Rheology(WS18Inputs(values));
    return 0;
}

int InverseOrowan::solve() {
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        const int preparation = modelHandler.runWS18Pass(kInverseMode);
        if (preparation != 0) {
            resetOutputs();
            return preparation;
        }
    }
    const int notConverged = modelHandler.solveInverse(computedForce, computedSlip, forceError, slipError);
    hasConverged = notConverged == 0 ? "YES" : "NO";
    const int failed = modelHandler.Solve_failed;
    postProcess(failed);
    return failed;
}

void InverseOrowan::postProcess(int status) {
    if (status != 0) {
        resetOutputs();
        return;
    }
    Rolling_Torque = 2.0 * (modelHandler.Bite_model.Rolling_Torque / kForceUnit); // both work rolls
    OffsetYield = modelHandler.Back_inputs.Offset_yield_stress;
    Friction = modelHandler.Back_inputs.Friction_coefficient;
    computeFlowStressStatistics();
}

void InverseOrowan::resetOutputs() {
    Orowan::resetOutputs();
    hasConverged = "--";
    Rolling_Torque = 0.0;
    OffsetYield = 0.0;
    Friction = 0.0;
    forceError = 0.0;
    slipError = 0.0;
    Tresca_Presence = false;
    Total_Tresca = false;
}

bool InverseOrowan::checkOutputs() {
    // Values that are not finite are no result; the friction found must be a Coulomb coefficient below 1.
    // The offset found may be negative: it is only an offset on the rheology's flow stress.
    BackInputs& found = modelHandler.Back_inputs;
    bool valid = true;
    if (!std::isfinite(found.Offset_yield_stress)) {
        found.Offset_yield_stress = 0.0;
        valid = false;
    }
    if (std::isnan(found.Friction_coefficient)) {
        found.Friction_coefficient = 0.0;
        valid = false;
    } else if (found.Friction_coefficient <= 0.0 || found.Friction_coefficient >= 1.0) {
        valid = false;
    }
    if (!std::isfinite(Rolling_Torque)) {
        Rolling_Torque = 0.0;
        return false;
    }
    return valid;
}

std::unique_ptr<Orowan> InverseOrowan::makeWorker() const {
    return std::make_unique<InverseOrowan>(modelHandler.Rheology_kind, console_);
}

std::string InverseOrowan::formatRow() const {
    std::ostringstream out;
    out << std::scientific << modelHandler.Back_inputs.Case_id << '\t' << errorClass << '\t' << OffsetYield
        << '\t' << Friction << '\t' << Rolling_Torque << '\t' << Sigma_Moy << '\t' << Sigma_Ini << '\t'
        << Sigma_Out << '\t' << Sigma_Max << '\t' << forceError << '\t' << slipError << '\t' << hasConverged
        << '\n';
    return out.str();
}

int InverseOrowan::inputCheckCode() {
    return modelHandler.Back_inputs.Error_code;
}

} // namespace rollbite
