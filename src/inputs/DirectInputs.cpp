#include "inputs/DirectInputs.h"

namespace rollbite {

DirectInputs::DirectInputs() : Offset_yield_stress(0.0), Friction_coefficient(0.0) {}

bool DirectInputs::checkInputs() {
    return checkInputsWithOffset(false);
}

bool DirectInputs::checkInputsWithOffset(bool withOffset) {
    const bool rollingValid = Rolling::checkInputs();
    return checkOffsetAndFriction(withOffset, Offset_yield_stress, Friction_coefficient) && rollingValid;
}

} // namespace rollbite
