#include "rheology/laws/Voce.h"

#include <cmath>

namespace rollbite {

namespace {

enum { kYield, kSaturation, kCharacteristicStrain };

} // namespace

Voce::Voce()
    : BuiltInLaw(
          {"voce",
           "Voce: sigma = sigma_s - (sigma_s - sigma_0) exp(-eps / eps_c) (MPa); E. Voce, J. Inst. Metals 74 "
           "(1948) 537-562",
           {{"sigma_0", "MPa", "yield stress at zero strain"},
            {"sigma_s", "MPa", "saturation stress"},
            {"eps_c", "", "characteristic strain of the approach to saturation"}},
           {{0.0, 3.0}, {0.0, 1e9}, {-273.15, 1e9}},
           false,
           false,
           true}) {}

std::string Voce::checkParameters(const LawParameters& k) const {
    if (!(k[kYield] > 0.0 && std::isfinite(k[kYield]))) {
        return "sigma_0 must be a positive stress (MPa)";
    }
    if (!(k[kSaturation] >= k[kYield] && std::isfinite(k[kSaturation]))) {
        return "sigma_s must be a stress no less than sigma_0 (MPa)";
    }
    if (!(k[kCharacteristicStrain] > 0.0 && std::isfinite(k[kCharacteristicStrain]))) {
        return "eps_c must be a positive strain";
    }
    return "";
}

double Voce::flowStress(const LawPoint& point, const LawParameters& k) const {
    return k[kSaturation] - (k[kSaturation] - k[kYield]) * std::exp(-point.strain / k[kCharacteristicStrain]);
}

} // namespace rollbite
