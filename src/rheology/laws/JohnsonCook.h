#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Johnson and Cook's law of strain, strain rate and temperature:
// sigma = (A + B eps^n) (1 + C ln(rate / rate0)) (1 - T*^m), T* = (T - T_room) / (T_melt - T_room) (MPa).
class JohnsonCook : public BuiltInLaw {
public:
    JohnsonCook();

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
