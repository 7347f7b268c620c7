#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include "../Numerics.h"

#include <array>

namespace rollbite {

// Values at a point where one side of the bite turns from Coulomb to sticking friction.
struct SwitchPoint {
    double load = 0.0;     // vertical load integrand p cos(phi) +/- tau sin(phi)
    double pressure = 0.0; // roll pressure, MPa
    double shear = 0.0;    // signed friction shear, MPa (+ entry side, - exit side)
};

// Everything one roll-bite computation knows along the arc of contact, kept for inspection (the friction
// hill of a case). Filled only when a record is handed to the computation; it never feeds back into it.
struct BiteProfile {
    using Profile = std::array<double, kGridPoints>;

    bool complete = false; // the computation that filled it succeeded

    Profile angle{};         // rad, from the bite angle at point 0 down to epsilon at the exit
    Profile thickness{};     // mm
    Profile flowStress{};    // MPa
    Profile shearYield{};    // MPa, k = flow stress / sqrt(3)
    Profile entryPressure{}; // MPa, the solution integrated from the entry
    Profile exitPressure{};  // MPa, integrated from the exit; valid from firstExitPoint on
    Profile shear{};         // MPa, signed friction shear: + on the entry side, - on the exit side
    Profile load{};          // MPa, vertical load integrand p cos(phi) +/- tau sin(phi)
    int firstExitPoint = kLastPoint;

    int neutralCell = 0;           // the neutral point lies between points neutralCell - 1 and neutralCell
    double neutralAngle = 0.0;     // rad
    double neutralPressure = 0.0;  // MPa
    double neutralLoadEntry = 0.0; // MPa, load integrand at the neutral point on the entry side
    double neutralLoadExit = 0.0;
    double neutralShearEntry = 0.0; // MPa
    double neutralShearExit = 0.0;

    // A side sticks when its friction reached the shear yield stress; its switch point then cuts its cell.
    bool entrySticks = false;
    bool exitSticks = false;
    int entrySwitchCell = 0;
    int exitSwitchCell = 0;
    double entrySwitchAngle = 0.0; // rad, where the entry side turns to sticking (the neutral angle if not)
    double exitSwitchAngle = 0.0;
    SwitchPoint entrySwitch;
    SwitchPoint exitSwitch;

    double angleStep = 0.0;     // rad
    double rollRadius = 0.0;    // mm, the loaded (flattened) radius
    double rollDiameter = 0.0;  // mm, the undeformed diameter: the torque arm is half of it
    double force = 0.0;         // N/mm of width
    double torque = 0.0;        // N mm/mm of width, one roll
    double contactLength = 0.0; // mm
};

} // namespace rollbite
