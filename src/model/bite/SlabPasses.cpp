// Orowan's slab equations integrated across the bite, from the entry and from the exit, and the neutral
// point where the two pressure curves cross.
//   entry side: p = F/h + 2k w + tau c(phi),  dF/dphi = 2R (p sin(phi) - tau cos(phi))
//   exit side:  p = F/h + 2k w - tau c(phi),  dF/dphi = 2R (p sin(phi) + tau cos(phi))
// with c(phi) = 1/phi - 1/tan(phi). Angles decrease with the point index. Every step is explicit: the
// new force uses the previous point's pressure and shear, the new pressure the previous w and tau.
#include "model/bite/Models.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rollbite {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kPressureProbe = 0.0001; // MPa, half the bracket of the end-pressure Newton slope
constexpr double kPressureFloor = 1e-6;   // MPa, an iterate this close to 0 is taken as 0
constexpr int kEndPressureSteps = 20;

double shearYieldFrom(double flowStress) {
    return flowStress / std::sqrt(3.0);
}

} // namespace

double Models::shearRatio(double friction, double pressure, double shearYield) const {
    return std::min(1.0, friction * pressure / shearYield);
}

double Models::endPressureResidual(double pressure, const EndCondition& end) {
    // The friction term uses mu p uncapped; only the factor w sees the capped shear ratio.
    const double factor = frictionFactor(shearRatio(end.friction, pressure, end.shearYield), end.angle);
    return end.thickness * pressure - 2.0 * end.shearYield * end.thickness * factor -
           end.side * end.friction * pressure * end.thickness * end.angleFactor - end.force;
}

double Models::solveEndPressure(double angle, double force, double& pressure, double thickness,
                                double friction) {
    EndCondition end{angle, frictionAngleFactor(angle), force, thickness, friction, 0.0, 0.0};
    if (isZero(angle - kEpsilon)) {
        end.side = -1.0;
        end.shearYield = Shear_Yields[kLastPoint];
    } else if (isZero(angle - Alpha_Max)) {
        end.side = 1.0;
        end.shearYield = Shear_Yields[0];
    } else {
        failWith(FailedStep::EndPressure);
        return pressure;
    }
    const auto residual = [&](double trial) { return endPressureResidual(trial, end); };
    double upper = residual(pressure + kPressureProbe);
    double lower = residual(pressure - kPressureProbe);
    if (!(upper * lower > 0.0)) {
        return pressure; // the root lies within the probes already
    }
    for (int step = 0; step < kEndPressureSteps && Has_Failed == 0; ++step) {
        const double slope = (upper - lower) / (2.0 * kPressureProbe);
        double next = 1.0;
        if (isZero(slope)) {
            failWith(FailedStep::EndPressure);
        } else {
            next = pressure - residual(pressure) / slope;
            if (std::abs(next) < kPressureFloor) {
                next = 0.0;
            }
        }
        if (!(next >= 0.0)) {
            failWith(FailedStep::EndPressure);
            next = 0.0;
        }
        pressure = next;
        if (Has_Failed != 0) {
            break;
        }
        upper = residual(pressure + kPressureProbe);
        double lowerProbe = pressure - kPressureProbe;
        if (std::abs(lowerProbe) < kPressureFloor) {
            lowerProbe = 0.0;
        }
        if (lowerProbe < 0.0) {
            failWith(FailedStep::EndPressure);
            lowerProbe = 0.0;
        }
        lower = residual(lowerProbe);
        if (!(upper * lower > 0.0)) {
            break;
        }
    }
    return pressure;
}

