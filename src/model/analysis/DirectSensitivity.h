#pragma once

#include "model/analysis/FiniteDifference.h"
#include "model/analysis/SensitivityComputation.h"
#include "model/case/DirectCase.h"

namespace rollbite {

// The derivatives of a direct pass's force, slip and torque by its inputs.
//
// A solve is a fixed point: the roll radius flattened under the force that the bite gives with that
// radius (and, with WS18, the strip speed that goes with the forward slip). Differencing whole solves
// would carry the tolerance of that iteration into every derivative and cost a solve per probe. Instead
// each probe is one roll bite at the fixed point's radius (and speed), and the implicit function theorem
// brings the fixed point's own motion back in:
//     dY/dp = dY/dp|_R + dY/dR dR/dp,   dR/dp = (rho_p + rho_G dG/dp|_R) / (1 - rho_G dG/dR),
// where G is the model force, rho(p, G) Hitchcock's radius under the load G and Y any output; with WS18
// the strip speed v = v_roll (1 + S/100) joins R in a 2 x 2 system, and likewise with a flow-stress law of
// the strain rate. With a law the outputs are also differentiated by its factor and its parameters.
class DirectSensitivity : public SensitivityComputation {
public:
    // `stepScale` multiplies every finite-difference step (1: the steps below).
    explicit DirectSensitivity(int rheologyKind, double stepScale = 1.0);

    const CaseResult& solve(const CaseInputs& inputs, const MeasurementUncertainty& uncertainty) override;
    const CaseResult& result() const override { return case_.result; }

    // Relative finite-difference steps, of each input's scale (docs/sensitivities.md).
    static constexpr double kThicknessStep = 5e-4; // of the thickness
    static constexpr double kInputStep = 1e-3;     // of the other inputs' scales
    static constexpr double kFrictionStep = 1e-2;  // of the friction coefficient
    static constexpr double kRadiusStep = 1e-4;    // of the flattened roll radius
    static constexpr double kSpeedStep = 1e-3;     // of the strip speed
    // A derivative is given when its error bound is within this share of its value, or of the derivative
    // that moves the output by kSmallElasticity of itself over the input's scale.
    static constexpr double kTolerance = 0.01;
    static constexpr double kSmallElasticity = 0.01;

    // The step of an input relative to its scale (its own value; the mean flow stress for the tensions
    // and the offset). A law's factor and parameters take kInputStep of their own values, or of one unit
    // of a parameter that is zero.
    static double relativeStep(PassInput input);

    // What one probe gives: the three outputs in exit-file units, the model force (N/mm) and Hitchcock's
    // radius (mm) under the fixed point's load.
    enum Value { kForce, kSlip, kTorque, kModelForce, kLoadedRadius, kValueCount };
    using Point = Sample<kValueCount>;
    using Partials = std::array<Estimate, kValueCount>;

private:
    // The fixed point of the solve just made.
    struct FixedPoint {
        double radius = 0.0;         // mm, flattened
        double load = 0.0;           // N/mm, the model force that flattened it
        double speed = 0.0;          // m/s, WS18 strip speed
        double referenceSpeed = 0.0; // m/s, WS18 roll surface speed
    };

    // How the fixed point answers to its radius and speed: the partials every input's total takes.
    struct Motion {
        Point base;
        Partials byRadius{};
        Partials bySpeed{};
        double radiusPerLoad = 0.0; // mm per N/mm, Hitchcock's radius by the load
    };
    using Derivatives = std::array<Estimate, kPassOutputs>;

    void differentiatePass();
    void differentiateByLaw(const Motion& motion);
    // The outputs' derivatives by the input held in `field`, over `step`, each checked against its
    // accuracy at the input's scale.
    Derivatives differentiateAlong(double& field, double step, double scale, const Motion& motion);
    // One roll bite with the record as it stands, at the given radius and strip speed.
    Point evaluate(double radius, double speed);
    Point probeField(double& field, double offset);
    double& inputField(PassInput input);
    // The rheology reads the thicknesses (and a law the roll diameter) of the record from its own copies.
    void copyInputsToRheology();
    double scaleOf(PassInput input) const;
    double stepOf(PassInput input) const;
    void setStripSpeed(double speed);
    // dY/dp from the partials at fixed radius (and speed), with a bound of its error.
    Estimate total(Value output, const Partials& byInput, const Motion& motion) const;

    DirectCase case_;
    FixedPoint fixed_;
    bool coupled_ = false; // WS18, or a law of the strain rate: the strip speed follows the slip
    bool primed_ = false;  // WS18: a probe's first bite sets the state its exit flow stress is read from
};

} // namespace rollbite
