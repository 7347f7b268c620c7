#include "model/case/InverseSearch.h"
#include "model/case/ModelHandler.h"
#include "rollbite/Kinds.h"
#include "support/Cases.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rollbite;
using rollbite::test::handlerFor;

namespace {

struct Measurement {
    double force; // in units of 9.81 N/mm
    double slip;  // percent
};

struct InverseResult {
    int notConverged;
    int failed;
    double offset, friction, force, slip, forceError, slipError;
};

InverseResult inverseRun(ModelHandler& handler, const Measurement& measured) {
    handler.Back_inputs.Force = measured.force;
    handler.Back_inputs.Slip = measured.slip;
    InverseResult result{};
    result.notConverged =
        handler.solveInverse(result.force, result.slip, result.forceError, result.slipError);
    result.failed = handler.Solve_failed;
    result.offset = handler.Back_inputs.Offset_yield_stress;
    result.friction = handler.Back_inputs.Friction_coefficient;
    return result;
}

// Force and slip of one evaluation at (y, mu) with the roll flattened by `force`.
Measurement evaluate(double offset, double friction, double force) {
    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, offset, friction);
    handler.Back_inputs.Force = force;
    Measurement result{};
    EXPECT_EQ(handler.evaluateInverse(result.force, result.slip), 0);
    return result;
}

} // namespace

TEST(InverseSolver, RecoversTheOffsetAndFrictionOfADirectRunForEachRheology) {
    const double offsets[] = {150.0, 20.0, 5.0};
    const double starts[] = {110.0, 60.0, 30.0};
    for (int kind : {kConstantRheology, kSmatchRheology, kWS18Rheology}) {
        ModelHandler direct = handlerFor(kind, kDirectMode, offsets[kind]);
        Measurement measured{};
        direct.solveDirect(measured.force, measured.slip);
        measured.force /= kForceUnit;
        ModelHandler inverse = handlerFor(kind, kInverseMode, starts[kind], 0.2);
        if (kind == kWS18Rheology) { // the exit speed that the direct coupling settled on
            inverse.WS18_rheology.WS18_inputs.Strip_speed = direct.WS18_rheology.WS18_inputs.Strip_speed;
        }
        const InverseResult found = inverseRun(inverse, measured);
        EXPECT_EQ(found.failed, 0) << kind;
        EXPECT_EQ(found.notConverged, 0) << kind;
        // The two modes flatten the roll with different loads: close, not to the last digit.
        EXPECT_NEAR(found.offset, offsets[kind], 0.1) << kind;
        EXPECT_NEAR(found.friction, 0.3, 0.0002) << kind;
        EXPECT_LE(std::abs(found.force - measured.force), 0.1) << kind;
        EXPECT_LE(std::abs(found.slip - measured.slip), 0.01) << kind;
    }
}

TEST(InverseSolver, StartThatAlreadyMatchesNeedsNoIteration) {
    // The measured force flattens the roll: take the force that reproduces itself at (150, 0.3), then
    // measurements off by less than the tolerances (0.1, 0.01) but more than the floor of 0.005.
    Measurement matched{1200.0, 0.0};
    for (int k = 0; k < 5; ++k) {
        matched = evaluate(150.0, 0.3, matched.force);
    }
    const Measurement measured{matched.force + 0.05, matched.slip + 0.008};
    ModelHandler probe = handlerFor(kConstantRheology, kInverseMode, 150.0, 0.3);
    probe.Back_inputs.Force = measured.force;
    double force = 0.0;
    double slip = 0.0;
    probe.evaluateInverse(force, slip);

    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, 150.0, 0.3);
    const InverseResult found = inverseRun(handler, measured);
    EXPECT_EQ(found.notConverged, 0);
    EXPECT_EQ(found.failed, 0);
    EXPECT_EQ(found.force, force);
    EXPECT_EQ(found.slip, slip);
    EXPECT_EQ(found.offset, 150.0); // not mu = 3.0 from the slip ceiling
    EXPECT_EQ(found.friction, 0.3);
    // Relative errors from the unrounded residuals.
    EXPECT_EQ(found.forceError, (force - measured.force) / measured.force);
    EXPECT_EQ(found.slipError, (slip - measured.slip) / measured.slip);
    EXPECT_NE(found.slipError, 0.0);
    // The last roll bite is that of the final pair, not the mu = 3.0 one of the slip ceiling.
    EXPECT_EQ(handler.Bite_model.Rolling_Torque, probe.Bite_model.Rolling_Torque);
}

