// The learner of a mill: a wrong measurement is screened and moves no state; one that passes the screen
// moves the state by no more than its clamps.
#include "rollbite/Numerics.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/MillLearner.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rollbite;

namespace {

constexpr double kRounding = 1e-12; // a step taken and then measured back

// Stand S1 of the tandem example (examples/schedules/tandem_smatch.txt), 1000 mm wide.
StandPass standOne() {
    StandPass pass;
    pass.stand = "S1";
    pass.productClass = "DC01";
    pass.width = 1000.0;
    CaseInputs& setup = pass.setup;
    setup.Case_id = 1;
    setup.Entry_thickness = 8.0;
    setup.Exit_thickness = 5.8;
    setup.Entry_tension = 10.0;
    setup.Exit_tension = 40.0;
    setup.Working_roll_diameter = 560.0;
    setup.Young_modulus_WR = 210000.0;
    setup.Offset_yield_stress = 0.0;
    setup.Friction_coefficient = 0.14;
    setup.coefficients = {280.0, 250.0, 0.15, 4.0};
    return pass;
}

// The pass as the mill rolls it: a strip 6 % harder than the law, rolls of friction 0.13.
StandPass measured(double forceFactor) {
    StandPass pass = standOne();
    CaseInputs truth = pass.setup;
    truth.coefficients[0] *= 1.06;
    truth.coefficients[1] *= 1.06;
    truth.Friction_coefficient = 0.13;
    CaseSolver solver(kDirectMode, kSmatchRheology);
    const CaseResult& row = solver.solve(truth);
    pass.measuredForce = row.Rolling_Force * kForceUnit * pass.width / 1e3 * forceFactor;
    pass.measuredSlip = row.Forward_Slip;
    return pass;
}

} // namespace

TEST(Learner, AWrongMeasurementMovesNoStateByMoreThanItsClamp) {
    const LearnerSettings settings;
    MillLearner learner(kSmatchRheology, settings);
    for (int coil = 0; coil < 20; ++coil) {
        learner.replay({measured(1.0)});
    }
    const LearnerState before = learner.state();
    // 30 % off: beyond the screen, learnt from not at all.
    const StandReplay wrong = learner.replay({measured(1.3)}).at(0);
    EXPECT_NE(wrong.screened.find("beyond the screen"), std::string::npos) << wrong.screened;
    const LearnerState unmoved = learner.state();
    EXPECT_EQ(unmoved.stands.at(0).shortTerm, before.stands.at(0).shortTerm);
    EXPECT_EQ(unmoved.stands.at(0).friction, before.stands.at(0).friction);
    EXPECT_EQ(unmoved.longTerm, before.longTerm);
    // 15 % off: within the screen, and learnt from by no more than the clamps allow.
    const StandReplay passed = learner.replay({measured(1.15)}).at(0);
    EXPECT_TRUE(passed.screened.empty()) << passed.screened;
    const LearnerState after = learner.state();
    EXPECT_LE(std::abs(after.stands.at(0).shortTerm - before.stands.at(0).shortTerm),
              settings.shortStep + kRounding);
    EXPECT_LE(std::abs(after.stands.at(0).friction - before.stands.at(0).friction),
              settings.frictionStep + kRounding);
    const std::pair<std::string, std::string> key{"DC01", "S1"};
    EXPECT_LE(std::abs(after.longTerm.at(key) - before.longTerm.at(key)), settings.longStep + kRounding);
    EXPECT_GT(after.longTerm.at(key), before.longTerm.at(key));
}
