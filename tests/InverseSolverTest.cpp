#include "Kinds.h"
#include "inputs/SmatchInputs.h"
#include "model/InverseSearch.h"
#include "model/ModelHandler.h"
#include "support/Cases.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rollbite;
using rollbite::test::carbonManganeseSteel;
using rollbite::test::directPass;

namespace {

// A handler of the given kind set up for one case, as the computation object sets it up.
ModelHandler handlerFor(int kind, int mode, double offsetYieldStress, double friction) {
    ModelHandler handler(kind);
    if (mode == kDirectMode) {
        handler.Direct_inputs = directPass(offsetYieldStress, friction);
    } else {
        rollbite::test::fillPass(handler.Back_inputs);
        handler.Back_inputs.Offset_yield_stress = offsetYieldStress;
        handler.Back_inputs.Friction_coefficient = friction;
    }
    switch (kind) {
    case kConstantRheology:
        handler.setConstantRheology(offsetYieldStress);
        break;
    case kSmatchRheology:
        handler.setSmatchRheology(SmatchInputs(140.0, 60.0, 0.1, 5.0));
        break;
    default:
        handler.setWS18Rheology(carbonManganeseSteel());
        break;
    }
    handler.checkCaseInputs(mode);
    if (kind == kWS18Rheology) {
        handler.runWS18Pass(mode);
    }
    return handler;
}

struct Measurement {
    double force; // in units of 9.81 N/mm
    double slip;  // percent
};

Measurement directRun(int kind, double offsetYieldStress, double friction) {
    ModelHandler direct = handlerFor(kind, kDirectMode, offsetYieldStress, friction);
    double force = 0.0;
    double slip = 0.0;
    direct.solveDirect(force, slip);
    return {force / kForceUnit, slip};
}

struct InverseResult {
    int notConverged;
    int failed;
    double offset;
    double friction;
    double force;
    double slip;
    double forceError;
    double slipError;
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

} // namespace

TEST(InverseSolver, RecoversTheOffsetAndFrictionOfADirectRunForEachRheology) {
    struct RoundTrip {
        int kind;
        double offset;
        double startOffset;
    };
    for (const RoundTrip& trip :
         {RoundTrip{kConstantRheology, 150.0, 110.0}, RoundTrip{kSmatchRheology, 20.0, 60.0},
          RoundTrip{kWS18Rheology, 5.0, 30.0}}) {
        const Measurement measured = directRun(trip.kind, trip.offset, 0.3);
        ModelHandler inverse = handlerFor(trip.kind, kInverseMode, trip.startOffset, 0.2);
        const InverseResult found = inverseRun(inverse, measured);
        EXPECT_EQ(found.failed, 0) << trip.kind;
        EXPECT_EQ(found.notConverged, 0) << trip.kind;
        // The direct mode flattens the roll with the computed force and the inverse mode with the
        // measured one, so the pair comes back closely but not to the last digit.
        EXPECT_NEAR(found.offset, trip.offset, 0.1) << trip.kind;
        EXPECT_NEAR(found.friction, 0.3, 0.0002) << trip.kind;
        EXPECT_LE(std::abs(found.force - measured.force), 0.1) << trip.kind;
        EXPECT_LE(std::abs(found.slip - measured.slip), 0.01) << trip.kind;
    }
}

TEST(InverseSolver, StartThatAlreadyMatchesNeedsNoIteration) {
    // The measured force flattens the roll: find the force that reproduces itself at (150, 0.3).
    ModelHandler probe = handlerFor(kConstantRheology, kInverseMode, 150.0, 0.3);
    double force = 1200.0;
    double slip = 0.0;
    for (int k = 0; k < 5; ++k) {
        probe.Back_inputs.Force = force;
        ASSERT_EQ(probe.evaluateInverse(force, slip), 0);
    }
    // Within the tolerances (0.1 and 0.01) but above the floor of 0.005 that the iterations apply.
    const Measurement measured{force + 0.05, slip + 0.008};
    probe.Back_inputs.Force = measured.force;
    ASSERT_EQ(probe.evaluateInverse(force, slip), 0);
    const double torque = probe.Bite_model.Rolling_Torque;

    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, 150.0, 0.3);
    const InverseResult found = inverseRun(handler, measured);
    EXPECT_EQ(found.notConverged, 0);
    EXPECT_EQ(found.failed, 0);
    EXPECT_EQ(found.force, force);
    EXPECT_EQ(found.slip, slip);
    EXPECT_EQ(found.offset, 150.0);
    EXPECT_EQ(found.friction, 0.3);
    EXPECT_EQ(found.forceError, (force - measured.force) / measured.force);
    EXPECT_EQ(found.slipError, (slip - measured.slip) / measured.slip);
    EXPECT_NE(found.forceError, 0.0);
    EXPECT_NE(found.slipError, 0.0);
    // The last roll bite is that of the final pair, not the mu = 3.0 one of the slip ceiling.
    EXPECT_EQ(handler.Bite_model.Rolling_Torque, torque);
}

TEST(InverseSolver, FrictionProbeGoesUpwardsFromAMeasuredSlipOfFourPercent) {
    EXPECT_EQ(InverseSearch::frictionProbeFor(4.0), 0.001);
    EXPECT_EQ(InverseSearch::frictionProbeFor(12.0), 0.001);
    EXPECT_EQ(InverseSearch::frictionProbeFor(3.999), -0.001);
}