bool Models::integrateFromEntry(Rheology& rheology, double friction, double offsetYieldStress,
                                BiteWork& work) {
    PassFriction& pass = work.pass;
    pass.row = -1;
    work.entryPressureStart =
        solveEndPressure(Angles[0], work.entryForce[0], work.entryPressureStart, Thicknesses[0], friction);
    work.entryPressure[0] = work.entryPressureStart;
    if (Has_Failed != 0) {
        Failed_step = FailedStep::EndPressure; // whatever failed inside the solve for it
        return false;
    }
    startEntryPass(friction, work, pass);
    if (Has_Failed != 0) {
        return false;
    }
    for (int i = 1; i <= kLastPoint && Has_Failed == 0; ++i) {
        // A grid still being laid stays a point ahead of the march.
        if (!layPointsUpTo(std::min(i + 1, kLastPoint - 1), rheology, offsetYieldStress, work)) {
            break;
        }
        int computed = i;
        if (work.entryCoulomb != 1 || !isZero(pass.shearRatio[i - 1] - 1.0)) {
            entryStep(i, friction, work, pass);
        } else {
            // Point i - 1 was the first to reach the sticking cap: compute it again through the switch
            // point, then carry on from it with ordinary steps.
            computed = i - 1;
            entrySwitchToSticking(computed, rheology, friction, offsetYieldStress, work, pass);
            i = computed;
        }
        if (computed != kLastPoint) {
            work.shear[computed] = work.entryShear[computed];
            work.load[computed] = work.entryPressure[computed] * work.cosine[computed] +
                                  work.entryShear[computed] * work.sine[computed];
        }
    }
    return true;
}

void Models::startEntryPass(double friction, BiteWork& work, PassFriction& pass) {
    const double entryAngle = Angles[0];
    const double shearYield = Shear_Yields[0];
    double& rollPressure = work.entryPressure[0];
    pass.shearRatio[0] = shearRatio(friction, rollPressure, shearYield);
    if (!isZero(pass.shearRatio[0] - 1.0)) {
        work.entryShear[0] = friction * rollPressure;
        pass.factor[0] = frictionFactor(pass.shearRatio[0], entryAngle);
        work.entrySwitchCell = kLastPoint;
        angle_Tresca_Bw = Angles[kLastPoint];
    } else {
        // Sticking from the entry on: the friction shear is the shear yield stress.
        work.entryCoulomb = 0;
        pass.factor[0] = frictionFactor(1.0, entryAngle);
        work.entryShear[0] = shearYield;
        rollPressure = work.entryForce[0] / Thicknesses[0] + 2.0 * shearYield * pass.factor[0] +
                       shearYield * work.angleFactor[0];
        work.entrySwitchCell = 0;
        angle_Tresca_Bw = entryAngle;
    }
    if (Has_Failed != 0) {
        return;
    }
    work.shear[0] = work.entryShear[0];
    work.load[0] = rollPressure * work.cosine[0] + work.entryShear[0] * work.sine[0];
}

void Models::entryStep(int i, double friction, BiteWork& work, PassFriction& pass) {
    const int prev = i - 1;
    const double frictionShear = work.entryShear[prev];
    work.entryForce[i] = work.entryForce[prev] -
                         Angle_Step * 2.0 * Roll_radius *
                             (work.entryPressure[prev] * work.sine[prev] - frictionShear * work.cosine[prev]);
    work.entryPressure[i] = work.entryForce[i] / Thicknesses[i] + 2.0 * Shear_Yields[i] * pass.factor[prev] +
                            work.angleFactor[i] * frictionShear;
    pass.shearRatio[i] = shearRatio(friction, work.entryPressure[i], Shear_Yields[i]);
    pass.factor[i] = frictionFactor(pass.shearRatio[i], Angles[i], pass.row);
    work.entryShear[i] = Shear_Yields[i] * pass.shearRatio[i];
}

