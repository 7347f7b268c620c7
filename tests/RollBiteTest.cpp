#include "model/bite/Models.h"
#include "rheology/Constant.h"
#include "rheology/Smatch.h"
#include "rollbite/Numerics.h"
#include "support/UniformNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

using rollbite::Constant;
using rollbite::FailedStep;
using rollbite::kEpsilon;
using rollbite::Models;

namespace {

// A pass of the Constant rheology (mm, MPa): 30 mm to 22 mm on 800 mm rolls, 150 MPa, no tensions.
struct Pass {
    double entryThickness = 30.0;
    double exitThickness = 22.0;
    double entryTension = 0.0;
    double exitTension = 0.0;
    double friction = 0.3;
    double flowStress = 150.0;
    double rollDiameter = 800.0;
};

Pass withFriction(double friction, double entryTension = 0.0, double exitTension = 0.0) {
    Pass pass;
    pass.friction = friction;
    pass.entryTension = entryTension;
    pass.exitTension = exitTension;
    return pass;
}

int computeBite(Models& model, const Pass& pass, rollbite::Rheology& rheology) {
    model.Exit_thickness = pass.exitThickness;
    model.Roll_radius = pass.rollDiameter / 2.0;
    return model.computeRollBite(rheology, pass.entryThickness, pass.exitThickness, pass.entryTension,
                                 pass.exitTension, pass.friction, pass.flowStress, pass.rollDiameter);
}

int computeBite(Models& model, const Pass& pass, rollbite::Rheology&& rheology = Constant()) {
    return computeBite(model, pass, rheology);
}

// Orowan's slab equations integrated independently with 20000 second-order steps, the pressure solved
// at each point from its own force (no lagged friction terms), the neutral point where the curves cross.
double fineStepRollingForce(const Pass& pass) {
    Models table;
    const double radius = pass.rollDiameter / 2.0;
    const double k = pass.flowStress / std::sqrt(3.0);
    const double biteAngle =
        std::acos((radius - pass.entryThickness / 2.0 + pass.exitThickness / 2.0) / radius);
    const auto shear = [&](double p) { return std::min(pass.friction * p, k); };
    const auto pressure = [&](double force, double angle, double side) {
        const double h = 2.0 * radius * (1.0 - std::cos(angle)) + pass.exitThickness;
        const double c = angle < 1e-6 ? angle / 3.0 : 1.0 / angle - 1.0 / std::tan(angle);
        double p = force / h + 2.0 * k;
        for (int iteration = 0; iteration < 20; ++iteration) {
            const double w = table.frictionFactor(std::min(1.0, pass.friction * p / k), angle);
            p = force / h + 2.0 * k * w + side * shear(p) * c;
        }
        return p;
    };
    const auto slope = [&](double force, double angle, double side) {
        const double p = pressure(force, angle, side);
        return 2.0 * radius * (p * std::sin(angle) - side * shear(p) * std::cos(angle));
    };
    const int steps = 20000;
    const double step = biteAngle / steps;
    std::vector<double> entryPressure(steps + 1), exitPressure(steps + 1);
    double entryForce = -pass.entryTension * pass.entryThickness;
    double exitForce = -pass.exitTension * pass.exitThickness;
    for (int i = 0; i <= steps; ++i) {
        const int j = steps - i; // the exit pass runs from the other end
        entryPressure[i] = pressure(entryForce, biteAngle - i * step, 1.0);
        exitPressure[j] = pressure(exitForce, biteAngle - j * step, -1.0);
        const double entryAngle = biteAngle - i * step;
        const double exitAngle = biteAngle - j * step;
        entryForce -= step * slope(entryForce - 0.5 * step * slope(entryForce, entryAngle, 1.0),
                                   entryAngle - 0.5 * step, 1.0);
        exitForce += step * slope(exitForce + 0.5 * step * slope(exitForce, exitAngle, -1.0),
                                  exitAngle + 0.5 * step, -1.0);
    }
    double loadIntegral = 0.0;
    for (int i = 0; i < steps; ++i) {
        const bool entrySide = entryPressure[i + 1] < exitPressure[i + 1];
        const std::vector<double>& p = entrySide ? entryPressure : exitPressure;
        const double side = entrySide ? 1.0 : -1.0;
        const double a = biteAngle - i * step;
        const double b = a - step;
        loadIntegral += 0.5 * step *
                        (p[i] * std::cos(a) + side * shear(p[i]) * std::sin(a) + p[i + 1] * std::cos(b) +
                         side * shear(p[i + 1]) * std::sin(b));
    }
    return radius * loadIntegral;
}

// The grid cell (between points n - 1 and n) that holds an angle.
int cellOf(const Models& model, double angle) {
    return static_cast<int>(std::ceil((model.Alpha_Max - angle) / model.Angle_Step));
}

} // namespace

