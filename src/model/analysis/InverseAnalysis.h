#pragma once

#include "model/analysis/FiniteDifference.h"
#include "model/analysis/SensitivityComputation.h"
#include "model/case/InverseCase.h"

namespace rollbite {

// How well an inverse pass's offset yield stress y and friction mu are determined by its measured force
// F_m and slip S_m. The pair found solves E(y, mu; F_m) = (F_m, S_m), where E is the model's force and
// slip with the roll flattened by the measured force, as in the search; so, to first order,
//     d(y, mu) = J^-1 [[1 - dF/dF_m, 0], [-dS/dF_m, 1]] d(F_m, S_m),   J = dE/d(y, mu),
// and the measurement's covariance is carried through that matrix. With a flow-stress law the search's
// y is the law's scale, factor x reference stress: what is found of y is given of the factor.
class InverseAnalysis : public SensitivityComputation {
public:
    explicit InverseAnalysis(int rheologyKind);

    const CaseResult& solve(const CaseInputs& inputs, const MeasurementUncertainty& uncertainty) override;
    const CaseResult& result() const override { return case_.result; }
    // For screening many measurements: the flags and the condition of the pair only, from one step
    // forward in each (no deviations, no check of the first order, no second pair), at a fraction of the
    // cost.
    void setScreenOnly(bool screenOnly) { screenOnly_ = screenOnly; }

    static constexpr double kOffsetStep = 1e-3;   // of the mean flow stress of the bite
    static constexpr double kFrictionStep = 1e-2; // of the friction found
    static constexpr double kLoadStep = 1e-3;     // of the measured force
    static constexpr double kTolerance = 0.01;    // of a derivative, as in direct mode
    static constexpr double kSmallElasticity = 0.01;
    static constexpr double kForceTolerance = 0.1;  // 9.81 N/mm: the search's tolerances
    static constexpr double kSlipTolerance = 0.01;  // percent
    static constexpr double kFrictionCeiling = 3.0; // the search's friction of the largest slip

    enum Value { kForce, kSlip, kValueCount };
    using Point = Sample<kValueCount>;

    // The model's force (9.81 N/mm) and slip (percent) for the pair, the roll flattened by the given
    // measured force.
    Point evaluate(double offset, double friction, double measuredForce);

private:
    struct Jacobian {
        double forceByOffset, forceByFriction, slipByOffset, slipByFriction;
        double forceByLoad, slipByLoad; // by the measured force that flattens the roll
    };

    void analyse(const CaseInputs& inputs, const MeasurementUncertainty& measurement);
    bool differentiate(double measuredForce, Jacobian& jacobian);
    void propagate(const Jacobian& jacobian, double measuredForce, double measuredSlip);
    void checkFirstOrder(const Jacobian& jacobian, double measuredForce);
    void flagBounds(double measuredForce, double measuredSlip);
    void screenCondition(double measuredForce, double measuredSlip);
    // With a law: the derivatives by y and the figures of y made those of the factor.
    void expressByFactor();
    bool usesLaw() const;

    InverseCase case_;
    double foundOffset_ = 0.0; // MPa, the y found: the offset yield stress, or the law's scale
    bool screenOnly_ = false;
};

} // namespace rollbite