TEST(InverseSolver, SlipBeyondReachFreezesTheFrictionAtTheStickingLimit) {
    ModelHandler ceiling = handlerFor(kConstantRheology, kInverseMode, 150.0, 3.0);
    ceiling.Back_inputs.Force = 1200.0;
    double force = 0.0;
    double maximumSlip = 0.0;
    ASSERT_EQ(ceiling.evaluateInverse(force, maximumSlip), 0);

    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, 120.0, 0.3);
    const InverseResult found = inverseRun(handler, {1200.0, maximumSlip + 3.0});
    ASSERT_EQ(found.failed, 0);
    // The friction is the sticking limit at the final offset, computed with mu = 3.0 in the record.
    ModelHandler tresca = handlerFor(kConstantRheology, kInverseMode, found.offset, 3.0);
    tresca.Back_inputs.Force = 1200.0;
    EXPECT_EQ(found.friction, tresca.trescaFriction());
    EXPECT_EQ(tresca.Step_status, 0);
    EXPECT_GT(found.friction, 0.3);
}

TEST(InverseSolver, SlipBelowTheElasticMinimumKeepsTheStartingFriction) {
    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, 120.0, 0.27);
    const InverseResult found = inverseRun(handler, {1200.0, -1.0});
    ASSERT_EQ(found.failed, 0);
    EXPECT_EQ(found.friction, 0.27);
    EXPECT_EQ(found.notConverged, 1); // the slip cannot be met: it is reported, not an error
    // The slip target is the minimum of a frictionless bite: -0.91 (2 y / sqrt 3 - T_out) / E, percent.
    const double minimumSlip = -0.91 * (2.0 / std::sqrt(3.0) * found.offset - 10.0) / 210000.0 * 100.0;
    EXPECT_NEAR(found.slipError, (found.slip - minimumSlip) / minimumSlip, 1e-6);
}

TEST(InverseSolver, FailedEvaluationIsAnInternalErrorWithoutOutputs) {
    ModelHandler handler = handlerFor(kConstantRheology, kInverseMode, -20.0, 0.3);
    handler.Back_inputs.Force = 1200.0;
    handler.Back_inputs.Slip = 5.0;
    double force = -1.0, slip = -1.0, forceError = -1.0, slipError = -1.0;
    EXPECT_EQ(handler.solveInverse(force, slip, forceError, slipError), 0);
    EXPECT_EQ(handler.Solve_failed, 1);
    EXPECT_EQ(handler.Step_status, 1);
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

// A search whose derivatives are given directly: force and slip at (y, mu) and at the two probes.
InverseSearch searchAt(double offset, double friction) {
    InverseSearch search;
    search.measuredForce = 1000.0;
    search.targetSlip = 6.0;
    search.offset = offset;
    search.friction = friction;
    search.force = 900.0;
    search.slip = 5.0;
    search.entryStress = 50.0;
    search.offsetBound = -200.0;
    search.frictionProbe = 0.001;
    return search;
}

} // namespace

TEST(InverseSearch, NewtonStepSolvesTheLinearisedSystem) {
    InverseSearch search = searchAt(100.0, 0.3);
    // dF/dy = 2, dS/dy = 0.01, dF/dmu = 1000, dS/dmu = 30: the exact step is dy = 40, dmu = 0.02.
    search.newtonStep({902.0, 5.01, 901.0, 5.03});
    EXPECT_NEAR(search.offset, 140.0, 1e-9);
    EXPECT_NEAR(search.friction, 0.32, 1e-12);
    EXPECT_EQ(search.status, 0);
}

TEST(InverseSearch, StepsAreDampedAndTheFrictionCapped) {
    InverseSearch search = searchAt(100.0, 0.3);
    search.entryStress = 10.0; // y may move by 10 at most: the whole step is scaled by 1/4
    search.newtonStep({902.0, 5.01, 901.0, 5.03});
    EXPECT_NEAR(search.offset, 110.0, 1e-9);
    EXPECT_NEAR(search.friction, 0.305, 1e-12);

    // dF/dy = 2, dS/dmu = 20, the slip 20 below its target: dmu = 1 is wanted, 0.1 is taken.
    InverseSearch steep = searchAt(100.0, 0.3);
    steep.targetSlip = 25.0;
    steep.newtonStep({902.0, 5.0, 900.0, 5.02});
    EXPECT_NEAR(steep.friction, 0.4, 1e-12);
    EXPECT_NEAR(steep.offset, 105.0, 1e-9);

    InverseSearch nearCeiling = searchAt(100.0, 2.95);
    nearCeiling.targetSlip = 25.0;
    nearCeiling.newtonStep({902.0, 5.0, 900.0, 5.02});
    EXPECT_DOUBLE_EQ(nearCeiling.friction, 3.0);
    EXPECT_LE(nearCeiling.friction, 3.0);

    InverseSearch frozen = searchAt(100.0, 0.3);
    frozen.frictionWeight = 0.0;
    frozen.newtonStep({902.0, 5.01, 901.0, 5.03});
    EXPECT_EQ(frozen.friction, 0.3);
    EXPECT_NEAR(frozen.offset, 140.0, 1e-9);
}

TEST(InverseSearch, NonPositiveOffsetStopsAtTheBound) {
    InverseSearch search = searchAt(-5.0, 0.3);
    search.offsetBound = -20.0;
    search.measuredForce = 800.0; // dy = -50 wanted, which would pass the bound
    search.newtonStep({902.0, 5.0, 900.0, 5.02});
    EXPECT_EQ(search.offset, -20.0);
    EXPECT_NEAR(search.friction, 0.3 + 0.3 * 0.05, 1e-12); // the friction step shrinks likewise
    EXPECT_EQ(search.status, 0);
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
    onTarget.newtonStep({902.0, 5.01, 901.0, 5.03});
    EXPECT_EQ(onTarget.status, 1); // a vanishing step ends the search
    EXPECT_EQ(onTarget.offset, 100.0);
    EXPECT_EQ(onTarget.friction, 0.3);
}
