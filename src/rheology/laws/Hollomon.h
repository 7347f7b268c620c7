#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Hollomon's power law of cold work hardening: sigma = K eps^n (MPa). No stress at zero strain: below the
// lowest strain of its range it is evaluated at that strain.
class Hollomon : public BuiltInLaw {
public:
    Hollomon();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
