#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include "../Kinds.h"
#include "CaseInputs.h"
#include "CaseResult.h"
#include "InverseUncertainty.h"
#include "PassSensitivities.h"

#include <memory>

namespace rollbite {

class SensitivityComputation;

// Solves one pass after another as CaseSolver does, and then tells how its result answers to change:
// in direct mode the derivatives of the force, slip and torque by the pass's inputs (PassSensitivities),
// in inverse mode how well the offset yield stress and friction found are determined by the measured
// force and slip (InverseUncertainty).
//
//     rollbite::SensitivitySolver solver(rollbite::kDirectMode, rollbite::kConstantRheology);
//     const rollbite::CaseResult& result = solver.solve(pass);   // the same values as CaseSolver's
//     double plasticity = solver.sensitivities().plasticity();  // 9.81 N/mm per mm
//
// The result of solve is CaseSolver's to the last bit. The sensitivities cost a few solves' time per pass
// (docs/sensitivities.md). A solver keeps its work arrays: once warm it allocates nothing per pass. One
// solver serves one thread: give each thread its own.
class SensitivitySolver {
public:
    SensitivitySolver(Mode mode, RheologyKind rheology);
    ~SensitivitySolver();
    SensitivitySolver(SensitivitySolver&& other) noexcept;
    SensitivitySolver& operator=(SensitivitySolver&& other) noexcept;
    SensitivitySolver(const SensitivitySolver&) = delete;
    SensitivitySolver& operator=(const SensitivitySolver&) = delete;

    Mode mode() const { return mode_; }
    RheologyKind rheology() const { return rheology_; }

    // Inverse mode: the standard deviations of the measured force and slip (default: 1 % and 0.2).
    void setMeasurementUncertainty(const MeasurementUncertainty& uncertainty);
    const MeasurementUncertainty& measurementUncertainty() const { return uncertainty_; }
    // Every finite-difference step times `scale` (default 1): solving again with 0.5 and 2 shows that the
    // derivatives do not depend on the steps.
    void setStepScale(double scale);

    // Solves the pass, then its sensitivities (direct) or the uncertainty of its result (inverse). The
    // references stay valid until the next call.
    const CaseResult& solve(const CaseInputs& inputs);
    const CaseResult& result() const;
    // Direct mode: of the last pass solved. All NaN in inverse mode.
    const PassSensitivities& sensitivities() const;
    // Inverse mode: of the last pass solved. Not computed in direct mode.
    const InverseUncertainty& uncertainty() const;

private:
    Mode mode_;
    RheologyKind rheology_;
    MeasurementUncertainty uncertainty_;
    std::unique_ptr<SensitivityComputation> computation_;
};

} // namespace rollbite
