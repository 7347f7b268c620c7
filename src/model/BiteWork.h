#pragma once

#include "Numerics.h"

#include <array>
#include <cmath>

namespace rollbite {

// Values at a point where one side of the bite turns from Coulomb to sticking friction.
struct SwitchPoint {
    double load = 0.0;     // vertical load integrand p cos(phi) +/- tau sin(phi)
    double pressure = 0.0; // roll pressure, MPa
    double shear = 0.0;    // signed friction shear, MPa (+ entry side, - exit side)
};

// Work arrays and shared scalars of one roll-bite computation. They live for one call only.
struct BiteWork {
    using Profile = std::array<double, kGridPoints>;

    Profile entryPressure{}; // p^E, roll pressure integrated from the entry, MPa
    Profile entryForce{};    // F^E, horizontal force per unit width, N/mm
    Profile entryShear{};    // tau^E, friction shear magnitude, MPa
    Profile exitPressure{};  // p^X, integrated from the exit
    Profile exitForce{};     // F^X
    Profile exitShear{};     // tau^X
    Profile load{};          // L, vertical load integrand over the whole arc
    Profile shear{};         // T, signed shear integrand over the whole arc

    int point = 0;                   // running point index; the neutral cell once the exit pass has ended
    int entryCoulomb = 1;            // 1 while the entry side has only Coulomb friction, 0 once it sticks
    int exitCoulomb = 1;             // the same for the exit side
    int entrySwitchCell = 0;         // cell holding the entry-side switch to sticking
    int exitSwitchCell = 500;        // cell holding the exit-side switch to sticking
    double entryPressureStart = 0.0; // start value, then result, of the entry pressure, MPa
    double exitPressureStart = 0.0;  // the same at the exit
    SwitchPoint entrySwitch;
    SwitchPoint exitSwitch;

    // sin, cos and c(phi) of each grid angle, tabulated once per bite for the slab steps.
    Profile sine;
    Profile cosine;
    Profile angleFactor;
};

// c(phi) = 1/phi - 1/tan(phi): the geometric factor of the friction term in the slab relation.
inline double frictionAngleFactor(double angle) {
    return 1.0 / angle - 1.0 / std::tan(angle);
}

// What the roll pressure at the entry or the exit point must satisfy.
struct EndCondition {
    double angle;       // rad
    double angleFactor; // c(angle)
    double force;       // horizontal force per unit width, N/mm
    double thickness;   // mm
    double friction;
    double shearYield; // MPa
    double side;       // +1 at the entry, -1 at the exit
};

// Shear ratio s = min(1, mu p / k) and friction factor w at each point of one slab pass.
struct PassFriction {
    std::array<double, kGridPoints> shearRatio{};
    std::array<double, kGridPoints> factor{};
};

} // namespace rollbite
