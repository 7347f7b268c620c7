#pragma once

#include "inputs/SmatchInputs.h"
#include "rheology/Rheology.h"

#include <vector>

namespace rollbite {

// Strain-hardening rheology: sigma = (1 - c exp(-d eps)) (a + b eps) + offset yield stress, with eps the
// plane-strain equivalent strain from the entry thickness.
class Smatch : public Rheology {
public:
    Smatch() = default;
    explicit Smatch(const SmatchInputs& coefficients);
    ~Smatch() override = default;

    double flowStressAt(int index, double angle, double thickness, double offsetYieldStress) override;
    double flowStress(int index, double offsetYieldStress) override;
    double equivalentStrain(double thickness) override;
    void setThicknessProfile(const std::vector<double>& profile) override;
    void storeThicknessProfile(const std::vector<double>& profile) override;
    bool isPointwise() const override { return true; }
    // A new case with the four coefficients of its law.
    void reset(double a, double b, double c, double d);
    void spareOperation() override {}

    // The law itself at a strain, without the positivity guard (MPa).
    double hardeningLaw(double strain, double offsetYieldStress) const;

    SmatchInputs Smatch_inputs;

private:
    // The law, or the placeholder 1.0 with the failure flag when it is not a positive stress.
    double guardedLaw(double strain, double offsetYieldStress);
};

} // namespace rollbite
