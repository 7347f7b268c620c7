#include "rheology/laws/JohnsonCook.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

namespace {

enum { kYield, kHardening, kExponent, kRateCoefficient, kThermalExponent, kReferenceRate, kRoom, kMelting };

} // namespace

JohnsonCook::JohnsonCook()
    : BuiltInLaw(
          {"johnson-cook",
           "Johnson-Cook: sigma = (A + B eps^n)(1 + C ln(rate / rate0))(1 - T*^m), T* = (T - T_room) / "
           "(T_melt - T_room) (MPa); G. R. Johnson, W. H. Cook, Proc. 7th Int. Symp. Ballistics (1983) "
           "541-547",
           {{"A", "MPa", "yield stress at the reference rate and room temperature"},
            {"B", "MPa", "strain-hardening modulus"},
            {"n", "", "strain-hardening exponent"},
            {"C", "", "strain-rate coefficient"},
            {"m", "", "thermal-softening exponent"},
            {"rate0", "1/s", "reference strain rate"},
            {"T_room", "C", "temperature of the reference tests"},
            {"T_melt", "C", "melting temperature"}},
           {{0.0, 2.0}, {1e-4, 1e5}, {-50.0, 1400.0}},
           true,
           true,
           true}) {}

std::string JohnsonCook::checkParameters(const LawParameters& k) const {
    if (!(k[kYield] > 0.0 && std::isfinite(k[kYield]))) {
        return "A must be a positive stress (MPa)";
    }
    if (!(k[kHardening] >= 0.0 && std::isfinite(k[kHardening]))) {
        return "B must be a stress no less than 0 (MPa)";
    }
    if (!(k[kExponent] >= 0.0 && k[kExponent] <= 1.0)) {
        return "n must lie in [0, 1]";
    }
    if (!(k[kRateCoefficient] >= 0.0 && k[kRateCoefficient] < 1.0)) {
        return "C must lie in [0, 1)";
    }
    if (!(k[kThermalExponent] > 0.0 && std::isfinite(k[kThermalExponent]))) {
        return "m must be positive";
    }
    if (!(k[kReferenceRate] > 0.0 && std::isfinite(k[kReferenceRate]))) {
        return "rate0 must be a positive strain rate (1/s)";
    }
    if (!(k[kMelting] > k[kRoom] && std::isfinite(k[kRoom]) && std::isfinite(k[kMelting]))) {
        return "T_melt must lie above T_room (C)";
    }
    return "";
}

double JohnsonCook::flowStress(const LawPoint& point, const LawParameters& k) const {
    const double hardening = k[kYield] + k[kHardening] * std::pow(point.strain, k[kExponent]);
    const double rateFactor = 1.0 + k[kRateCoefficient] * std::log(point.strainRate / k[kReferenceRate]);
    // Below the temperature of the reference tests the law has no term: no softening, none added.
    const double homologous = std::max(0.0, (point.temperature - k[kRoom]) / (k[kMelting] - k[kRoom]));
    const double softening = 1.0 - std::pow(homologous, k[kThermalExponent]);
    return hardening * rateFactor * softening;
}

} // namespace rollbite
