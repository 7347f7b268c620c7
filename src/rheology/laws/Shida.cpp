#include "rheology/laws/Shida.h"

#include <cmath>

namespace rollbite {

namespace {

enum { kCarbon };
constexpr double kKelvin = 273.0;          // Shida's own offset: T = (t + 273) / 1000
constexpr double kKiloKelvin = 1000.0;     // the law's temperature is in thousands of kelvin
constexpr double kKilogramForce = 9.80665; // MPa per kgf/mm^2
constexpr double kReferenceStrain = 0.2;   // the strain term is 1 here
constexpr double kReferenceRate = 10.0;    // 1/s: the rate term is 1 here

// Below T_d ferrite appears and the temperature terms change form.
double ferriteTemperature(double carbon) {
    return 0.95 * (carbon + 0.41) / (carbon + 0.32);
}

double temperatureTerm(double carbon, double T, double Td) {
    const double carbonTerm = 0.01 / (carbon + 0.05);
    if (T >= Td) {
        return 0.28 * std::exp(5.0 / T - carbonTerm);
    }
    const double below = T - 0.95 * (carbon + 0.49) / (carbon + 0.42);
    const double g = 30.0 * (carbon + 0.9) * below * below + (carbon + 0.06) / (carbon + 0.09);
    return 0.28 * g * std::exp(5.0 / Td - carbonTerm);
}

double rateExponent(double carbon, double T, double Td) {
    if (T >= Td) {
        return (-0.019 * carbon + 0.126) * T + (0.075 * carbon - 0.05);
    }
    return (0.081 * carbon - 0.154) * T + (-0.019 * carbon + 0.207) + 0.027 / (carbon + 0.32);
}

} // namespace

Shida::Shida()
    : BuiltInLaw(
          {"shida",
           "Shida: sigma = sigma_d(C, T) (1.3 (eps/0.2)^n - 0.3 (eps/0.2)) (rate/10)^m(C, T), n = 0.41 - "
           "0.07 C "
           "(kgf/mm^2, C in weight %, T = (t + 273) / 1000); S. Shida, J. Japan Soc. Technol. Plasticity 10 "
           "(1969) 610-617",
           {{"C", "wt%", "carbon content in weight percent (not atom fraction)"}},
           {{0.01, 0.7}, {0.1, 100.0}, {700.0, 1200.0}},
           true,
           true,
           false}) {}

std::string Shida::checkParameters(const LawParameters& k) const {
    if (!(k[kCarbon] >= 0.07 && k[kCarbon] <= 1.2)) {
        return "C must be a carbon content from 0.07 to 1.2 weight percent";
    }
    return "";
}

double Shida::flowStress(const LawPoint& point, const LawParameters& k) const {
    const double carbon = k[kCarbon];
    const double T = (point.temperature + kKelvin) / kKiloKelvin;
    const double Td = ferriteTemperature(carbon);
    const double strainRatio = point.strain / kReferenceStrain;
    const double strainExponent = 0.41 - 0.07 * carbon;
    const double strainTerm = 1.3 * std::pow(strainRatio, strainExponent) - 0.3 * strainRatio;
    const double rateTerm = std::pow(point.strainRate / kReferenceRate, rateExponent(carbon, T, Td));
    return temperatureTerm(carbon, T, Td) * strainTerm * rateTerm * kKilogramForce;
}

} // namespace rollbite
