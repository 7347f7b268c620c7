#pragma once

#include "rollbite/Numerics.h"
#include "rollbite/model/BiteProfile.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace rollbite {

// Shear ratio s = min(1, mu p / k) and friction factor w at each point of one slab pass.
struct PassFriction {
    std::array<double, kGridPoints> shearRatio;
    std::array<double, kGridPoints> factor;
    int row = -1; // friction-table row of the last ratio, where the next search starts
};

// Work arrays and shared scalars of a roll-bite computation. One workspace serves call after call: every
// computation starts it again, and reads only the points it has written itself.
struct BiteWork {
    using Profile = std::array<double, kGridPoints>;

    Profile entryPressure; // p^E, roll pressure integrated from the entry, MPa
    Profile entryForce;    // F^E, horizontal force per unit width, N/mm
    Profile entryShear;    // tau^E, friction shear magnitude, MPa
    Profile exitPressure;  // p^X, integrated from the exit
    Profile exitForce;     // F^X
    Profile exitShear;     // tau^X
    Profile load;          // L, vertical load integrand over the whole arc
    Profile shear;         // T, signed shear integrand over the whole arc

    int point = 0;                   // running point index; the neutral cell once the exit pass has ended
    int pointsLaid = 0;              // grid points up to pointsLaid are laid (all: kLastPoint)
    int entryCoulomb = 1;            // 1 while the entry side has only Coulomb friction, 0 once it sticks
    int exitCoulomb = 1;             // the same for the exit side
    int entrySwitchCell = 0;         // cell holding the entry-side switch to sticking
    int exitSwitchCell = 500;        // cell holding the exit-side switch to sticking
    double entryPressureStart = 0.0; // start value, then result, of the entry pressure, MPa
    double exitPressureStart = 0.0;  // the same at the exit
    SwitchPoint entrySwitch;
    SwitchPoint exitSwitch;

    // sin, cos, tan and c(phi) of each grid angle, tabulated once per bite for the slab steps (and the
    // tangents for the strain rates of the rheology). They depend on the bite angle alone, and a search
    // in friction often computes bites of the same angle one after the other: the table of the last
    // complete grid is kept for the next bite.
    Profile sine;
    Profile cosine;
    Profile tangent;
    Profile angleFactor;
    double tabulatedBiteAngle = std::numeric_limits<double>::quiet_NaN(); // rad; NaN: no complete table
    bool anglesTabulated = false; // this bite's grid has its table already

    PassFriction pass; // of the entry pass, then of the exit pass

    // The scalars of a new computation. In a debug build every point is also poisoned with NaN, so that
    // a read of a point this computation has not written shows in the results.
    void startBite() {
        point = 0;
        pointsLaid = 0;
        entryCoulomb = 1;
        exitCoulomb = 1;
        entrySwitchCell = 0;
        exitSwitchCell = kLastPoint;
        entryPressureStart = 0.0;
        exitPressureStart = 0.0;
        entrySwitch = SwitchPoint();
        exitSwitch = SwitchPoint();
#ifndef NDEBUG
        constexpr double kPoison = std::numeric_limits<double>::quiet_NaN();
        for (Profile* profile : {&entryPressure, &entryForce, &entryShear, &exitPressure, &exitForce,
                                 &exitShear, &load, &shear, &pass.shearRatio, &pass.factor}) {
            profile->fill(kPoison);
        }
#endif
    }

    // A new grid of the given bite angle: keeps the angle table when it is that grid's, else forgets it
    // (and, in a debug build, poisons it) until the new grid is tabulated whole.
    void startGrid(double biteAngle) {
        anglesTabulated = std::memcmp(&biteAngle, &tabulatedBiteAngle, sizeof biteAngle) == 0;
        if (anglesTabulated) {
            return;
        }
        tabulatedBiteAngle = std::numeric_limits<double>::quiet_NaN();
#ifndef NDEBUG
        for (Profile* profile : {&sine, &cosine, &tangent, &angleFactor}) {
            profile->fill(std::numeric_limits<double>::quiet_NaN());
        }
#endif
    }
};

// sin and cos of one angle. glibc's sincos runs the very code of its sin and cos (one shared argument
// reduction), so the values are those of std::sin and std::cos, for half the work.
inline void sineAndCosine(double angle, double& sine, double& cosine) {
    ::sincos(angle, &sine, &cosine);
}

// c(phi) = 1/phi - 1/tan(phi): the geometric factor of the friction term in the slab relation.
inline double frictionAngleFactor(double angle, double tangent) {
    return 1.0 / angle - 1.0 / tangent;
}

inline double frictionAngleFactor(double angle) {
    return frictionAngleFactor(angle, std::tan(angle));
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

} // namespace rollbite