void Models::entrySwitchToSticking(int j, Rheology& rheology, double friction, double offsetYieldStress,
                                   BiteWork& work, PassFriction& pass) {
    const int prev = j - 1;
    work.entryCoulomb = 0;
    work.entrySwitchCell = j;
    // Where the straight line through the two shear ratios reaches 1.
    const double uncappedRatio = friction * work.entryPressure[j] / Shear_Yields[j];
    const double ratioRise = uncappedRatio - pass.shearRatio[prev];
    const double cellAngle = Angles[prev] - Angles[j];
    double switchAngle = Angles[prev] - cellAngle * (1.0 - pass.shearRatio[prev]) / ratioRise;
    if (isZero(cellAngle * ratioRise)) {
        switchAngle = kInfinity;
    }
    angle_Tresca_Bw = switchAngle;

    // At the switch point the Coulomb shear mu p just equals the shear yield stress.
    SwitchPoint& sticking = work.entrySwitch;
    const double switchShearYield =
        shearYieldFrom(rheology.flowStressAt(j, switchAngle, thicknessAt(switchAngle), offsetYieldStress));
    sticking.pressure = switchShearYield / friction;
    sticking.shear = switchShearYield;
    sticking.load = sticking.pressure * std::cos(switchAngle) + switchShearYield * std::sin(switchAngle);

    const double prevAngle = Angles[prev];
    work.entryForce[j] =
        work.entryForce[prev] -
        std::abs(switchAngle - prevAngle) * 2.0 * Roll_radius *
            (work.entryPressure[prev] * work.sine[prev] - work.entryShear[prev] * work.cosine[prev]) -
        std::abs(Angles[j] - switchAngle) * 2.0 * Roll_radius *
            (sticking.pressure * std::sin(switchAngle) - switchShearYield * std::cos(switchAngle));
    work.entryPressure[j] = work.entryForce[j] / Thicknesses[j] + 2.0 * Shear_Yields[j] * pass.factor[prev] +
                            work.angleFactor[j] * work.entryShear[prev];
    pass.factor[j] = frictionFactor(1.0, Angles[j]);
    pass.shearRatio[j] = 1.0;
    work.entryShear[j] = Shear_Yields[j];
}

bool Models::integrateFromExit(Rheology& rheology, double friction, double offsetYieldStress,
                               BiteWork& work) {
    PassFriction& pass = work.pass;
    pass.row = -1;
    work.exitPressureStart = solveEndPressure(Angles[kLastPoint], work.exitForce[kLastPoint],
                                              work.exitPressureStart, Thicknesses[kLastPoint], friction);
    work.exitPressure[kLastPoint] = work.exitPressureStart;
    if (Has_Failed != 0) {
        Failed_step = FailedStep::EndPressure; // whatever failed inside the solve for it
        return false;
    }
    startExitPass(friction, work, pass);
    if (Has_Failed != 0) {
        return false;
    }
    // March towards the entry while the exit-side pressure stays below the entry-side one; the last
    // point computed is i - 1.
    int i = kLastPoint + 1;
    while (i >= 2 && Has_Failed == 0 && work.exitPressure[i - 1] < work.entryPressure[i - 1]) {
        if (work.exitCoulomb != 1 || !isZero(pass.shearRatio[i - 1] - 1.0)) {
            exitStep(i - 2, friction, work, pass);
            --i;
        } else {
            exitSwitchToSticking(i, rheology, friction, offsetYieldStress, work, pass);
        }
    }
    work.point = i;
    const bool neverRan = i == kLastPoint + 1;
    const bool noCrossing = i == 1 && work.exitPressure[0] < work.entryPressure[0];
    if (Has_Failed != 0 || neverRan || noCrossing) {
        failWith(FailedStep::NoCrossing);
        return false;
    }
    return true;
}

