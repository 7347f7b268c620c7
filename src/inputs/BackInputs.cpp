#include "inputs/BackInputs.h"

namespace rollbite {

BackInputs::BackInputs() : Force(0.0), Slip(0.0), Offset_yield_stress(0.0), Friction_coefficient(0.0) {}

bool BackInputs::checkInputs() {
    return checkInputsWithOffset(false);
}

bool BackInputs::checkInputsWithOffset(bool withOffset) {
    const bool rollingValid = Rolling::checkInputs();
    const bool startValid = checkOffsetAndFriction(withOffset, Offset_yield_stress, Friction_coefficient);
    const bool measurementValid = applyChecks({
        {150.0 < Force && Force < 5000.0, 112, " Force ", Force, "in (150, 5000) (9.81 N/mm)"},
        {0.0 < Slip && Slip <= 20.0, 113, " Slip ", Slip, "in (0, 20] %"},
    });
    return rollingValid && startValid && measurementValid;
}

} // namespace rollbite
