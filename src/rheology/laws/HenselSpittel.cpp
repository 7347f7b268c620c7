#include "rheology/laws/HenselSpittel.h"

#include <cmath>
#include <string>

namespace rollbite {

namespace {

// The parameters in their order; the five-parameter form has the first five.
enum { kA, kM1, kM2, kM3, kM4, kM5, kM7, kM8, kM9 };
constexpr int kShortForm = 5;
constexpr int kLongForm = 9;

LawDescription describe(bool nineParameters) {
    LawDescription law;
    law.name = nineParameters ? "hensel-spittel-9" : "hensel-spittel-5";
    law.description = std::string("Hensel-Spittel: sigma = A e^(m1 T) ") +
                      (nineParameters ? "T^m9 eps^m2 e^(m4/eps) (1+eps)^(m5 T) e^(m7 eps) rate^m3 rate^(m8 T)"
                                      : "eps^m2 e^(m4/eps) rate^m3") +
                      " (MPa, T in C); A. Hensel, T. Spittel, Kraft- und Arbeitsbedarf bildsamer "
                      "Formgebungsverfahren, Leipzig 1978";
    law.parameters = {{"A", "MPa", "stress coefficient"},
                      {"m1", "1/C", "temperature coefficient"},
                      {"m2", "", "strain exponent"},
                      {"m3", "", "strain-rate exponent"},
                      {"m4", "", "coefficient of the inverse strain"}};
    if (nineParameters) {
        law.parameters.push_back({"m5", "1/C", "coupling of strain and temperature"});
        law.parameters.push_back({"m7", "", "strain coefficient"});
        law.parameters.push_back({"m8", "1/C", "coupling of strain rate and temperature"});
        law.parameters.push_back({"m9", "", "temperature exponent"});
    }
    law.validity = {{0.01, 2.0}, {0.01, 500.0}, {20.0, 1300.0}};
    law.readsStrainRate = true;
    law.readsTemperature = true;
    law.carriesStrain = false; // a law of hot forming: see docs/laws.md
    return law;
}

} // namespace

HenselSpittel::HenselSpittel(bool nineParameters)
    : BuiltInLaw(describe(nineParameters)), nineParameters_(nineParameters) {}

std::string HenselSpittel::checkParameters(const LawParameters& k) const {
    if (!(k[kA] > 0.0 && std::isfinite(k[kA]))) {
        return "A must be a positive stress (MPa)";
    }
    const char* names[] = {"A", "m1", "m2", "m3", "m4", "m5", "m7", "m8", "m9"};
    for (int p = kM1; p < (nineParameters_ ? kLongForm : kShortForm); ++p) {
        if (!std::isfinite(k[p])) {
            return std::string(names[p]) + " must be a number";
        }
    }
    return "";
}

double HenselSpittel::flowStress(const LawPoint& point, const LawParameters& k) const {
    const double T = point.temperature;
    const double strain = point.strain;
    const double rate = point.strainRate;
    double stress = k[kA] * std::exp(k[kM1] * T) * std::pow(strain, k[kM2]) * std::exp(k[kM4] / strain) *
                    std::pow(rate, k[kM3]);
    if (nineParameters_) {
        stress *= std::pow(T, k[kM9]) * std::pow(1.0 + strain, k[kM5] * T) * std::exp(k[kM7] * strain) *
                  std::pow(rate, k[kM8] * T);
    }
    return stress;
}

} // namespace rollbite