TEST(RollBite, ForceAgreesWithAFineStepIntegrationOfTheSlabEquations) {
    for (double friction : {0.15, 0.25, 0.45}) { // no sticking, then sticking in the middle of the bite
        Models model;
        ASSERT_EQ(computeBite(model, withFriction(friction)), 0);
        const double reference = fineStepRollingForce(withFriction(friction));
        EXPECT_NEAR(model.Rolling_Force, reference, 0.005 * reference) << "friction " << friction;
    }
}

TEST(RollBite, ForceRisesWithFrictionAndReductionAndFallsWithBackTension) {
    Models model;
    EXPECT_EQ(computeBite(model, withFriction(0.0)), 1); // without friction the strip is not drawn in
    double previous = 0.0;
    for (double friction : {0.12, 0.2, 0.3, 0.4, 0.5, 0.6}) {
        ASSERT_EQ(computeBite(model, withFriction(friction)), 0);
        EXPECT_GT(model.Rolling_Force, previous) << "friction " << friction;
        previous = model.Rolling_Force;
    }
    previous = 0.0;
    for (double exitThickness : {28.0, 26.0, 24.0, 22.0, 20.0}) {
        Pass pass;
        pass.exitThickness = exitThickness;
        ASSERT_EQ(computeBite(model, pass), 0);
        EXPECT_GT(model.Rolling_Force, previous) << "exit thickness " << exitThickness;
        previous = model.Rolling_Force;
    }
    // Back tension moves the neutral point towards the exit and lowers the force.
    double previousAngle = 1.0;
    previous = 1e9;
    for (double entryTension : {0.0, 10.0, 20.0, 40.0, 60.0}) {
        ASSERT_EQ(computeBite(model, withFriction(0.3, entryTension)), 0);
        EXPECT_LT(model.Neutral_Angle, previousAngle) << "entry tension " << entryTension;
        EXPECT_LT(model.Rolling_Force, previous) << "entry tension " << entryTension;
        previousAngle = model.Neutral_Angle;
        previous = model.Rolling_Force;
    }
}

TEST(RollBite, NeutralPointLiesInsideItsCellAndAgreesWithTheSlabRelation) {
    for (double friction : {0.15, 0.3, 0.45}) {
        Models model;
        ASSERT_EQ(computeBite(model, withFriction(friction)), 0);
        const int n = model.Neutral_Index;
        ASSERT_TRUE(n >= 1 && n <= 500);
        const double angle = model.Neutral_Angle;
        EXPECT_TRUE(model.Angles[n] <= angle && angle <= model.Angles[n - 1] && angle < model.Alpha_Max);
        EXPECT_DOUBLE_EQ(model.Neutral_X, -400.0 * std::sin(angle));
        EXPECT_DOUBLE_EQ(model.Neutral_H, 800.0 * (1.0 - std::cos(angle)) + 22.0);
        // p = F/h + 2k w + tau c(phi) at the neutral point, within the grid's accuracy.
        const double shear = model.Neutral_Shear_Entry;
        const double pressure = (model.Neutral_Load_Entry - shear * std::sin(angle)) / std::cos(angle);
        const double k = 150.0 / std::sqrt(3.0);
        const double w = model.frictionFactor(std::min(1.0, friction * pressure / k), angle);
        const double slabPressure = model.Neutral_Force / model.Neutral_H + 2.0 * k * w +
                                    shear * (1.0 / angle - 1.0 / std::tan(angle));
        EXPECT_NEAR(slabPressure, pressure, 0.01 * pressure) << "friction " << friction;
        EXPECT_EQ(model.Neutral_Shear_Exit, -shear);
    }
}

