#include "model/case/ModelHandler.h"
#include "rollbite/Kinds.h"
#include "rollbite/Numerics.h"
#include "support/Cases.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rollbite;
using rollbite::test::carbonManganeseSteel;
using rollbite::test::directPass;
using rollbite::test::handlerFor;

TEST(ModelHandler, CaseCheckDependsOnTheRheologyKind) {
    ModelHandler constant = handlerFor(kConstantRheology, kDirectMode, 0.0);
    EXPECT_FALSE(constant.checkCaseInputs(kDirectMode));
    EXPECT_EQ(constant.Direct_inputs.Error_code, 110);
    for (double flowStress :
         handlerFor(kConstantRheology, kDirectMode, 137.5).Constant_rheology.Flow_stress_profile) {
        ASSERT_EQ(flowStress, 137.5);
    }

    // Smatch: the offset must be positive only when the law has no coefficients.
    ModelHandler smatch = handlerFor(kSmatchRheology, kDirectMode, 0.0);
    smatch.setSmatchRheology(0.0, 0.0, 0.0, 0.0);
    EXPECT_FALSE(smatch.checkCaseInputs(kDirectMode));
    EXPECT_EQ(smatch.Direct_inputs.Error_code, 110);
    EXPECT_EQ(smatch.Smatch_rheology.Entry_thickness, 30.0);
    smatch.setSmatchRheology(100.0, 0.0, 0.0, 0.0);
    EXPECT_TRUE(smatch.checkCaseInputs(kDirectMode));

    // WS18: the steel is checked only after a valid rolling record; the thicknesses are handed over
    // whatever the result, and the chemistry coefficients are derived at set-up.
    ModelHandler ws18(kWS18Rheology);
    WS18Inputs noCarbon = carbonManganeseSteel();
    noCarbon.C = 0.0;
    ws18.setWS18Rheology(noCarbon.values());
    EXPECT_DOUBLE_EQ(ws18.WS18_rheology.Lattice_stress_coefficient, 65.0 + 0.02 * 0.02 + 0.03 * 0.012);
    ws18.WS18_rheology.WS18_inputs.Wrong_inputs = "not checked";
    ws18.Direct_inputs = directPass(0.0);
    ws18.Direct_inputs.Entry_tension = 80.0;
    EXPECT_FALSE(ws18.checkCaseInputs(kDirectMode));
    EXPECT_EQ(ws18.WS18_rheology.WS18_inputs.Wrong_inputs, "not checked");
    EXPECT_EQ(ws18.WS18_rheology.Entry_thickness, 30.0);
    EXPECT_EQ(ws18.WS18_rheology.Exit_thickness, 22.0);
    ws18.Direct_inputs = directPass(0.0); // no offset needed with WS18
    EXPECT_FALSE(ws18.checkCaseInputs(kDirectMode));
    EXPECT_EQ(ws18.WS18_rheology.WS18_inputs.Wrong_inputs, "All wrong rheology inputs:  C ");
    ws18.setWS18Rheology(carbonManganeseSteel().values());
    EXPECT_TRUE(ws18.checkCaseInputs(kDirectMode));
    EXPECT_FALSE(ws18.checkCaseInputs(kInverseMode)); // the other record, empty
}

TEST(RollFlattening, HitchcockRadiusAndLoadedExitThickness) {
    ModelHandler handler = handlerFor(kConstantRheology, kDirectMode, 150.0);
    EXPECT_EQ(handler.flattenRoll(0.0), 0);
    EXPECT_EQ(handler.Bite_model.Roll_radius, 400.0); // no load: half the diameter
    const double load = 12000.0;                      // N/mm
    EXPECT_EQ(handler.flattenRoll(load), 0);
    // The strip leaves elastically compressed by 2 sigma / sqrt 3 less the exit tension.
    const double loadedExit = 22.0 * std::exp(-0.91 * (2.0 * 150.0 / std::sqrt(3.0) - 10.0) / 210000.0);
    EXPECT_DOUBLE_EQ(handler.Bite_model.Exit_thickness, loadedExit);
    // R' = R (1 + 16 (1 - nu^2) P / (pi E dh)), by hand 400 (1 + 0.0330).
    EXPECT_DOUBLE_EQ(handler.Bite_model.Roll_radius,
                     400.0 * (1.0 + 16.0 * 0.91 * load / (3.141592 * 210000.0 * (30.0 - loadedExit))));
    EXPECT_NEAR(handler.Bite_model.Roll_radius, 413.22, 0.01);
    EXPECT_EQ(handlerFor(kConstantRheology, kDirectMode, -5.0).flattenRoll(0.0), 1); // no flow stress
}

