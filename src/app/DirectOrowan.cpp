#include "app/DirectOrowan.h"

#include "Numerics.h"

#include <array>
#include <cmath>
#include <memory>
#include <sstream>

namespace rollbite {

namespace {

constexpr double kAssumedSlipFactor = 1.07; // the WS18 exit speed first assumes 7 percent forward slip
constexpr double kSlipTolerance = 1e-05;    // as a fraction
constexpr int kMaxCouplingIterations = 20;

} // namespace

DirectOrowan::DirectOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console), U_Rolling_Force(0.0), Rolling_Force(0.0), U_Forward_Slip(0.0),
      Forward_Slip(0.0), Neutral_X(0.0), Contact_Length(0.0), Neutral_H(0.0), angle_Tresca_Bw(0.0),
      Neutral_Angle(0.0), angle_Tresca_Fw(0.0), Alpha_Max(0.0), referenceStripSpeed(0.0) {}

int DirectOrowan::run() {
    return runCases(kDirectMode);
}

int DirectOrowan::readCaseLine() {
    DirectInputs record;
    FieldReader fields(fileHandler.line);
    caseReadable = readRollingFields(fields, record) && fields.nextDouble(record.Offset_yield_stress) &&
                   fields.nextDouble(record.Friction_coefficient);
    modelHandler.Direct_inputs = record;
    return 0;
}

int DirectOrowan::applyConstantRheology() {
    modelHandler.setConstantRheology(modelHandler.Direct_inputs.Offset_yield_stress);
    return 0;
}

int DirectOrowan::readWS18Record() {
    std::array<double, WS18Inputs::kValueCount> values{};
    caseReadable = fileHandler.readCoefficients(values.data(), WS18Inputs::kValueCount) && caseReadable;
    referenceStripSpeed = values[WS18Inputs::kStripSpeedPosition];
    values[WS18Inputs::kStripSpeedPosition] = referenceStripSpeed * kAssumedSlipFactor;
    modelHandler.setWS18Rheology(WS18Inputs(values));
    return 0;
}

void DirectOrowan::coupleSpeedAndSlip() {
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
        modelHandler.WS18_rheology.WS18_inputs.Strip_speed = (slip + 1.0) * referenceStripSpeed;
    } while (std::abs(slip - previousSlip) > kSlipTolerance && iterations < kMaxCouplingIterations);
}

int DirectOrowan::solve() {
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        const int preparation = modelHandler.runWS18Pass(kDirectMode);
        coupleSpeedAndSlip();
        if (preparation != 0) {
            resetOutputs();
            return preparation;
        }
    }
    const int notConverged = modelHandler.solveDirect(Rolling_Force, Forward_Slip);
    hasConverged = notConverged == 0 ? "YES" : "NO";
    const int failed = modelHandler.Solve_failed;
    postProcess(failed);
    return failed;
}

void DirectOrowan::postProcess(int status) {
    if (status != 0) {
        resetOutputs();
        return;
    }
    const Models& bite = modelHandler.Bite_model;
    Rolling_Force = Rolling_Force / kForceUnit;
    Neutral_X = bite.Neutral_X;
    Contact_Length = bite.Contact_Length;
    Neutral_H = bite.Neutral_H;
    Neutral_Angle = bite.Neutral_Angle;
    angle_Tresca_Bw = bite.angle_Tresca_Bw;
    angle_Tresca_Fw = bite.angle_Tresca_Fw;
    Alpha_Max = bite.Alpha_Max;
    U_Forward_Slip = modelHandler.Model_forward_slip;
    Rolling_Torque = 2.0 * (bite.Rolling_Torque / kForceUnit); // both work rolls
    U_Rolling_Force = bite.Rolling_Force / kForceUnit;
    // A sticking zone lies between the two switch angles; it covers the whole bite when it runs from the
    // entry angle to the exit point of the grid, whose angle is epsilon.
    Tresca_Presence = angle_Tresca_Bw > angle_Tresca_Fw;
    Total_Tresca =
        Tresca_Presence && isZero(angle_Tresca_Bw - Alpha_Max) && isZero(angle_Tresca_Fw - kEpsilon);
    computeFlowStressStatistics();
}

void DirectOrowan::resetOutputs() {
    Orowan::resetOutputs();
    hasConverged = "--";
    Rolling_Force = 0.0;
    Forward_Slip = 0.0;
    Rolling_Torque = 0.0;
    Neutral_X = 0.0;
    Contact_Length = 0.0;
    Neutral_H = 0.0;
    U_Forward_Slip = 0.0;
    angle_Tresca_Bw = 0.0;
    Neutral_Angle = 0.0;
    angle_Tresca_Fw = 0.0;
    U_Rolling_Force = 0.0;
    Alpha_Max = 0.0;
    Tresca_Presence = false;
    Total_Tresca = false;
}

bool DirectOrowan::checkOutputs() {
    // A value that is not finite (NaN or infinite) is no result.
    bool valid = true;
    for (double* output : {&Rolling_Force, &Forward_Slip, &Rolling_Torque}) {
        if (!std::isfinite(*output)) {
            *output = 0.0;
            valid = false;
        }
    }
    // The force must lie where a measured force of inverse mode may lie, both bounds excluded.
    if (Rolling_Force <= 150.0 || Rolling_Force >= 5000.0) {
        return false;
    }
    return valid;
}

std::unique_ptr<Orowan> DirectOrowan::makeWorker() const {
    return std::make_unique<DirectOrowan>(modelHandler.Rheology_kind, console_);
}

std::string DirectOrowan::formatRow() const {
    std::ostringstream out;
    out << std::scientific << modelHandler.Direct_inputs.Case_id << '\t' << errorClass << '\t'
        << Rolling_Force << '\t' << Forward_Slip << '\t' << Rolling_Torque << '\t' << Sigma_Moy << '\t'
        << Sigma_Ini << '\t' << Sigma_Out << '\t' << Sigma_Max << '\t' << Neutral_X << '\t' << U_Forward_Slip
        << '\t' << Contact_Length << '\t' << Neutral_H << '\t' << angle_Tresca_Bw << '\t' << Neutral_Angle
        << '\t' << angle_Tresca_Fw << '\t' << U_Rolling_Force << '\t' << Tresca_Presence << '\t'
        << Total_Tresca << '\t' << Alpha_Max << '\t' << hasConverged << '\n';
    return out.str();
}

int DirectOrowan::inputCheckCode() {
    return modelHandler.Direct_inputs.Error_code;
}

} // namespace rollbite
