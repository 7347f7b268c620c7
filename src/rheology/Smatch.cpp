#include "rheology/Smatch.h"

#include <cmath>

namespace rollbite {

Smatch::Smatch(const SmatchInputs& coefficients) : Smatch_inputs(coefficients) {}

double Smatch::hardeningLaw(double strain, double offsetYieldStress) const {
    const double saturationTerm =
        std::exp(-Smatch_inputs.Coefficient_D * strain) * Smatch_inputs.Coefficient_C;
    return (1.0 - saturationTerm) * (strain * Smatch_inputs.Coefficient_B + Smatch_inputs.Coefficient_A) +
           offsetYieldStress;
}

double Smatch::guardedLaw(double strain, double offsetYieldStress) {
    const double flowStress = hardeningLaw(strain, offsetYieldStress);
    if (flowStress <= 0.0) {
        Has_Failed = 1;
        return 1.0;
    }
    return flowStress;
}

double Smatch::flowStressAt(int /*index*/, double /*angle*/, double thickness, double offsetYieldStress) {
    const double strain = equivalentStrain(thickness);
    Has_Failed = 0;
    return guardedLaw(strain, offsetYieldStress);
}

double Smatch::flowStress(int index, double offsetYieldStress) {
    Has_Failed = 0;
    if (!onGrid(index)) {
        Has_Failed = 1;
        return 1.0;
    }
    const double strain = equivalentStrain(Thickness_profile[index]);
    Strain_profile[index] = strain;
    const double flowStress = guardedLaw(strain, offsetYieldStress);
    Flow_stress_profile[index] = flowStress;
    return flowStress;
}

double Smatch::equivalentStrain(double thickness) {
    return logarithmicStrain(thickness);
}

void Smatch::setThicknessProfile(const std::vector<double>& profile) {
    Has_Failed = 0;
    storeThicknessProfile(profile);
}

void Smatch::storeThicknessProfile(const std::vector<double>& profile) {
    copyThicknessProfile(profile);
}

void Smatch::reset(double a, double b, double c, double d) {
    resetState();
    Smatch_inputs.assign(a, b, c, d);
}

} // namespace rollbite
