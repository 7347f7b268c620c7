#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Swift's (Ludwik-Nadai's) law of cold work hardening: sigma = K (eps0 + eps)^n (MPa), eps0 the strain the
// material behaves as if it had at zero strain, so that it has a yield stress K eps0^n.
class Swift : public FlowStressLaw {
public:
    std::string name() const override { return "swift"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
