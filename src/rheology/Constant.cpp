#include "rheology/Constant.h"

#include <algorithm>

namespace rollbite {

void Constant::reset(double offsetYieldStress) {
    resetState();
    std::fill(Flow_stress_profile.begin(), Flow_stress_profile.end(), offsetYieldStress);
}

double Constant::offsetOrPlaceholder(double offsetYieldStress) {
    if (offsetYieldStress > 0.0) {
        return offsetYieldStress;
    }
    Has_Failed = 1;
    return 1.0;
}

double Constant::flowStressAt(int /*index*/, double /*angle*/, double /*thickness*/,
                              double offsetYieldStress) {
    Has_Failed = 0;
    return offsetOrPlaceholder(offsetYieldStress);
}

double Constant::flowStress(int index, double offsetYieldStress) {
    Has_Failed = 0;
    if (!onGrid(index)) {
        Has_Failed = 1;
        return 1.0;
    }
    const double flowStress = offsetOrPlaceholder(offsetYieldStress);
    Flow_stress_profile[index] = flowStress;
    return flowStress;
}

double Constant::equivalentStrain(double /*thickness*/) {
    return 0.0;
}

void Constant::setThicknessProfile(const std::vector<double>& profile) {
    Has_Failed = 0;
    storeThicknessProfile(profile);
}

void Constant::storeThicknessProfile(const std::vector<double>& profile) {
    copyThicknessProfile(profile);
}

} // namespace rollbite
