#pragma once

#include "inputs/BackInputs.h"
#include "inputs/DirectInputs.h"
#include "inputs/SmatchInputs.h"
#include "inputs/WS18Inputs.h"
#include "model/bite/Models.h"
#include "model/case/InverseSearch.h"
#include "rheology/Constant.h"
#include "rheology/LawRheology.h"
#include "rheology/Smatch.h"
#include "rheology/WS18.h"
#include "rollbite/Kinds.h"

#include <array>
#include <cstdint>

namespace rollbite {

// Everything one case needs: its input records, the three rheology models, the roll-bite model and the
// direct and inverse solvers that drive it. Records and models are rebuilt case by case.
class ModelHandler {
public:
    explicit ModelHandler(int rheologyKind);
    virtual ~ModelHandler() = default;

    // Per-case set-up of the rheology of the run's kind.
    void setConstantRheology(double offsetYieldStress);
    void setSmatchRheology(double a, double b, double c, double d);
    // The 23 values of a WS18 record, in record order; the chemistry coefficients follow from them.
    void setWS18Rheology(const std::array<double, WS18Inputs::kValueCount>& values);
    // True when the case of the given mode may be solved.
    bool checkCaseInputs(int mode);
    // Keeps the first failure of a solve in Failed_step.
    void noteFailure(FailedStep step);
    Rheology& currentRheology();

    // Direct solver. Forces per unit width in N/mm, slips in percent.
    int flattenRoll(double load);
    int integrateDirect();
    void computeForwardSlip(double youngModulus, double exitTension);
    int solveDirect(double& force, double& slip);
    int runWS18Pass(int mode);

    // Inverse solver. Forces in the unit of the measured force (9.81 N/mm).
    int flattenRollInverse(double load);
    int evaluateInverse(double& force, double& slip);
    double trescaFriction();
    int solveInverse(double& force, double& slip, double& forceError, double& slipError);
    // Force and slip of the model (9.81 N/mm, percent) for the pair (y, mu), the roll flattened by the
    // measured force: one step of the search, also the probe of the uncertainty of its result.
    int evaluateInverseAt(double offsetYieldStress, double friction, double& force, double& slip);
    // The empirical corrections of the model force (N/mm) and slip (percent) towards measured values.
    int correctForceAndSlip(const Rolling& record, double offsetYieldStress, double& force, double& slip);

    Models Bite_model;
    DirectInputs Direct_inputs;
    BackInputs Back_inputs;
    Constant Constant_rheology;
    Smatch Smatch_rheology;
    WS18 WS18_rheology;
    LawRheology Law_rheology;
    double Model_forward_slip; // percent
    std::int32_t Rheology_kind;
    std::int32_t Solve_failed;
    std::int32_t Step_status;
    FailedStep Failed_step; // the first failure of the last solve, for the reason of an INTERNAL case

private:
    // Roll flattening shared by both records: the loaded exit thickness and Hitchcock's radius.
    int flattenRollFor(const Rolling& record, double offsetYieldStress, double load);
    // Flow stress at the exit plane of the current rheology, with the offset; sets status on failure.
    double exitFlowStress(double exitThickness, double offsetYieldStress, int& status);
    static double constantFlowStress(double offsetYieldStress, int& status);
    int integrateFor(const Rolling& record, double friction, double offsetYieldStress);
    double entryFlowStressWithoutOffset(double startOffset, int& status);
    double trescaEntryAndExitStresses(double biteAngle, double& entryStress, double& exitStress);

    void targetSlip(InverseSearch& search);
    void iterateInverse(InverseSearch& search);
    void finishInverse(InverseSearch& search, double& force, double& slip, double& forceError,
                       double& slipError);
};

} // namespace rollbite
