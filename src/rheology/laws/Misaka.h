#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Misaka and Yoshimoto's mean flow stress of plain carbon steels in hot rolling, from the carbon content
// C in weight percent, T in kelvin, in kgf/mm^2 as published and here in MPa:
// sigma = exp(0.126 - 1.75 C + 0.594 C^2 + (2851 + 2968 C - 1120 C^2) / T) eps^0.21 rate^0.13.
class Misaka : public FlowStressLaw {
public:
    std::string name() const override { return "misaka"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return true; }
    bool readsTemperature() const override { return true; }
    bool carriesStrain() const override { return false; } // austenite recrystallises between stands
    bool givesMeanFlowStress() const override { return true; }
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