TEST(RollBite, ContactLengthIsTheProjectedArcAndTheTorqueArmIsHalfTheDiameter) {
    Models model;
    Constant constant;
    model.Exit_thickness = 22.0;
    model.Roll_radius = 430.0; // a flattened radius, larger than half the diameter
    ASSERT_EQ(model.computeRollBite(constant, 30.0, 22.0, 0.0, 0.0, 0.3, 150.0, 800.0), 0);
    EXPECT_EQ(model.Contact_Length, 430.0 * std::sin(model.Alpha_Max));
    const double force = model.Rolling_Force;
    const double torque = model.Rolling_Torque;
    ASSERT_EQ(model.computeRollBite(constant, 30.0, 22.0, 0.0, 0.0, 0.3, 150.0, 1000.0), 0);
    EXPECT_EQ(model.Rolling_Force, force);
    EXPECT_DOUBLE_EQ(model.Rolling_Torque, torque * 1000.0 / 800.0);
}

TEST(RollBite, FrictionRegimesPlaceTheSwitchAngles) {
    struct Regime {
        const char* name;
        Pass pass;
        bool fromEntry, atExit, inside; // sticking from the entry, at the exit, between the switch angles
    };
    const Regime regimes[] = {
        {"no sticking", withFriction(0.2), false, false, false},
        {"sticking in the middle", withFriction(0.45), false, false, true},
        {"sticking from the entry", withFriction(0.7, 0.0, 50.0), true, false, true},
        {"sticking at the exit", withFriction(0.7, 50.0, 0.0), false, true, true},
        {"sticking everywhere", withFriction(0.8), true, true, true},
    };
    for (const Regime& regime : regimes) {
        Models model;
        ASSERT_EQ(computeBite(model, regime.pass), 0) << regime.name;
        const double entrySwitch = model.angle_Tresca_Bw;
        const double exitSwitch = model.angle_Tresca_Fw;
        EXPECT_EQ(entrySwitch == model.Alpha_Max, regime.fromEntry) << regime.name;
        EXPECT_EQ(exitSwitch == kEpsilon, regime.atExit) << regime.name;
        EXPECT_EQ(entrySwitch > exitSwitch, regime.inside) << regime.name;
        EXPECT_EQ(model.X_Tresca_Bw, -model.Roll_radius * std::sin(entrySwitch)) << regime.name;
        EXPECT_EQ(model.X_Tresca_Fw, -model.Roll_radius * std::sin(exitSwitch)) << regime.name;
        if (!regime.inside) { // a side that never sticks has its switch at the neutral point
            EXPECT_EQ(entrySwitch, model.Neutral_Angle) << regime.name;
            EXPECT_EQ(exitSwitch, model.Neutral_Angle) << regime.name;
        } else {
            EXPECT_TRUE(exitSwitch <= model.Neutral_Angle && model.Neutral_Angle <= entrySwitch)
                << regime.name;
        }
    }
}

TEST(RollBite, SwitchInsideTheNeutralCellCutsTheCellAtBothAngles) {
    // At mu = 0.3148 the entry side turns to sticking inside the neutral cell, just before the neutral
    // point; the force must pass smoothly through the friction range where this happens.
    Models model;
    ASSERT_EQ(computeBite(model, withFriction(0.3148)), 0);
    EXPECT_EQ(cellOf(model, model.angle_Tresca_Bw), model.Neutral_Index);
    EXPECT_GT(model.angle_Tresca_Bw, model.Neutral_Angle);
    std::vector<double> forces;
    for (double friction = 0.3136; friction < 0.3160; friction += 0.0001) {
        ASSERT_EQ(computeBite(model, withFriction(friction)), 0);
        forces.push_back(model.Rolling_Force);
    }
    const double slope = (forces.back() - forces.front()) / (forces.size() - 1);
    for (std::size_t k = 0; k < forces.size(); ++k) {
        EXPECT_NEAR(forces[k], forces.front() + slope * k, 2.0) << "step " << k; // N/mm, of about 12000
    }
}

