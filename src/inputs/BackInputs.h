#pragma once

#include "inputs/Rolling.h"

namespace rollbite {

// An inverse case: the rolling data with a measured force and forward slip. The offset yield stress and
// the friction hold the starting point of the search, then its trial values, then its result.
class BackInputs : public Rolling {
public:
    BackInputs();
    ~BackInputs() override = default;

    bool checkInputs() override;
    bool checkInputsWithOffset(bool withOffset) override;

    double Force;               // measured rolling force, in units of 9.81 N/mm
    double Slip;                // measured forward slip, percent
    double Offset_yield_stress; // MPa
    double Friction_coefficient;
};

} // namespace rollbite
