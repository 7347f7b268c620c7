#pragma once

#include "inputs/DirectInputs.h"
#include "inputs/Rolling.h"
#include "inputs/SmatchInputs.h"
#include "inputs/WS18Inputs.h"
#include "model/case/ModelHandler.h"
#include "rollbite/Kinds.h"

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

// A C-Mn steel (0.08 C, 0.6 Mn, 0.02 Si) rolled from 1000 to 980 degrees Celsius at 2 m/s, with the
// given recrystallised fraction of 50 um grains at 1e13 per m^2 (the rest at 1e13 per m^2 too).
inline WS18Inputs carbonManganeseSteel(double stripSpeed = 2.0, double recrystallised = 1.0) {
    return WS18Inputs({0.08,  0.6,        0.02,
                       0.004, 0.0,        0.0,
                       0.0,   0.03,       0.01,
                       0.0,   0.0,        0.0,
                       0.0,   0.0,        1000.0,
                       980.0, stripSpeed, recrystallised,
                       50.0,  1e13,       1.0 - recrystallised,
                       50.0,  1e13});
}

// Smatch coefficients of a hot strip: a = 140 MPa, b = 60 MPa, c = 0.1, d = 5.
inline SmatchInputs hotSmatch() {
    return SmatchInputs(140.0, 60.0, 0.1, 5.0);
}

// A handler of the given kind set up for the pass, as the computation object sets it up for a case.
inline ModelHandler handlerFor(int kind, int mode, double offsetYieldStress, double friction = 0.3) {
    ModelHandler handler(kind);
    Rolling& record =
        mode == kDirectMode ? static_cast<Rolling&>(handler.Direct_inputs) : handler.Back_inputs;
    fillPass(record);
    handler.Direct_inputs.Offset_yield_stress = handler.Back_inputs.Offset_yield_stress = offsetYieldStress;
    handler.Direct_inputs.Friction_coefficient = handler.Back_inputs.Friction_coefficient = friction;
    if (kind == kConstantRheology) {
        handler.setConstantRheology(offsetYieldStress);
    } else if (kind == kSmatchRheology) {
        const SmatchInputs law = hotSmatch();
        handler.setSmatchRheology(law.Coefficient_A, law.Coefficient_B, law.Coefficient_C, law.Coefficient_D);
    } else {
        handler.setWS18Rheology(carbonManganeseSteel(mode == kDirectMode ? 2.0 * 1.07 : 2.0).values());
    }
    handler.checkCaseInputs(mode);
    if (kind == kWS18Rheology) {
        handler.runWS18Pass(mode);
    }
    return handler;
}

} // namespace rollbite::test