TEST(InverseSolver, SlipOutOfReachFreezesTheFriction) {
    // Beyond the slip of mu = 3.0: mu is held at the sticking limit of the final offset, computed while
    // the record still holds mu = 3.0.
    const double maximumSlip = evaluate(150.0, 3.0, 1200.0).slip;
    ModelHandler beyond = handlerFor(kConstantRheology, kInverseMode, 120.0, 0.3);
    const InverseResult sticking = inverseRun(beyond, {1200.0, maximumSlip + 3.0});
    ASSERT_EQ(sticking.failed, 0);
    ModelHandler tresca = handlerFor(kConstantRheology, kInverseMode, sticking.offset, 3.0);
    tresca.Back_inputs.Force = 1200.0;
    EXPECT_EQ(sticking.friction, tresca.trescaFriction());
    EXPECT_GT(sticking.friction, 0.3);

    // Below the elastic minimum -0.91 (2 y / sqrt 3 - T_out) / E: mu stays at its start, the slip error
    // is relative to that minimum, and the search does not settle (reported, not an error).
    ModelHandler below = handlerFor(kConstantRheology, kInverseMode, 120.0, 0.27);
    const InverseResult frozen = inverseRun(below, {1200.0, -1.0});
    ASSERT_EQ(frozen.failed, 0);
    EXPECT_EQ(frozen.friction, 0.27);
    EXPECT_EQ(frozen.notConverged, 1);
    const double minimumSlip = -0.91 * (2.0 / std::sqrt(3.0) * frozen.offset - 10.0) / 210000.0 * 100.0;
    EXPECT_NEAR(frozen.slipError, (frozen.slip - minimumSlip) / minimumSlip, 1e-6);
}

TEST(InverseSolver, FailedEvaluationIsAnInternalErrorWithoutOutputs) {
    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, -20.0, 0.3);
    double force = -1.0, slip = -1.0, forceError = -1.0, slipError = -1.0;
    handler.Back_inputs.Force = 1200.0;
    handler.Back_inputs.Slip = 5.0;
    EXPECT_EQ(handler.solveInverse(force, slip, forceError, slipError), 0);
    EXPECT_EQ(handler.Solve_failed, 1);
    EXPECT_EQ(force, -1.0);
    EXPECT_EQ(forceError, -1.0);
}

TEST(TrescaFriction, StickingLimitOfAFlatExitWithoutTension) {
    // At the exit, p = 2k w(1, 0) with no tension, so mu = k / p = 1 / (2 w(1, 0)).
    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, 150.0, 3.0);
    handler.Back_inputs.Entry_tension = 0.0;
    handler.Back_inputs.Exit_tension = 0.0;
    handler.Back_inputs.Force = 1200.0;
    EXPECT_NEAR(handler.trescaFriction(), 1.0 / (2.0 * 0.7853982), 1e-12);
    EXPECT_EQ(handler.Step_status, 0);
    handler.Back_inputs.Exit_tension = 2.0 * 150.0 / std::sqrt(3.0); // no exit pressure left
    EXPECT_EQ(handler.trescaFriction(), 0.0);
    EXPECT_EQ(handler.Step_status, 1);
}

