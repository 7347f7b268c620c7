#include "rheology/laws/Hollomon.h"

#include <cmath>

namespace rollbite {

namespace {

enum { kStrength, kExponent };

} // namespace

Hollomon::Hollomon()
    : BuiltInLaw({"hollomon",
                  "Hollomon: sigma = K eps^n (MPa); J. H. Hollomon, Trans. AIME 162 (1945) 268-290",
                  {{"K", "MPa", "strength coefficient"}, {"n", "", "strain-hardening exponent"}},
                  {{0.002, 3.0}, {0.0, 1e9}, {-273.15, 1e9}},
                  false,
                  false,
                  true}) {}

std::string Hollomon::checkParameters(const LawParameters& k) const {
    if (!(k[kStrength] > 0.0 && std::isfinite(k[kStrength]))) {
        return "K must be a positive stress (MPa)";
    }
    if (!(k[kExponent] >= 0.0 && k[kExponent] < 1.0)) {
        return "n must lie in [0, 1)";
    }
    return "";
}

double Hollomon::flowStress(const LawPoint& point, const LawParameters& k) const {
    return k[kStrength] * std::pow(point.strain, k[kExponent]);
}

} // namespace rollbite
