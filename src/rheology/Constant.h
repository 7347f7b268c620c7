#pragma once

#include "rheology/Rheology.h"

#include <vector>

namespace rollbite {

// The simplest rheology: the flow stress is the case's offset yield stress everywhere in the bite.
class Constant : public Rheology {
public:
    Constant() = default;
    ~Constant() override = default;

    double flowStressAt(int index, double angle, double thickness, double offsetYieldStress) override;
    double flowStress(int index, double offsetYieldStress) override;
    double equivalentStrain(double thickness) override;
    void setThicknessProfile(const std::vector<double>& profile) override;
    void storeThicknessProfile(const std::vector<double>& profile) override;
    bool isPointwise() const override { return true; }
    // A new case: the offset yield stress (MPa) at every point.
    void reset(double offsetYieldStress);
    void spareOperation() override {}

private:
    // The offset itself when it is a stress (> 0); otherwise the placeholder 1.0 with the failure flag.
    double offsetOrPlaceholder(double offsetYieldStress);
};

} // namespace rollbite
