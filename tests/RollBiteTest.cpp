#include "Numerics.h"
#include "model/Models.h"
#include "rheology/Constant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using rollbite::Constant;
using rollbite::kEpsilon;
using rollbite::Models;

namespace {

// A pass of the Constant rheology: mm, MPa.
struct Pass {
    double entryThickness = 30.0;
    double exitThickness = 22.0;
    double entryTension = 0.0;
    double exitTension = 0.0;
    double friction = 0.3;
    double flowStress = 150.0;
    double rollDiameter = 800.0;
};

int computeBite(Models& model, const Pass& pass, rollbite::Rheology& rheology) {
    model.Exit_thickness = pass.exitThickness;
    model.Roll_radius = pass.rollDiameter / 2.0;
    return model.computeRollBite(rheology, pass.entryThickness, pass.exitThickness, pass.entryTension,
                                 pass.exitTension, pass.friction, pass.flowStress, pass.rollDiameter);
}

int computeBite(Models& model, const Pass& pass) {
    Constant constant;
    return computeBite(model, pass, constant);
}

// An independent integration of Orowan's slab equations with tens of thousands of steps, a second-order
// scheme and the pressure solved at each point from its own force (no lagged friction terms).
class FineSlabIntegration {
public:
    explicit FineSlabIntegration(const Pass& pass)
        : pass_(pass), shearYield_(pass.flowStress / std::sqrt(3.0)) {
        radius_ = pass.rollDiameter / 2.0;
        biteAngle_ = std::acos((radius_ - pass.entryThickness / 2.0 + pass.exitThickness / 2.0) / radius_);
    }

    // Rolling force per unit width, N/mm.
    double rollingForce() {
        const int steps = 20000;
        const double step = biteAngle_ / steps;
        std::vector<double> angle(steps + 1), entryPressure(steps + 1), exitPressure(steps + 1);
        for (int i = 0; i <= steps; ++i) {
            angle[i] = biteAngle_ - i * step;
        }
        // From the entry (F = -T h) towards the exit, and from the exit towards the entry.
        double force = -pass_.entryTension * pass_.entryThickness;
        entryPressure[0] = pressure(force, angle[0], +1.0);
        for (int i = 1; i <= steps; ++i) {
            force = rungeKuttaStep(force, angle[i - 1], -step, +1.0);
            entryPressure[i] = pressure(force, angle[i], +1.0);
        }
        force = -pass_.exitTension * pass_.exitThickness;
        exitPressure[steps] = pressure(force, angle[steps], -1.0);
        for (int i = steps - 1; i >= 0; --i) {
            force = rungeKuttaStep(force, angle[i + 1], step, -1.0);
            exitPressure[i] = pressure(force, angle[i], -1.0);
        }
        // Neutral point: where the two pressure curves cross; integrate p cos + tau sin (entry side) and
        // p cos - tau sin (exit side) over the arc.
        double loadIntegral = 0.0;
        for (int i = 0; i < steps; ++i) {
            const bool entrySide = entryPressure[i + 1] < exitPressure[i + 1];
            const double side = entrySide ? 1.0 : -1.0;
            const std::vector<double>& p = entrySide ? entryPressure : exitPressure;
            loadIntegral += 0.5 * step * (load(p[i], angle[i], side) + load(p[i + 1], angle[i + 1], side));
        }
        return radius_ * loadIntegral;
    }

private:
    double thickness(double angle) const {
        return 2.0 * radius_ * (1.0 - std::cos(angle)) + pass_.exitThickness;
    }
    double shear(double p) const { return std::min(pass_.friction * p, shearYield_); }
    static double angleFactor(double angle) {
        return angle < 1e-6 ? angle / 3.0 : 1.0 / angle - 1.0 / std::tan(angle);
    }
    double load(double p, double angle, double side) const {
        return p * std::cos(angle) + side * shear(p) * std::sin(angle);
    }
    double pressure(double force, double angle, double side) {
        double p = force / thickness(angle) + 2.0 * shearYield_;
        for (int k = 0; k < 20; ++k) {
            const double s = std::min(1.0, pass_.friction * p / shearYield_);
            p = force / thickness(angle) + 2.0 * shearYield_ * table_.frictionFactor(s, angle) +
                side * shear(p) * angleFactor(angle);
        }
        return p;
    }
    double slope(double force, double angle, double side) {
        const double p = pressure(force, angle, side);
        return 2.0 * radius_ * (p * std::sin(angle) - side * shear(p) * std::cos(angle));
    }
    double rungeKuttaStep(double force, double angle, double step, double side) {
        const double k1 = slope(force, angle, side);
        const double k2 = slope(force + 0.5 * step * k1, angle + 0.5 * step, side);
        return force + step * k2;
    }

