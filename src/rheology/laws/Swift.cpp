#include "rheology/laws/Swift.h"

#include <cmath>

namespace rollbite {

namespace {

enum { kStrength, kPrestrain, kExponent };

} // namespace

Swift::Swift()
    : BuiltInLaw({"swift",
                  "Swift: sigma = K (eps0 + eps)^n (MPa); H. W. Swift, J. Mech. Phys. Solids 1 (1952) 1-18",
                  {{"K", "MPa", "strength coefficient"},
                   {"eps0", "", "prestrain: the strain the material acts as if it had at zero strain"},
                   {"n", "", "strain-hardening exponent"}},
                  {{0.0, 3.0}, {0.0, 1e9}, {-273.15, 1e9}},
                  false,
                  false,
                  true}) {}

std::string Swift::checkParameters(const LawParameters& k) const {
    if (!(k[kStrength] > 0.0 && std::isfinite(k[kStrength]))) {
        return "K must be a positive stress (MPa)";
    }
    if (!(k[kPrestrain] > 0.0 && k[kPrestrain] < 1.0)) {
        return "eps0 must lie in (0, 1)";
    }
    if (!(k[kExponent] >= 0.0 && k[kExponent] < 1.0)) {
        return "n must lie in [0, 1)";
    }
    return "";
}

double Swift::flowStress(const LawPoint& point, const LawParameters& k) const {
    return k[kStrength] * std::pow(k[kPrestrain] + point.strain, k[kExponent]);
}

} // namespace rollbite
