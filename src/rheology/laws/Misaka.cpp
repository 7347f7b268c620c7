#include "rheology/laws/Misaka.h"

#include <cmath>

namespace rollbite {

namespace {

enum { kCarbon };
constexpr double kKelvin = 273.15;         // K at 0 degrees Celsius
constexpr double kKilogramForce = 9.80665; // MPa per kgf/mm^2
constexpr double kStrainExponent = 0.21;
constexpr double kRateExponent = 0.13;

} // namespace

Misaka::Misaka()
    : BuiltInLaw(
          {"misaka",
           "Misaka: sigma = exp(0.126 - 1.75 C + 0.594 C^2 + (2851 + 2968 C - 1120 C^2) / T) eps^0.21 "
           "rate^0.13 (kgf/mm^2, C in weight %, T in K); Y. Misaka, T. Yoshimoto, J. Japan Soc. Technol. "
           "Plasticity 8 (1967-68) 414-422",
           {{"C", "wt%", "carbon content in weight percent (not atom fraction)"}},
           {{0.05, 0.5}, {30.0, 200.0}, {750.0, 1200.0}},
           true,
           true,
           false,
           true}) {}

std::string Misaka::checkParameters(const LawParameters& k) const {
    if (!(k[kCarbon] >= 0.05 && k[kCarbon] <= 1.17)) {
        return "C must be a carbon content from 0.05 to 1.17 weight percent, as the law was fitted";
    }
    return "";
}

double Misaka::flowStress(const LawPoint& point, const LawParameters& k) const {
    const double carbon = k[kCarbon];
    const double kelvin = point.temperature + kKelvin;
    const double temperatureTerm = std::exp(0.126 - 1.75 * carbon + 0.594 * carbon * carbon +
                                            (2851.0 + 2968.0 * carbon - 1120.0 * carbon * carbon) / kelvin);
    return temperatureTerm * std::pow(point.strain, kStrainExponent) *
           std::pow(point.strainRate, kRateExponent) * kKilogramForce;
}

} // namespace rollbite
