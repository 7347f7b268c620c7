#pragma once

#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/InverseUncertainty.h"
#include "rollbite/model/PassSensitivities.h"

namespace rollbite {

// One pass solved as the case API solves it, then how its result answers to change: the mode supplies
// what that is.
class SensitivityComputation {
public:
    virtual ~SensitivityComputation() = default;

    virtual const CaseResult& solve(const CaseInputs& inputs, const MeasurementUncertainty& uncertainty) = 0;
    virtual const CaseResult& result() const = 0;
    // Every finite-difference step times `scale` (1: the steps of docs/sensitivities.md), to check that
    // the derivatives do not depend on them.
    void setStepScale(double scale) { stepScale_ = scale; }

    PassSensitivities sensitivities; // direct mode
    InverseUncertainty uncertainty;  // inverse mode

protected:
    double stepScale_ = 1.0;
};

} // namespace rollbite
