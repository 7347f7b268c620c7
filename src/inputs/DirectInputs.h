#pragma once

#include "inputs/Rolling.h"

namespace rollbite {

// A direct case: the rolling data with the friction and the offset yield stress to compute with.
class DirectInputs : public Rolling {
public:
    DirectInputs();
    ~DirectInputs() override = default;

    bool checkInputs() override;
    bool checkInputsWithOffset(bool withOffset) override;

    double Offset_yield_stress;  // MPa
    double Friction_coefficient; // Coulomb coefficient between strip and roll
};

} // namespace rollbite
