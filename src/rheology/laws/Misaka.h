#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Misaka and Yoshimoto's mean flow stress of plain carbon steels in hot rolling, from the carbon content
// C in weight percent, T in kelvin, in kgf/mm^2 as published and here in MPa:
// sigma = exp(0.126 - 1.75 C + 0.594 C^2 + (2851 + 2968 C - 1120 C^2) / T) eps^0.21 rate^0.13.
class Misaka : public BuiltInLaw {
public:
    Misaka();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