namespace {

// A search at (y, mu) with F = 900 and S = 5 towards 1000 and 6, derivatives given by the probes.
InverseSearch searchAt(double offset, double friction) {
    InverseSearch search;
    search.measuredForce = 1000.0;
    search.targetSlip = 6.0;
    search.offset = offset;
    search.friction = friction;
    search.force = 900.0;
    search.slip = 5.0;
    search.offsetBound = -200.0;
    search.frictionProbe = 0.001;
    return search;
}

// dF/dy = 2, dS/dy = 0.01, dF/dmu = 1000, dS/dmu = 30: the exact step is dy = 40, dmu = 0.02.
const ProbeResults kWellPosed{902.0, 5.01, 901.0, 5.03};
// dF/dy = 2, dS/dy = 0, dF/dmu = 0, dS/dmu = 20.
const ProbeResults kDecoupled{902.0, 5.0, 900.0, 5.02};

} // namespace

TEST(InverseSearch, NewtonStepsAreDampedAndTheFrictionCapped) {
    EXPECT_EQ(InverseSearch::frictionProbeFor(4.0), 0.001);
    EXPECT_EQ(InverseSearch::frictionProbeFor(3.999), -0.001);

    InverseSearch exact = searchAt(100.0, 0.3);
    exact.newtonStep(kWellPosed);
    EXPECT_NEAR(exact.offset, 140.0, 1e-9);
    EXPECT_NEAR(exact.friction, 0.32, 1e-12);

    InverseSearch damped = searchAt(100.0, 0.3);
    damped.entryStress = 10.0; // y may move by 10 at most: the whole step is scaled by 1/4
    damped.newtonStep(kWellPosed);
    EXPECT_NEAR(damped.offset, 110.0, 1e-9);
    EXPECT_NEAR(damped.friction, 0.305, 1e-12);

    InverseSearch steep = searchAt(100.0, 0.3); // dmu = 1 wanted, 0.1 taken, y scaled alike
    steep.targetSlip = 25.0;
    steep.newtonStep(kDecoupled);
    EXPECT_NEAR(steep.friction, 0.4, 1e-12);
    EXPECT_NEAR(steep.offset, 105.0, 1e-9);

    InverseSearch ceiling = searchAt(100.0, 2.95);
    ceiling.targetSlip = 25.0;
    ceiling.newtonStep(kDecoupled);
    EXPECT_DOUBLE_EQ(ceiling.friction, 3.0);
    EXPECT_LE(ceiling.friction, 3.0);

    InverseSearch frozen = searchAt(100.0, 0.3);
    frozen.frictionWeight = 0.0;
    frozen.newtonStep(kWellPosed);
    EXPECT_EQ(frozen.friction, 0.3);

    InverseSearch bounded = searchAt(-5.0, 0.3); // dy = -50 would pass the bound L = -20
    bounded.offsetBound = -20.0;
    bounded.measuredForce = 800.0;
    bounded.newtonStep(kDecoupled);
    EXPECT_EQ(bounded.offset, -20.0);
    EXPECT_NEAR(bounded.friction, 0.3 + 0.3 * 0.05, 1e-12); // the friction step shrinks likewise
}

TEST(InverseSearch, DegenerateDerivativesGiveASecantStepOrARestart) {
    InverseSearch noFrictionEffect = searchAt(100.0, 0.3);
    noFrictionEffect.newtonStep({902.0, 5.01, 900.0, 5.0});
    EXPECT_EQ(noFrictionEffect.offset, 150.0); // y + (1000 - 900) / 2
    EXPECT_EQ(noFrictionEffect.friction, 0.3);

    InverseSearch proportional = searchAt(100.0, 0.3); // friction acts, but exactly like the offset
    proportional.frictionProbe = 0.5;
    proportional.newtonStep({902.0, 5.25, 904.0, 5.5});
    EXPECT_EQ(proportional.offset, 250.0);
    EXPECT_EQ(proportional.friction, 0.2);

    InverseSearch onTarget = searchAt(100.0, 0.3);
    onTarget.targetSlip = 5.0;
    onTarget.measuredForce = 900.0;
    onTarget.newtonStep(kWellPosed);
    EXPECT_EQ(onTarget.status, 1); // a vanishing step ends the search
    EXPECT_EQ(onTarget.offset, 100.0);
}
