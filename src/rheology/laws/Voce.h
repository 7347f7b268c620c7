#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Voce's saturating law: sigma = sigma_s - (sigma_s - sigma_0) exp(-eps / eps_c) (MPa), from the yield
// stress sigma_0 towards the saturation stress sigma_s over the characteristic strain eps_c.
class Voce : public FlowStressLaw {
public:
    std::string name() const override { return "voce"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
