#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Voce's saturating law: sigma = sigma_s - (sigma_s - sigma_0) exp(-eps / eps_c) (MPa), from the yield
// stress sigma_0 towards the saturation stress sigma_s over the characteristic strain eps_c.
class Voce : public BuiltInLaw {
public:
    Voce();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
