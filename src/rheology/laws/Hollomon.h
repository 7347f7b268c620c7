#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Hollomon's power law of cold work hardening: sigma = K eps^n (MPa). No stress at zero strain: below the
// lowest strain of its range it is evaluated at that strain.
class Hollomon : public FlowStressLaw {
public:
    std::string name() const override { return "hollomon"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
