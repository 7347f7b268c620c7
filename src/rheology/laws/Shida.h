#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Shida's flow stress of carbon steels over the austenite, two-phase and ferrite ranges, from the carbon
// content C in weight percent (kgf/mm^2 as published, here in MPa): sigma = sigma_d f(eps) f(rate), with
// the temperature term sigma_d and the exponent of the rate term changing form below the temperature T_d
// where ferrite appears (docs/laws.md).
class Shida : public FlowStressLaw {
public:
    std::string name() const override { return "shida"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return true; }
    bool readsTemperature() const override { return true; }
    bool carriesStrain() const override { return false; } // austenite recrystallises between stands
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
