#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Swift's (Ludwik-Nadai's) law of cold work hardening: sigma = K (eps0 + eps)^n (MPa), eps0 the strain the
// material behaves as if it had at zero strain, so that it has a yield stress K eps0^n.
class Swift : public BuiltInLaw {
public:
    Swift();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