TEST(RollBite, FailuresBeforeTheNeutralPointLeaveTheOutputsAlone) {
    // Each failure, with the step it is told by.
    const double twoK = 2.0 * 150.0 / std::sqrt(3.0);
    Pass tinyRoll;
    tinyRoll.rollDiameter = 2.0; // no bite angle for a 8 mm draft
    Pass noStress;
    noStress.flowStress = 0.0;
    const struct {
        Pass pass;
        FailedStep step;
    } failures[] = {
        {tinyRoll, FailedStep::BiteAngle},
        {withFriction(0.3, twoK - 0.75, 0.0), FailedStep::EntryTension}, // less than 1 MPa of pressure left
        {withFriction(0.3, 0.0, twoK - 0.75), FailedStep::ExitTension},
        {withFriction(0.3, 0.0, 150.0), FailedStep::NoCrossing}, // the exit-side curve stays below
        {withFriction(0.3, 100.0, 0.0), FailedStep::NoCrossing}, // it starts above the entry-side one
        {noStress, FailedStep::FlowStress},                      // the rheology fails in the sweep
    };
    for (const auto& failure : failures) {
        Models model;
        ASSERT_EQ(computeBite(model, Pass()), 0);
        const Models before = model;
        EXPECT_EQ(computeBite(model, failure.pass), 1);
        EXPECT_EQ(model.Has_Failed, 1);
        EXPECT_EQ(model.Failed_step, failure.step) << static_cast<int>(failure.step);
        EXPECT_EQ(model.Rolling_Force, before.Rolling_Force);
        EXPECT_EQ(model.Rolling_Torque, before.Rolling_Torque);
        EXPECT_EQ(model.Contact_Length, before.Contact_Length);
        if (&failure == &failures[0]) {
            EXPECT_EQ(model.Alpha_Max, 1.0);
        }
    }
}

namespace {

// Flow stress of a constant on the grid, but no answer between the grid points.
class NoAnswerBetweenPoints : public Constant {
public:
    double flowStressAt(int, double, double, double) override {
        Has_Failed = 1;
        return 1.0;
    }
};

} // namespace

TEST(RollBite, FailureAtTheNeutralPointZeroesTheOutputs) {
    Models model;
    ASSERT_EQ(computeBite(model, Pass()), 0);
    // Without sticking the neutral point is the only position asked between grid points.
    EXPECT_EQ(computeBite(model, withFriction(0.2), NoAnswerBetweenPoints()), 1);
    for (double output : {model.Rolling_Force, model.Rolling_Torque, model.Contact_Length, model.X_Tresca_Bw,
                          model.X_Tresca_Fw}) {
        EXPECT_EQ(output, 0.0);
    }
}

namespace {

// The Smatch rheology with its grid laid whole before the slab passes: the plain order of the
// computation, against which the grid laid point by point along the entry pass is checked.
class SmatchLaidWhole : public rollbite::Smatch {
public:
    using Smatch::Smatch;
    bool isPointwise() const override { return false; }
};

// A Smatch law whose flow stress fails at one grid point, laid point by point or whole.
template <bool Pointwise> class SmatchFailingAt : public rollbite::Smatch {
public:
    SmatchFailingAt(const rollbite::SmatchInputs& law, int failingPoint)
        : Smatch(law), failingPoint_(failingPoint) {}
    bool isPointwise() const override { return Pointwise; }
    double flowStress(int index, double offsetYieldStress) override {
        const double flowStress = Smatch::flowStress(index, offsetYieldStress);
        if (index == failingPoint_) {
            Has_Failed = 1;
        }
        return flowStress;
    }

private:
    int failingPoint_;
};

// Everything a bite leaves for its callers, as the bits of each value.
std::vector<double> biteOutcome(const Models& model, const rollbite::Rheology& rheology) {
    std::vector<double> outcome{static_cast<double>(model.Has_Failed),
                                model.Rolling_Force,
                                model.Rolling_Torque,
                                model.Neutral_X,
                                model.Neutral_H,
                                model.Neutral_Angle,
                                static_cast<double>(model.Neutral_Index),
                                model.angle_Tresca_Bw,
                                model.angle_Tresca_Fw,
                                model.Neutral_Load_Entry,
                                model.Neutral_Load_Exit,
                                model.Neutral_Force,
                                model.Contact_Length,
                                model.Alpha_Max};
    if (model.Has_Failed == 0) {
        outcome.insert(outcome.end(), rheology.Flow_stress_profile.begin(),
                       rheology.Flow_stress_profile.end());
    }
    return outcome;
}

} // namespace