void Models::startExitPass(double friction, BiteWork& work, PassFriction& pass) {
    const double exitAngle = Angles[kLastPoint];
    const double shearYield = Shear_Yields[kLastPoint];
    double& rollPressure = work.exitPressure[kLastPoint];
    pass.shearRatio[kLastPoint] = shearRatio(friction, rollPressure, shearYield);
    const bool sticking = isZero(pass.shearRatio[kLastPoint] - 1.0);
    if (!sticking) {
        work.exitShear[kLastPoint] = friction * rollPressure;
        pass.factor[kLastPoint] = frictionFactor(pass.shearRatio[kLastPoint], exitAngle);
        work.exitSwitchCell = 0;
        angle_Tresca_Fw = Angles[0];
    } else {
        // Sticking at the exit: the exit point itself is the switch point.
        work.exitCoulomb = 0;
        pass.factor[kLastPoint] = frictionFactor(1.0, exitAngle);
        work.exitShear[kLastPoint] = shearYield;
        rollPressure = work.exitForce[kLastPoint] / Thicknesses[kLastPoint] +
                       2.0 * shearYield * pass.factor[kLastPoint] - shearYield * work.angleFactor[kLastPoint];
        work.exitSwitchCell = kLastPoint;
        angle_Tresca_Fw = exitAngle;
        work.exitSwitch.pressure = rollPressure;
    }
    if (Has_Failed != 0) {
        return;
    }
    work.shear[kLastPoint] = -work.exitShear[kLastPoint];
    work.load[kLastPoint] =
        rollPressure * work.cosine[kLastPoint] - work.exitShear[kLastPoint] * work.sine[kLastPoint];
    if (sticking) {
        work.exitSwitch.load = work.load[kLastPoint];
        work.exitSwitch.shear = work.shear[kLastPoint];
    }
}

void Models::exitStep(int m, double friction, BiteWork& work, PassFriction& pass) {
    const int next = m + 1;
    const double frictionShear = work.exitShear[next];
    const double angle = Angles[m];
    work.exitForce[m] = work.exitForce[next] +
                        Angle_Step * 2.0 * Roll_radius *
                            (work.exitPressure[next] * work.sine[next] + frictionShear * work.cosine[next]);
    work.exitPressure[m] = work.exitForce[m] / Thicknesses[m] + 2.0 * Shear_Yields[m] * pass.factor[next] -
                           work.angleFactor[m] * frictionShear;
    pass.shearRatio[m] = shearRatio(friction, work.exitPressure[m], Shear_Yields[m]);
    pass.factor[m] = frictionFactor(pass.shearRatio[m], angle, pass.row);
    work.exitShear[m] = Shear_Yields[m] * pass.shearRatio[m];
    work.shear[m] = -work.exitShear[m];
    work.load[m] = work.exitPressure[m] * work.cosine[m] - work.exitShear[m] * work.sine[m];
}

void Models::exitSwitchToSticking(int j, Rheology& rheology, double friction, double offsetYieldStress,
                                  BiteWork& work, PassFriction& pass) {
    const int prev = j - 1;
    work.exitCoulomb = 0;
    work.exitSwitchCell = j;
    const double uncappedRatio = friction * work.exitPressure[prev] / Shear_Yields[prev];
    const double ratioRise = uncappedRatio - pass.shearRatio[j];
    const double cellAngle = Angles[prev] - Angles[j];
    double switchAngle = Angles[j] + cellAngle * (1.0 - pass.shearRatio[j]) / ratioRise;
    if (isZero(cellAngle * ratioRise)) {
        switchAngle = kInfinity;
    }
    angle_Tresca_Fw = switchAngle;

    SwitchPoint& sticking = work.exitSwitch;
    const double switchShearYield =
        shearYieldFrom(rheology.flowStressAt(j, switchAngle, thicknessAt(switchAngle), offsetYieldStress));
    sticking.pressure = switchShearYield / friction;
    sticking.shear = -switchShearYield;
    sticking.load = sticking.pressure * std::cos(switchAngle) - switchShearYield * std::sin(switchAngle);

    const double angle = Angles[j];
    const double prevAngle = Angles[prev];
    work.exitForce[prev] =
        work.exitForce[j] +
        std::abs(switchAngle - angle) * 2.0 * Roll_radius *
            (work.exitPressure[j] * work.sine[j] + work.exitShear[j] * work.cosine[j]) +
        std::abs(switchAngle - prevAngle) * 2.0 * Roll_radius *
            (sticking.pressure * std::sin(switchAngle) + switchShearYield * std::cos(switchAngle));
    work.exitPressure[prev] = work.exitForce[prev] / Thicknesses[prev] +
                              2.0 * Shear_Yields[prev] * pass.factor[j] -
                              work.angleFactor[prev] * work.exitShear[j];
    pass.factor[prev] = frictionFactor(1.0, prevAngle);
    pass.shearRatio[prev] = 1.0;
    work.exitShear[prev] = Shear_Yields[prev];
    work.shear[prev] = -Shear_Yields[prev];
    work.load[prev] = work.exitPressure[prev] * work.cosine[prev] - Shear_Yields[prev] * work.sine[prev];
}

