#pragma once

#include "rollbite/model/FlowStressLaw.h"

namespace rollbite {

// Johnson and Cook's law of strain, strain rate and temperature:
// sigma = (A + B eps^n) (1 + C ln(rate / rate0)) (1 - T*^m), T* = (T - T_room) / (T_melt - T_room) (MPa).
class JohnsonCook : public FlowStressLaw {
public:
    std::string name() const override { return "johnson-cook"; }
    std::string description() const override;
    std::vector<LawParameter> parameters() const override;
    LawValidity validity() const override;
    bool readsStrainRate() const override { return true; }
    bool readsTemperature() const override { return true; }
    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
};

} // namespace rollbite