    Pass pass_;
    double shearYield_;
    double radius_ = 0.0;
    double biteAngle_ = 0.0;
    Models table_;
};

// The grid cell (between points n - 1 and n) that holds an angle.
int cellOf(const Models& model, double angle) {
    return static_cast<int>(std::ceil((model.Alpha_Max - angle) / model.Angle_Step));
}

} // namespace

TEST(RollBite, ForceAgreesWithAFineStepIntegrationOfTheSlabEquations) {
    for (double friction : {0.15, 0.25, 0.45}) {
        Pass pass;
        pass.friction = friction;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0);
        const double reference = FineSlabIntegration(pass).rollingForce();
        EXPECT_NEAR(model.Rolling_Force, reference, 0.005 * reference) << "friction " << friction;
    }
}

TEST(RollBite, WithoutFrictionTheStripIsNotDrawnIn) {
    Pass pass;
    pass.friction = 0.0;
    Models model;
    EXPECT_EQ(computeBite(model, pass), 1);
    EXPECT_EQ(model.Has_Failed, 1);
}

TEST(RollBite, ForceRisesWithFrictionAndWithReduction) {
    double previous = 0.0;
    for (double friction : {0.12, 0.2, 0.3, 0.4, 0.5, 0.6}) {
        Pass pass;
        pass.friction = friction;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0);
        EXPECT_GT(model.Rolling_Force, previous) << "friction " << friction;
        previous = model.Rolling_Force;
    }
    previous = 0.0;
    for (double exitThickness : {28.0, 26.0, 24.0, 22.0, 20.0}) {
        Pass pass;
        pass.exitThickness = exitThickness;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0);
        EXPECT_GT(model.Rolling_Force, previous) << "exit thickness " << exitThickness;
        previous = model.Rolling_Force;
    }
}

TEST(RollBite, BackTensionMovesTheNeutralPointTowardsTheExitAndLowersTheForce) {
    double previousAngle = 1.0;
    double previousForce = 1e9;
    for (double entryTension : {0.0, 10.0, 20.0, 40.0, 60.0}) {
        Pass pass;
        pass.entryTension = entryTension;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0);
        EXPECT_LT(model.Neutral_Angle, previousAngle) << "entry tension " << entryTension;
        EXPECT_LT(model.Rolling_Force, previousForce) << "entry tension " << entryTension;
        previousAngle = model.Neutral_Angle;
        previousForce = model.Rolling_Force;
    }
}

TEST(RollBite, NeutralPointLiesInsideItsCellAndAgreesWithTheSlabRelation) {
    for (double friction : {0.15, 0.3, 0.45}) {
        Pass pass;
        pass.friction = friction;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0);
        const int n = model.Neutral_Index;
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 500);
        EXPECT_GT(model.Neutral_Angle, 0.0);
        EXPECT_LT(model.Neutral_Angle, model.Alpha_Max);
        EXPECT_LE(model.Neutral_Angle, model.Angles[n - 1]);
        EXPECT_GE(model.Neutral_Angle, model.Angles[n]);
        const double radius = model.Roll_radius;
        EXPECT_DOUBLE_EQ(model.Neutral_X, -radius * std::sin(model.Neutral_Angle));
        EXPECT_DOUBLE_EQ(model.Neutral_H,
                         2.0 * radius * (1.0 - std::cos(model.Neutral_Angle)) + pass.exitThickness);
        // Slab relation at the neutral point: p = F/h + 2k w + tau c(phi), within the grid's accuracy.
        const double angle = model.Neutral_Angle;
        const double shear = model.Neutral_Shear_Entry;
        const double pressure = (model.Neutral_Load_Entry - shear * std::sin(angle)) / std::cos(angle);
        const double shearYield = pass.flowStress / std::sqrt(3.0);
        const double factor = model.frictionFactor(std::min(1.0, friction * pressure / shearYield), angle);
        const double slabPressure = model.Neutral_Force / model.Neutral_H + 2.0 * shearYield * factor +
                                    shear * (1.0 / angle - 1.0 / std::tan(angle));
        EXPECT_NEAR(slabPressure, pressure, 0.01 * pressure) << "friction " << friction;
        EXPECT_EQ(model.Neutral_Shear_Exit, -shear);
    }
}