bool Models::findNeutralPoint(Rheology& rheology, double friction, double offsetYieldStress, BiteWork& work) {
    const int n = work.point;
    Neutral_Index = n;
    if (n < 1 || n > kLastPoint) {
        noteFailure(FailedStep::NoCrossing);
        return false;
    }
    const int prev = n - 1;
    const double prevAngle = Angles[prev];
    // Point n - 1 lies on the entry side: put back its entry-side integrands.
    work.shear[prev] = work.entryShear[prev];
    work.load[prev] = work.entryPressure[prev] * work.cosine[prev] + work.entryShear[prev] * work.sine[prev];

    // Both pressure curves as straight segments across cell n; a segment ends at its side's switch
    // point when that side has turned to sticking inside this cell.
    const bool entrySwitchHere = work.entryCoulomb == 0 && work.entrySwitchCell == n;
    const bool exitSwitchHere = work.exitCoulomb == 0 && work.exitSwitchCell == n;
    const double entryRun = (entrySwitchHere ? angle_Tresca_Bw : Angles[n]) - prevAngle;
    const double entryRise =
        (entrySwitchHere ? work.entrySwitch.pressure : work.entryPressure[n]) - work.entryPressure[prev];
    const double exitRun = (exitSwitchHere ? angle_Tresca_Fw : Angles[n]) - prevAngle;
    const double exitRise =
        (exitSwitchHere ? work.exitSwitch.pressure : work.exitPressure[n]) - work.exitPressure[prev];
    const double determinant = entryRun * exitRise - exitRun * entryRise;
    double neutralAngle = kInfinity;
    double neutralPressure = kInfinity;
    if (!isZero(determinant)) {
        neutralAngle = prevAngle + entryRun * exitRun * (work.entryPressure[prev] - work.exitPressure[prev]) /
                                       determinant;
        neutralPressure =
            (entryRun * exitRise * work.entryPressure[prev] - exitRun * entryRise * work.exitPressure[prev]) /
            determinant;
    }

    Neutral_Angle = neutralAngle;
    Neutral_X = -Roll_radius * std::sin(neutralAngle);
    Neutral_Force = work.entryForce[prev] +
                    (work.entryForce[n] - work.entryForce[prev]) * (prevAngle - neutralAngle) / Angle_Step;
    Neutral_H = thicknessAt(neutralAngle);
    const double shearYield =
        shearYieldFrom(rheology.flowStressAt(n, neutralAngle, Neutral_H, offsetYieldStress));
    Has_Failed = rheology.Has_Failed;
    if (Has_Failed != 0) {
        noteFailure(FailedStep::FlowStress);
    }
    const double frictionShear = shearRatio(friction, neutralPressure, shearYield) * shearYield;
    Neutral_Shear_Entry = frictionShear;
    Neutral_Shear_Exit = -frictionShear;
    Neutral_Load_Entry = neutralPressure * std::cos(neutralAngle) + frictionShear * std::sin(neutralAngle);
    Neutral_Load_Exit = neutralPressure * std::cos(neutralAngle) - frictionShear * std::sin(neutralAngle);
    return true;
}

} // namespace rollbite
