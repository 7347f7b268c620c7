#include "rheology/Rheology.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

Rheology::Rheology()
    : Entry_thickness(0.0), Thickness_profile(kGridPoints, 0.0), Strain_profile(kGridPoints, 0.0),
      Flow_stress_profile(kGridPoints, 0.0), Angle_profile(kGridPoints, 0.0),
      Tangent_profile(kGridPoints, 0.0), Has_Failed(0) {}

void Rheology::resetState() {
    Entry_thickness = 0.0;
    for (std::vector<double>* profile :
         {&Thickness_profile, &Strain_profile, &Flow_stress_profile, &Angle_profile, &Tangent_profile}) {
        profile->assign(kGridPoints, 0.0);
    }
    Has_Failed = 0;
}

double Rheology::logarithmicStrain(double thickness) const {
    if (isZero(Entry_thickness - thickness)) {
        return 0.0;
    }
    return 2.0 / std::sqrt(3.0) * std::log(Entry_thickness / thickness);
}

void Rheology::copyThicknessProfile(const std::vector<double>& profile) {
    Thickness_profile.assign(profile.begin(), profile.end());
}

void Rheology::setThicknessAt(int index, double thickness) {
    Thickness_profile[index] = thickness;
}

bool Rheology::onGrid(int index) {
    return index >= 0 && index <= kLastPoint;
}

} // namespace rollbite