TEST(RollBite, ContactLengthIsTheProjectedArcAndTheTorqueArmIsHalfTheDiameter) {
    Pass pass;
    Models model;
    model.Exit_thickness = pass.exitThickness;
    model.Roll_radius = 430.0; // a flattened radius, larger than half the diameter
    Constant constant;
    ASSERT_EQ(
        model.computeRollBite(constant, pass.entryThickness, pass.exitThickness, 0.0, 0.0, 0.3, 150.0, 800.0),
        0);
    EXPECT_EQ(model.Contact_Length, 430.0 * std::sin(model.Alpha_Max));
    const double force = model.Rolling_Force;
    const double torque = model.Rolling_Torque;
    ASSERT_EQ(model.computeRollBite(constant, pass.entryThickness, pass.exitThickness, 0.0, 0.0, 0.3, 150.0,
                                    1000.0),
              0);
    EXPECT_EQ(model.Rolling_Force, force);
    EXPECT_DOUBLE_EQ(model.Rolling_Torque, torque * 1000.0 / 800.0);
}

struct FrictionRegime {
    const char* name;
    double entryTension;
    double exitTension;
    double friction;
    bool sticksFromEntry;
    bool sticksAtExit;
    bool sticksInside; // a sticking zone lies between the two switch angles
};

TEST(RollBite, FrictionRegimesPlaceTheSwitchAngles) {
    const FrictionRegime regimes[] = {
        {"no sticking", 0.0, 0.0, 0.2, false, false, false},
        {"sticking in the middle", 0.0, 0.0, 0.45, false, false, true},
        {"sticking from the entry", 0.0, 50.0, 0.7, true, false, true},
        {"sticking at the exit", 50.0, 0.0, 0.7, false, true, true},
        {"sticking everywhere", 0.0, 0.0, 0.8, true, true, true},
    };
    for (const FrictionRegime& regime : regimes) {
        Pass pass;
        pass.entryTension = regime.entryTension;
        pass.exitTension = regime.exitTension;
        pass.friction = regime.friction;
        Models model;
        ASSERT_EQ(computeBite(model, pass), 0) << regime.name;
        const double entrySwitch = model.angle_Tresca_Bw;
        const double exitSwitch = model.angle_Tresca_Fw;
        EXPECT_EQ(entrySwitch == model.Alpha_Max, regime.sticksFromEntry) << regime.name;
        EXPECT_EQ(exitSwitch == kEpsilon, regime.sticksAtExit) << regime.name;
        EXPECT_EQ(entrySwitch > exitSwitch, regime.sticksInside) << regime.name;
        EXPECT_EQ(model.X_Tresca_Bw, -model.Roll_radius * std::sin(entrySwitch)) << regime.name;
        EXPECT_EQ(model.X_Tresca_Fw, -model.Roll_radius * std::sin(exitSwitch)) << regime.name;
        if (!regime.sticksInside) {
            EXPECT_EQ(entrySwitch, model.Neutral_Angle) << regime.name;
            EXPECT_EQ(exitSwitch, model.Neutral_Angle) << regime.name;
            EXPECT_EQ(model.X_Tresca_Bw, model.Neutral_X) << regime.name;
        } else {
            EXPECT_GE(entrySwitch, model.Neutral_Angle) << regime.name;
            EXPECT_LE(exitSwitch, model.Neutral_Angle) << regime.name;
        }
    }
}

