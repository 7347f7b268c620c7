// One roll bite from end to end: grid, flow stresses, both slab passes, neutral point, force and torque.
#include "model/bite/Models.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

namespace rollbite {

namespace {

constexpr int kTableRows = 122;

bool sameBits(double first, double second) {
    return std::memcmp(&first, &second, sizeof first) == 0;
}

// Trapezoid piece of an integrand from angle `from` to angle `to`, in units of the angle step.
double trapezoidPiece(double from, double valueFrom, double to, double valueTo, double angleStep) {
    return (from - to) / angleStep * (valueFrom + valueTo) / 2.0;
}

} // namespace

Models::Models()
    : Rolling_Force(0.0), Rolling_Torque(0.0), Neutral_X(0.0), X_Tresca_Bw(0.0), X_Tresca_Fw(0.0),
      Neutral_H(0.0), angle_Tresca_Bw(0.0), angle_Tresca_Fw(0.0), Neutral_Angle(0.0), Neutral_Index(0),
      Contact_Length(0.0), Alpha_Max(0.0), Neutral_Load_Entry(0.0), Neutral_Load_Exit(0.0),
      Neutral_Shear_Entry(0.0), Neutral_Shear_Exit(0.0), Neutral_Force(0.0), Angle_Step(0.0),
      Angles(kGridPoints, 0.0), Thicknesses(kGridPoints, 0.0), Shear_Yields(kGridPoints, 0.0),
      Shear_Ratio_Table(kTableRows, 0.0), W0_Table(kTableRows, 0.0), W30_Table(kTableRows, 0.0), W0_Slope(),
      W30_Slope(), Load_Integral(0.0), Shear_Integral(0.0), Exit_thickness(0.0), Roll_radius(0.0),
      Has_Failed(0), Failed_step(FailedStep::None) {
    fillFrictionTables();
}

int Models::failWith(FailedStep step) {
    noteFailure(step);
    Has_Failed = 1;
    return Has_Failed;
}

int Models::computeRollBite(Rheology& rheology, double entryThickness, double exitThickness,
                            double entryTension, double exitTension, double friction,
                            double offsetYieldStress, double rollDiameter) {
    BiteWork& work = work_;
    work.startBite();
#ifndef NDEBUG
    // As the work arrays: a point the grid has not laid in this computation must not look laid.
    std::fill(Thicknesses.begin(), Thicknesses.end(), std::numeric_limits<double>::quiet_NaN());
    std::fill(Shear_Yields.begin(), Shear_Yields.end(), std::numeric_limits<double>::quiet_NaN());
#endif
    if (profileRecord != nullptr) {
        profileRecord->complete = false;
    }
    Failed_step = FailedStep::None;
    if (!setUpBite(rheology, entryThickness, exitThickness, entryTension, exitTension, offsetYieldStress,
                   work)) {
        return failWith(FailedStep::RollBite);
    }
    Has_Failed = 0;
    const double entrySwitchAngleBefore = angle_Tresca_Bw;
    if (!integrateFromEntry(rheology, friction, offsetYieldStress, work) || Has_Failed != 0 ||
        !integrateFromExit(rheology, friction, offsetYieldStress, work) || Has_Failed != 0) {
        if (!layRestOfGrid(rheology, offsetYieldStress, work)) {
            // A grid laid whole would have failed before the entry pass: as if it had never run.
            angle_Tresca_Bw = entrySwitchAngleBefore;
            Failed_step = FailedStep::FlowStress;
        }
        return failWith(FailedStep::RollBite);
    }
    if (!findNeutralPoint(rheology, friction, offsetYieldStress, work) || Has_Failed != 0) {
        zeroOutputs();
        return failWith(FailedStep::RollBite);
    }
    // A side that never sticks has its switch at the neutral point.
    if (work.entryCoulomb == 1) {
        angle_Tresca_Bw = Neutral_Angle;
        work.entrySwitchCell = Neutral_Index;
    }
    if (work.exitCoulomb == 1) {
        angle_Tresca_Fw = Neutral_Angle;
        work.exitSwitchCell = Neutral_Index;
    }
    integrateLoads(work);
    if (Has_Failed != 0) {
        zeroOutputs();
        return failWith(FailedStep::RollBite);
    }
    writeOutputs(rollDiameter);
    if (profileRecord != nullptr) {
        recordProfile(rheology, work, rollDiameter);
    }
    return Has_Failed;
}

bool Models::setUpBite(Rheology& rheology, double entryThickness, double exitThickness, double entryTension,
                       double exitTension, double offsetYieldStress, BiteWork& work) {
    // Bite angle of a circular roll of radius R taking the strip from h_in to the loaded exit thickness.
    const double cosBiteAngle = (Roll_radius - entryThickness / 2.0 + Exit_thickness / 2.0) / Roll_radius;
    double biteAngle = 1.0;
    bool angleComputed = false;
    if (cosBiteAngle >= -1.0 && cosBiteAngle <= 1.0) {
        biteAngle = std::acos(cosBiteAngle);
        angleComputed = !std::isnan(biteAngle);
        if (!angleComputed) {
            biteAngle = 1.0;
        }
    }
    if (!angleComputed) {
        noteFailure(FailedStep::BiteAngle);
    }
    Alpha_Max = biteAngle;
    Angle_Step = biteAngle / 500.0;
    layAngles(biteAngle);
    work.startGrid(biteAngle);
    if (!rheology.isPointwise()) {
        work.pointsLaid = kLastPoint;
        layGrid(entryThickness, work);
        work.tabulatedBiteAngle = biteAngle;
        rheology.setThicknessProfile(Thicknesses);
        rheology.setAngleProfile(Angles, work.tangent);
        Has_Failed = (!angleComputed || rheology.Has_Failed != 0) ? 1 : 0;
        if (rheology.Has_Failed != 0) {
            noteFailure(FailedStep::FlowStress);
        }
        if (!sweepFlowStress(rheology, offsetYieldStress)) {
            return false;
        }
    } else {
        // Only the two end points now; the entry pass lays the others as it reaches them, so that their
        // trigonometry and flow stress are computed while the slab march waits on its divisions.
        work.pointsLaid = 0;
        Has_Failed = angleComputed ? 0 : 1;
        if (Has_Failed != 0 || !layPoint(rheology, 0, entryThickness, offsetYieldStress, work) ||
            !layPoint(rheology, kLastPoint, entryThickness, offsetYieldStress, work)) {
            return false;
        }
    }

    // Plane-strain yield stress less the tension: the start values of the two end pressures.
    const std::vector<double>& flowStress = rheology.Flow_stress_profile;
    work.entryPressureStart = 2.0 / std::sqrt(3.0) * flowStress[0] - entryTension;
    work.exitPressureStart = 2.0 / std::sqrt(3.0) * flowStress[kLastPoint] - exitTension;
    if (work.entryPressureStart < 1.0 || work.exitPressureStart < 1.0) {
        noteFailure(work.entryPressureStart < 1.0 ? FailedStep::EntryTension : FailedStep::ExitTension);
        return false;
    }
    work.entryForce[0] = -entryTension * entryThickness;
    work.exitForce[kLastPoint] = -exitTension * exitThickness;
    return true;
}

void Models::layAngles(double biteAngle) {
    Angles[0] = biteAngle;
    for (int i = 1; i < kLastPoint; ++i) {
        Angles[i] = biteAngle - i * Angle_Step;
    }
    // The exit point sits at epsilon, never exactly 0, so that 1/phi stays finite.
    Angles[kLastPoint] = kEpsilon;
}

void Models::layGrid(double entryThickness, BiteWork& work) {
    for (int i = 0; i <= kLastPoint; ++i) {
        tabulateAngle(i, work);
    }
    for (int i = 0; i <= kLastPoint; ++i) {
        Thicknesses[i] = thicknessOfPoint(i, entryThickness, work);
    }
}

bool Models::layPoint(Rheology& rheology, int i, double entryThickness, double offsetYieldStress,
                      BiteWork& work) {
    tabulateAngle(i, work);
    Thicknesses[i] = thicknessOfPoint(i, entryThickness, work);
    rheology.setThicknessAt(i, Thicknesses[i]);
    return layShearYield(rheology, i, offsetYieldStress);
}

bool Models::layShearYield(Rheology& rheology, int i, double offsetYieldStress) {
    Shear_Yields[i] = rheology.flowStress(i, offsetYieldStress) / std::sqrt(3.0);
    Has_Failed = rheology.Has_Failed;
    if (Has_Failed != 0) {
        noteFailure(FailedStep::FlowStress);
        return false;
    }
    return true;
}

bool Models::layPointsUpTo(int last, Rheology& rheology, double offsetYieldStress, BiteWork& work) {
    while (work.pointsLaid < last) {
        const int next = work.pointsLaid + 1;
        if (!layPoint(rheology, next, Thicknesses[0], offsetYieldStress, work)) {
            return false;
        }
        work.pointsLaid = next;
    }
    if (work.pointsLaid == kLastPoint - 1) {
        work.tabulatedBiteAngle = Angles[0]; // the whole grid is laid, its two ends first
    }
    return true;
}

bool Models::layRestOfGrid(Rheology& rheology, double offsetYieldStress, BiteWork& work) {
    Has_Failed = 0;
    const bool laid = layPointsUpTo(kLastPoint - 1, rheology, offsetYieldStress, work);
    Has_Failed = 0;
    return laid;
}

void Models::tabulateAngle(int i, BiteWork& work) const {
    if (work.anglesTabulated) {
        assert(angleTableHolds(i, work));
        return;
    }
    sineAndCosine(Angles[i], work.sine[i], work.cosine[i]);
    work.tangent[i] = std::tan(Angles[i]);
    work.angleFactor[i] = frictionAngleFactor(Angles[i], work.tangent[i]);
}

bool Models::angleTableHolds(int i, const BiteWork& work) const {
    double sine = 0.0;
    double cosine = 0.0;
    sineAndCosine(Angles[i], sine, cosine);
    const double tangent = std::tan(Angles[i]);
    return sameBits(sine, work.sine[i]) && sameBits(cosine, work.cosine[i]) &&
           sameBits(tangent, work.tangent[i]) &&
           sameBits(frictionAngleFactor(Angles[i], tangent), work.angleFactor[i]);
}

double Models::thicknessOfPoint(int i, double entryThickness, const BiteWork& work) const {
    if (i == 0) {
        return entryThickness;
    }
    return i == kLastPoint ? Exit_thickness : thicknessFromCosine(work.cosine[i]);
}

bool Models::sweepFlowStress(Rheology& rheology, double offsetYieldStress) {
    for (int i = 0; i <= kLastPoint && Has_Failed == 0; ++i) {
        layShearYield(rheology, i, offsetYieldStress);
    }
    return Has_Failed == 0;
}

void Models::integrateLoads(const BiteWork& work) {
    const BiteWork::Profile& load = work.load;
    const BiteWork::Profile& shear = work.shear;
    Load_Integral = (load[0] + load[kLastPoint]) / 2.0;
    Shear_Integral = (shear[0] + shear[kLastPoint]) / 2.0;
    for (int i = 1; i < kLastPoint; ++i) {
        Load_Integral += load[i];
        Shear_Integral += shear[i];
    }
    const int neutralCell = Neutral_Index;
    Load_Integral -= (load[neutralCell - 1] + load[neutralCell]) / 2.0;
    Shear_Integral -= (shear[neutralCell - 1] + shear[neutralCell]) / 2.0;
    addNeutralCellPieces(work);

    // The other switch cells are cut at their switch point, on whichever side of the neutral point
    // they lie: the empirical force and slip corrections were fitted to a model that does this.
    if (work.entryCoulomb == 0 && work.entrySwitchCell >= 1 && work.entrySwitchCell != neutralCell) {
        splitSwitchCell(work.entrySwitchCell, angle_Tresca_Bw, work.entrySwitch, work);
    }
    if (work.exitCoulomb == 0 && work.exitSwitchCell != neutralCell) {
        splitSwitchCell(work.exitSwitchCell, angle_Tresca_Fw, work.exitSwitch, work);
    }
}

void Models::addNeutralCellPieces(const BiteWork& work) {
    // The integrands jump at the neutral point (the friction shear changes sign), so the neutral cell
    // is integrated in pieces: from point n - 1, past the switch points inside it, to point n.
    struct Node {
        double angle, load, shear;
    };
    const int n = Neutral_Index;
    Node from{Angles[n - 1], work.load[n - 1], work.shear[n - 1]};
    const auto addPieceTo = [&](const Node& to) {
        Load_Integral += trapezoidPiece(from.angle, from.load, to.angle, to.load, Angle_Step);
        Shear_Integral += trapezoidPiece(from.angle, from.shear, to.angle, to.shear, Angle_Step);
        from = to;
    };
    if (work.entryCoulomb == 0 && work.entrySwitchCell == n) {
        addPieceTo({angle_Tresca_Bw, work.entrySwitch.load, work.entrySwitch.shear});
    }
    addPieceTo({Neutral_Angle, Neutral_Load_Entry, Neutral_Shear_Entry});
    from = {Neutral_Angle, Neutral_Load_Exit, Neutral_Shear_Exit};
    if (work.exitCoulomb == 0 && work.exitSwitchCell == n) {
        addPieceTo({angle_Tresca_Fw, work.exitSwitch.load, work.exitSwitch.shear});
    }
    addPieceTo({Angles[n], work.load[n], work.shear[n]});
}

void Models::splitSwitchCell(int cell, double switchAngle, const SwitchPoint& switchPoint,
                             const BiteWork& work) {
    const int prev = cell - 1;
    const BiteWork::Profile& load = work.load;
    const BiteWork::Profile& shear = work.shear;
    Load_Integral -= (load[prev] + load[cell]) / 2.0;
    Load_Integral += trapezoidPiece(Angles[prev], switchPoint.load, switchAngle, load[prev], Angle_Step) +
                     trapezoidPiece(switchAngle, switchPoint.load, Angles[cell], load[cell], Angle_Step);
    Shear_Integral -= (shear[prev] + shear[cell]) / 2.0;
    Shear_Integral += trapezoidPiece(Angles[prev], switchPoint.shear, switchAngle, shear[prev], Angle_Step) +
                      trapezoidPiece(switchAngle, switchPoint.shear, Angles[cell], shear[cell], Angle_Step);
}

double Models::thicknessAt(double angle) const {
    return thicknessFromCosine(std::cos(angle));
}

double Models::thicknessFromCosine(double cosine) const {
    // The arc of the roll: h = 2R (1 - cos(phi)) + h_out.
    return 2.0 * Roll_radius * (1.0 - cosine) + Exit_thickness;
}

void Models::zeroOutputs() {
    Rolling_Force = 0.0;
    Rolling_Torque = 0.0;
    X_Tresca_Bw = 0.0;
    X_Tresca_Fw = 0.0;
    Contact_Length = 0.0;
}

void Models::writeOutputs(double rollDiameter) {
    Rolling_Force = Roll_radius * Angle_Step * Load_Integral;
    Contact_Length = Roll_radius * std::sin(Alpha_Max);
    X_Tresca_Fw = -Roll_radius * std::sin(angle_Tresca_Fw);
    X_Tresca_Bw = -Roll_radius * std::sin(angle_Tresca_Bw);
    // The torque arm is the undeformed roll radius, half the diameter, even on a flattened roll.
    Rolling_Torque = 0.5 * rollDiameter * Roll_radius * Angle_Step * Shear_Integral;
}

void Models::recordProfile(const Rheology& rheology, const BiteWork& work, double rollDiameter) const {
    BiteProfile& record = *profileRecord;
    for (int i = 0; i <= kLastPoint; ++i) {
        record.angle[i] = Angles[i];
        record.thickness[i] = Thicknesses[i];
        record.flowStress[i] = rheology.Flow_stress_profile[i];
        record.shearYield[i] = Shear_Yields[i];
    }
    record.entryPressure = work.entryPressure;
    record.exitPressure = work.exitPressure;
    record.shear = work.shear;
    record.load = work.load;
    record.firstExitPoint = work.point - 1;
    record.neutralCell = Neutral_Index;
    record.neutralAngle = Neutral_Angle;
    // Both sides share the pressure at the neutral point; only the sign of the shear differs.
    record.neutralPressure = (Neutral_Load_Entry + Neutral_Load_Exit) / (2.0 * std::cos(Neutral_Angle));
    record.neutralLoadEntry = Neutral_Load_Entry;
    record.neutralLoadExit = Neutral_Load_Exit;
    record.neutralShearEntry = Neutral_Shear_Entry;
    record.neutralShearExit = Neutral_Shear_Exit;
    record.entrySticks = work.entryCoulomb == 0;
    record.exitSticks = work.exitCoulomb == 0;
    record.entrySwitchCell = work.entrySwitchCell;
    record.exitSwitchCell = work.exitSwitchCell;
    record.entrySwitchAngle = angle_Tresca_Bw;
    record.exitSwitchAngle = angle_Tresca_Fw;
    record.entrySwitch = work.entrySwitch;
    record.exitSwitch = work.exitSwitch;
    record.angleStep = Angle_Step;
    record.rollRadius = Roll_radius;
    record.rollDiameter = rollDiameter;
    record.force = Rolling_Force;
    record.torque = Rolling_Torque;
    record.contactLength = Contact_Length;
    record.complete = true;
}

} // namespace rollbite