TEST(RollBite, AGridLaidPointByPointChangesNoBit) {
    // Passes from light to heavy, from low to sticking friction, with tensions up to the flow stress and
    // offsets down to where the flow stress fails; each bite computed both ways, one after the other
    // in the same two models, as the solvers call them.
    Models pointByPoint;
    Models laidWhole;
    rollbite::test::UniformNumbers uniform(12345);
    int failures = 0;
    int sticking = 0;
    for (int k = 0; k < 3000; ++k) {
        Pass pass;
        pass.entryThickness = uniform(1.0, 50.0);
        pass.exitThickness = pass.entryThickness * (1.0 - uniform(0.02, 0.6));
        pass.entryTension = uniform(0.0, 80.0);
        pass.exitTension = uniform(0.0, 80.0);
        pass.friction = uniform(0.02, k % 4 == 0 ? 3.0 : 0.9);
        pass.flowStress = uniform(-150.0, 60.0); // the offset on the hardening law
        pass.rollDiameter = uniform(200.0, 1200.0);
        // A negative C makes the law dip inside the bite: some passes fail there and not at their ends.
        const rollbite::SmatchInputs law(uniform(50.0, 200.0), uniform(0.0, 120.0),
                                         k % 3 == 0 ? uniform(-4.0, 0.0) : uniform(0.0, 0.3),
                                         uniform(0.0, 40.0));
        rollbite::Smatch pointwise(law);
        SmatchLaidWhole whole(law);
        pointwise.Entry_thickness = pass.entryThickness;
        whole.Entry_thickness = pass.entryThickness;
        pointByPoint.Exit_thickness = laidWhole.Exit_thickness = pass.exitThickness;
        pointByPoint.Roll_radius = laidWhole.Roll_radius = pass.rollDiameter / 2.0;
        const auto compute = [&pass](Models& model, rollbite::Rheology& rheology) {
            model.computeRollBite(rheology, pass.entryThickness, pass.exitThickness, pass.entryTension,
                                  pass.exitTension, pass.friction, pass.flowStress, pass.rollDiameter);
        };
        compute(pointByPoint, pointwise);
        compute(laidWhole, whole);
        const std::vector<double> expected = biteOutcome(laidWhole, whole);
        const std::vector<double> actual = biteOutcome(pointByPoint, pointwise);
        ASSERT_EQ(actual.size(), expected.size()) << "bite " << k;
        for (std::size_t v = 0; v < actual.size(); ++v) {
            ASSERT_TRUE(actual[v] == expected[v] || (std::isnan(actual[v]) && std::isnan(expected[v])))
                << "bite " << k << ", value " << v << ": " << actual[v] << " against " << expected[v];
        }
        failures += laidWhole.Has_Failed;
        sticking += laidWhole.Has_Failed == 0 && laidWhole.angle_Tresca_Bw > laidWhole.angle_Tresca_Fw;
    }
    // Both kinds of bite are well represented.
    EXPECT_GT(failures, 300);
    EXPECT_GT(sticking, 300);
}

TEST(RollBite, AFlowStressFailingInsideTheBiteFailsItAsAGridLaidWholeDoes) {
    // Whichever point fails, and whichever pass lays it, the bite fails and leaves what the previous
    // bite left, as when the grid is laid whole before the passes.
    const rollbite::SmatchInputs law(140.0, 30.0, 0.1, 5.0);
    for (const double friction : {0.15, 0.6}) {
        for (const int failingPoint : {1, 2, 100, 248, 249, 250, 251, 252, 300, 420, 498, 499}) {
            Models pointByPoint;
            Models laidWhole;
            Pass pass = withFriction(friction, 5.0, 10.0);
            pass.flowStress = 20.0;
            rollbite::Smatch soundPointwise(law);
            SmatchLaidWhole soundWhole(law);
            SmatchFailingAt<true> failingPointwise(law, failingPoint);
            SmatchFailingAt<false> failingWhole(law, failingPoint);
            for (rollbite::Rheology* rheology : std::initializer_list<rollbite::Rheology*>{
                     &soundPointwise, &soundWhole, &failingPointwise, &failingWhole}) {
                rheology->Entry_thickness = pass.entryThickness;
            }
            ASSERT_EQ(computeBite(pointByPoint, pass, soundPointwise), 0);
            ASSERT_EQ(computeBite(laidWhole, pass, soundWhole), 0);
            pass.friction = friction * 1.1; // another bite, as a solver's next one
            EXPECT_EQ(computeBite(pointByPoint, pass, failingPointwise), 1);
            EXPECT_EQ(computeBite(laidWhole, pass, failingWhole), 1);
            EXPECT_EQ(biteOutcome(pointByPoint, soundPointwise), biteOutcome(laidWhole, soundWhole))
                << "point " << failingPoint << ", friction " << friction;
        }
    }
}