TEST(RollBite, SwitchInsideTheNeutralCellCutsTheCellAtBothAngles) {
    // At mu = 0.3148 the entry side turns to sticking inside the neutral cell, just before the neutral
    // point; the force must pass smoothly through the friction range where this happens.
    Pass pass;
    pass.friction = 0.3148;
    Models model;
    ASSERT_EQ(computeBite(model, pass), 0);
    EXPECT_EQ(cellOf(model, model.angle_Tresca_Bw), model.Neutral_Index);
    EXPECT_GT(model.angle_Tresca_Bw, model.Neutral_Angle);

    std::vector<double> forces;
    for (double friction = 0.3136; friction < 0.3160; friction += 0.0001) {
        pass.friction = friction;
        ASSERT_EQ(computeBite(model, pass), 0);
        forces.push_back(model.Rolling_Force);
    }
    const double slope = (forces.back() - forces.front()) / (forces.size() - 1);
    for (std::size_t k = 0; k < forces.size(); ++k) {
        EXPECT_NEAR(forces[k], forces.front() + slope * k, 2.0) << "step " << k; // N/mm, of about 12000
    }
}

TEST(RollBite, FailuresBeforeTheNeutralPointLeaveTheOutputsAlone) {
    struct Failure {
        const char* name;
        Pass pass;
        double rollRadius;
    };
    Pass tensionTooHigh; // 2k - T below 1.0 at the entry
    tensionTooHigh.entryTension = 2.0 * 150.0 / std::sqrt(3.0) - 0.5;
    Pass exitTensionTooHigh;
    exitTensionTooHigh.exitTension = 2.0 * 150.0 / std::sqrt(3.0) - 0.5;
    Pass neverCrossing; // the exit-side pressure stays below the entry-side one up to the entry
    neverCrossing.exitTension = 150.0;
    Pass startingAbove; // the exit-side pressure starts above the entry-side one
    startingAbove.entryTension = 100.0;
    Pass noStress;
    noStress.flowStress = 0.0;
    const Failure failures[] = {
        {"bite angle not computable", Pass(), 1.0},
        {"entry tension", tensionTooHigh, 400.0},
        {"exit tension", exitTensionTooHigh, 400.0},
        {"no crossing before the entry", neverCrossing, 400.0},
        {"exit pressure above the entry side", startingAbove, 400.0},
        {"rheology fails in the sweep", noStress, 400.0},
    };
    for (const Failure& failure : failures) {
        Models model;
        ASSERT_EQ(computeBite(model, Pass()), 0);
        const double force = model.Rolling_Force;
        const double torque = model.Rolling_Torque;
        const double contactLength = model.Contact_Length;
        Pass pass = failure.pass;
        pass.rollDiameter = 2.0 * failure.rollRadius;
        EXPECT_EQ(computeBite(model, pass), 1) << failure.name;
        EXPECT_EQ(model.Has_Failed, 1) << failure.name;
        EXPECT_EQ(model.Rolling_Force, force) << failure.name;
        EXPECT_EQ(model.Rolling_Torque, torque) << failure.name;
        EXPECT_EQ(model.Contact_Length, contactLength) << failure.name;
    }
    Models model;
    Pass tinyRoll;
    tinyRoll.rollDiameter = 2.0;
    EXPECT_EQ(computeBite(model, tinyRoll), 1);
    EXPECT_EQ(model.Alpha_Max, 1.0);
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
    ASSERT_GT(model.Rolling_Force, 0.0);
    NoAnswerBetweenPoints rheology;
    Pass pass;
    pass.friction = 0.2; // no sticking: the neutral point is the only position between grid points
    EXPECT_EQ(computeBite(model, pass, rheology), 1);
    EXPECT_EQ(model.Rolling_Force, 0.0);
    EXPECT_EQ(model.Rolling_Torque, 0.0);
    EXPECT_EQ(model.Contact_Length, 0.0);
    EXPECT_EQ(model.X_Tresca_Bw, 0.0);
    EXPECT_EQ(model.X_Tresca_Fw, 0.0);
}
