// WS18 model state: construction, chemistry coefficients, and the speed, temperature and lattice-stress
// profiles prepared for each roll bite.
#include "rheology/WS18.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

namespace {

constexpr double kMillimetresPerMetre = 1000.0;
constexpr double kReferenceCelsius = 27.0;        // temperature of the tabled lattice stress
constexpr double kLatticeStressSoftening = 0.002; // 1/degree Celsius, exponential fall of the lattice stress

} // namespace

WS18::WS18() : WS18(WS18Inputs()) {}

WS18::WS18(const WS18Inputs& inputs)
    : WS18_inputs(inputs), Exit_thickness(0.0), Lattice_stress_profile(kGridPoints, 0.0),
      Temperature_profile(kGridPoints, 0.0), Speed_profile(kGridPoints, 0.0),
      Grid_strain_profile(kGridPoints, 0.0), Lattice_stress_coefficient(0.0), Storage_coefficient(0.0),
      Storage_rate_exponent(0.0), Storage_activation_energy(0.0), Recovery_coefficient(0.0),
      Recovery_rate_exponent(0.0), Recovery_activation_energy(0.0), Eps_rec_profile(kGridPoints, 0.0),
      Sigma_rec_profile(kGridPoints, 0.0), Rho_rec_profile(kGridPoints, 0.0),
      Eps_unrec_profile(kGridPoints, 0.0), Sigma_unrec_profile(kGridPoints, 0.0),
      Rho_unrec_profile(kGridPoints, 0.0), Eps_rate_rec_profile(kGridPoints, 0.0),
      Eps_rate_unrec_profile(kGridPoints, 0.0) {}

void WS18::computeChemistryCoefficients() {
    // Empirical regressions on the steel's contents (weight percent); N, V, P, Cu, Ni and B play no part.
    const WS18Inputs& steel = WS18_inputs;
    Lattice_stress_coefficient = steel.C * 100.0 * 0.001 + 65.0 + steel.Si * 20.0 * 0.001 +
                                 steel.Mo * 15.0 * 0.001 + steel.Nb * 399.0 * 0.001 +
                                 steel.Al * 12.0 * 0.001 + steel.Cr * 3.4 * 0.001;
    Storage_coefficient = 2.488e13 + steel.Mn * 6.7e9 + steel.Si * 1.27e10 + steel.Ti * 1.6e11;
    Storage_rate_exponent = steel.C * 0.000239 + 0.182 + steel.Ti * 0.000238;
    Storage_activation_energy = steel.C * 5.81 + 20015.0 + steel.Nb * 6.65;
    Recovery_coefficient =
        steel.C * 0.085 + 22.4 + steel.Mn * 0.0092 + steel.Si * 0.0103 + steel.Cr * 0.0199 + steel.Ti * 0.197;
    Recovery_rate_exponent = steel.Si * 1.24e-5 + steel.Cr * 8.45e-5 + steel.Ti * 0.000139;
    Recovery_activation_energy = 34369.9 + steel.Nb * 6.85;
}

double WS18::equivalentStrain(double thickness) {
    return logarithmicStrain(thickness);
}

void WS18::storeThicknessProfile(const std::vector<double>& profile) {
    copyThicknessProfile(profile);
    // Mass flow: the strip moves slower where it is thicker; Strip_speed is the exit speed.
    for (int k = 0; k <= kLastPoint; ++k) {
        Speed_profile[k] =
            (Exit_thickness / Thickness_profile[k]) * (WS18_inputs.Strip_speed * kMillimetresPerMetre);
        Grid_strain_profile[k] = equivalentStrain(Thickness_profile[k]);
    }
}

void WS18::setThicknessProfile(const std::vector<double>& profile) {
    Has_Failed = 0;
    storeThicknessProfile(profile);
    Has_Failed = 0;
    Temperature_profile[0] = WS18_inputs.TemperatureIn;
    Temperature_profile[kLastPoint] = WS18_inputs.TemperatureOut;
    interpolateTemperatures();
    for (int k = 0; k <= kLastPoint; ++k) {
        Lattice_stress_profile[k] =
            std::exp((kReferenceCelsius - Temperature_profile[k]) * kLatticeStressSoftening) *
            Lattice_stress_coefficient;
    }
}

void WS18::interpolateTemperatures() {
    // The temperature moves linearly with the equivalent strain from the entry to the exit value, so the
    // strain must grow along the bite.
    double strainSpan = Grid_strain_profile[kLastPoint] - Grid_strain_profile[0];
    if (isZero(strainSpan) || strainSpan < 0.0) {
        strainSpan = 1.0;
        Has_Failed = 1;
    }
    const double temperaturePerStrain =
        (Temperature_profile[kLastPoint] - Temperature_profile[0]) / strainSpan;
    double previousStrain = Grid_strain_profile[0];
    for (int k = 1; k < kLastPoint && Has_Failed == 0; ++k) {
        const double strain = Grid_strain_profile[k];
        const double strainStep = strain - previousStrain;
        previousStrain = strain;
        Temperature_profile[k] = strainStep * temperaturePerStrain + Temperature_profile[k - 1];
        if (strainStep < 0.0) {
            Has_Failed = 1;
        }
    }
}

void WS18::reset(const std::array<double, WS18Inputs::kValueCount>& values) {
    resetState();
    WS18_inputs.assign(values);
    Exit_thickness = 0.0;
    for (std::vector<double>* profile :
         {&Lattice_stress_profile, &Temperature_profile, &Speed_profile, &Grid_strain_profile,
          &Eps_rec_profile, &Sigma_rec_profile, &Rho_rec_profile, &Eps_unrec_profile, &Sigma_unrec_profile,
          &Rho_unrec_profile, &Eps_rate_rec_profile, &Eps_rate_unrec_profile}) {
        profile->assign(kGridPoints, 0.0);
    }
    computeChemistryCoefficients();
}

} // namespace rollbite