TEST(ForwardSlip, RigidRollGivesTheTextbookSlip) {
    // Without elastic terms (E very large, no tension) the slip is h_n cos(phi_n) / h_out - 1.
    ModelHandler handler(kConstantRheology);
    Models& bite = handler.Bite_model;
    bite.Roll_radius = 400.0;
    bite.Exit_thickness = 22.0;
    bite.Neutral_X = -20.0;
    bite.Neutral_Load_Entry = 300.0;
    bite.Neutral_Load_Exit = 280.0;
    bite.Neutral_Force = -4000.0;
    handler.computeForwardSlip(1e30, 0.0);
    const double cosNeutral = std::sqrt(1.0 - 20.0 * 20.0 / (400.0 * 400.0));
    const double neutralThickness = 2.0 * 400.0 * (1.0 - cosNeutral) + 22.0;
    EXPECT_NEAR(handler.Model_forward_slip, (neutralThickness * cosNeutral / 22.0 - 1.0) * 100.0, 1e-9);
    // Small angles: S = phi_n^2 (R / h_out - 1/2).
    const double neutralAngle = std::asin(20.0 / 400.0);
    EXPECT_NEAR(handler.Model_forward_slip, 100.0 * neutralAngle * neutralAngle * (400.0 / 22.0 - 0.5), 0.01);

    bite.Neutral_X = -400.0; // a neutral point on the roll's horizontal diameter
    handler.computeForwardSlip(210000.0, 10.0);
    EXPECT_EQ(handler.Model_forward_slip, 1.0);
}

TEST(DirectSolver, ForceIterationConvergesAndTheOutputsAreTheCorrectedValues) {
    ModelHandler handler = handlerFor(kConstantRheology, kDirectMode, 150.0);
    double force = 0.0;
    double slip = 0.0;
    EXPECT_EQ(handler.solveDirect(force, slip), 0);
    EXPECT_EQ(handler.Solve_failed, 0);
    const Models& bite = handler.Bite_model;
    const double rollingForce = bite.Rolling_Force;
    // The force is a fixed point of flattening and integration.
    ModelHandler again = handlerFor(kConstantRheology, kDirectMode, 150.0);
    again.flattenRoll(rollingForce);
    again.integrateDirect();
    EXPECT_NEAR(again.Bite_model.Rolling_Force, rollingForce, 0.001);
    // The corrections are affine in the model force and slip, with parts that depend only on the
    // thicknesses of the record.
    EXPECT_DOUBLE_EQ(force, (11.74972083005 - 0.72512035693 * 30.0 - 2.97381948998 * 22.0) * 9.81 +
                                1.05572826414 * rollingForce);
    EXPECT_DOUBLE_EQ(slip, 0.07170049749 * 30.0 - 0.31694092851 - 0.29618984659 * (bite.Neutral_H - 22.0) +
                               handler.Model_forward_slip);
}

TEST(DirectSolver, SoftRollsNeedAllTwentyIterations) {
    ModelHandler handler = handlerFor(kConstantRheology, kDirectMode, 150.0);
    handler.Direct_inputs.Young_modulus_WR = 5000.0; // far below steel: the roll flattens a lot
    double force = 0.0;
    double slip = 0.0;
    EXPECT_EQ(handler.solveDirect(force, slip), 1);
    EXPECT_EQ(handler.Solve_failed, 0); // not converging is no failure
    EXPECT_GT(force, 0.0);
}

TEST(DirectSolver, FailedStepsSetTheFlagAndLeaveTheOutputs) {
    ModelHandler noStress = handlerFor(kConstantRheology, kDirectMode, 0.0); // flattening fails
    ModelHandler pulledApart = handlerFor(kConstantRheology, kDirectMode, 150.0);
    pulledApart.Direct_inputs.Entry_tension = 2.0 * 150.0 / std::sqrt(3.0); // no entry pressure left
    for (ModelHandler* handler : {&noStress, &pulledApart}) {
        double force = -1.0;
        double slip = -2.0;
        EXPECT_EQ(handler->solveDirect(force, slip), 0);
        EXPECT_EQ(handler->Solve_failed, 1);
        EXPECT_EQ(handler->Step_status, 1);
        EXPECT_EQ(force, -1.0);
        EXPECT_EQ(slip, -2.0);
    }
}

TEST(DirectSolver, RealisticPassesWithEachRheology) {
    // Constant 150 MPa; Smatch (140, 60, 0.1, 5) + 20 MPa; WS18 C-Mn steel at 1000 C after its first pass.
    const double offsets[] = {150.0, 20.0, 0.0};
    for (int kind : {kConstantRheology, kSmatchRheology, kWS18Rheology}) {
        ModelHandler handler = handlerFor(kind, kDirectMode, offsets[kind]);
        EXPECT_TRUE(handler.checkCaseInputs(kDirectMode)) << kind;
        double force = 0.0;
        double slip = 0.0;
        EXPECT_EQ(handler.solveDirect(force, slip), 0) << kind;
        EXPECT_EQ(handler.Solve_failed, 0) << kind;
        EXPECT_GT(force / kForceUnit, 150.0) << kind;
        EXPECT_LT(force / kForceUnit, 5000.0) << kind;
        EXPECT_GT(slip, 2.0) << kind;
        EXPECT_LT(slip, 12.0) << kind;
    }
}
