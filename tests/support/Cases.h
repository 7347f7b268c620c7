#pragma once

#include "inputs/BackInputs.h"
#include "inputs/DirectInputs.h"
#include "inputs/Rolling.h"
#include "inputs/WS18Inputs.h"

#include <array>

namespace rollbite::test {

// A finishing pass: 30 mm to 22 mm on 800 mm steel rolls, small tensions (mm, MPa).
inline void fillPass(Rolling& record) {
    record.Case_id = 1;
    record.Entry_thickness = 30.0;
    record.Exit_thickness = 22.0;
    record.Entry_tension = 5.0;
    record.Exit_tension = 10.0;
    record.Working_roll_diameter = 800.0;
    record.Young_modulus_WR = 210000.0;
}

inline DirectInputs directPass(double offsetYieldStress = 150.0, double friction = 0.3) {
    DirectInputs record;
    fillPass(record);
    record.Offset_yield_stress = offsetYieldStress;
    record.Friction_coefficient = friction;
    return record;
}

// A C-Mn steel (0.08 C, 0.6 Mn, 0.02 Si), fully recrystallised 50 um grains at 1e13 per m^2, rolled from
// 1000 to 980 degrees Celsius at 2 m/s.
inline WS18Inputs carbonManganeseSteel(double stripSpeed = 2.0) {
    return WS18Inputs({0.08, 0.6, 0.02,   0.004, 0.0,        0.0, 0.0,  0.03, 0.01, 0.0,  0.0, 0.0,
                       0.0,  0.0, 1000.0, 980.0, stripSpeed, 1.0, 50.0, 1e13, 0.0,  50.0, 1e13});
}

} // namespace rollbite::test
