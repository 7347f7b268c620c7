#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Shida's flow stress of carbon steels over the austenite, two-phase and ferrite ranges, from the carbon
// content C in weight percent (kgf/mm^2 as published, here in MPa): sigma = sigma_d f(eps) f(rate), with
// the temperature term sigma_d and the exponent of the rate term changing form below the temperature T_d
// where ferrite appears (docs/laws.md).
class Shida : public BuiltInLaw {
public:
    Shida();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
