// WS18 flow stress at a point of the bite: share the strain increment between the two fractions, derive
// their strain rates from the time the strip needs for it, advance each dislocation density, and mix the
// two fractions' flow stresses.
#include "rheology/WS18.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

namespace {

constexpr double kBurgersVector = 2.58e-10;     // m
constexpr double kGasConstant = 8.3144;         // J/(mol K)
constexpr double kCelsiusToKelvin = 273.0;      // the model's own offset, not 273.15
constexpr double kRecrystallisedDensity = 5e12; // 1/m^2, a freshly recrystallised grain
constexpr double kTaylorFactor = 3.0;           // on the strain increment and in the hardening term
constexpr double kTaylorConstant = 0.3;         // alpha of sigma = alpha M mu b sqrt(rho)
constexpr double kGrainStorageDecay = -5.16e-8; // m, 200 Burgers vectors
constexpr double kGrainStorageLength =
    1.032e-9; // m, 4 Burgers vectors: the grain term decays as exp(-50 eps)
constexpr double kMicrometresPerMetre = 1000000.0;
constexpr double kMillimetresPerMetre = 1000.0;
constexpr double kRoomCelsius = 27.0;             // reference temperature of the shear modulus
constexpr double kRoomShearModulus = 81000.0;     // MPa, steel at 27 degrees Celsius
constexpr double kModulusSoftening = 0.91;        // relative drop of the modulus ...
constexpr double kModulusSofteningRange = 1810.0; // ... over this many degrees Celsius

// Shear modulus of steel (MPa), falling linearly with the temperature (degrees Celsius).
double shearModulus(double celsius) {
    return (1.0 - (celsius - kRoomCelsius) * kModulusSoftening / kModulusSofteningRange) * kRoomShearModulus;
}

// Equivalent strain rate of plane compression (1/s): (2/sqrt 3) 2 tan(phi) v / h, as dh/dx = 2 tan(phi).
double strainRate(double tangent, double speed, double thickness) {
    return (tangent * (-2.0) * speed / thickness) * (-(2.0 / std::sqrt(3.0)));
}

} // namespace

double WS18::flowStress(int index, double offsetYieldStress) {
    Has_Failed = 0;
    if (index == 0 || !onGrid(index)) {
        return evaluateEntryOrFail(index, offsetYieldStress, true);
    }
    const double thickness = Thickness_profile[index];
    return evaluate(index,
                    {Grid_strain_profile[index], Temperature_profile[index], Tangent_profile[index],
                     thickness, Speed_profile[index]},
                    offsetYieldStress, true);
}

double WS18::flowStressAt(int index, double angle, double thickness, double offsetYieldStress) {
    Has_Failed = 0;
    if (index == 0 || !onGrid(index)) {
        return evaluateEntryOrFail(index, offsetYieldStress, false);
    }
    // Between grid points: the exit temperature at the last cell, the mass-flow speed at this thickness.
    const double temperature = index == kLastPoint ? WS18_inputs.TemperatureOut : Temperature_profile[index];
    const double speed = (Exit_thickness / thickness) * (WS18_inputs.Strip_speed * kMillimetresPerMetre);
    return evaluate(index, {equivalentStrain(thickness), temperature, std::tan(angle), thickness, speed},
                    offsetYieldStress, false);
}

double WS18::evaluateEntryOrFail(int index, double offsetYieldStress, bool keepProfiles) {
    if (index != 0) {
        Has_Failed = 1; // off the grid
        return 1.0;
    }
    return evaluate(0, {equivalentStrain(Entry_thickness), WS18_inputs.TemperatureIn, 0.0, 0.0, 0.0},
                    offsetYieldStress, keepProfiles);
}

double WS18::evaluate(int index, const BitePosition& position, double offsetYieldStress, bool keepProfiles) {
    const double strainIncrement = index == 0 ? 0.0 : position.strain - Strain_profile[index - 1];
    if (index == 0) {
        startAtEntry();
    } else {
        partitionStrain(index, strainIncrement);
    }
    if (Has_Failed != 0) {
        return 1.0;
    }
    if (keepProfiles) {
        Strain_profile[index] = position.strain;
    }
    double recrystallisedIncrement = 0.0;
    double unrecrystallisedIncrement = 0.0;
    if (index > 0) {
        computeStrainRates(index, position, strainIncrement);
        if (Has_Failed != 0) {
            return 1.0;
        }
        recrystallisedIncrement = Eps_rec_profile[index] - Eps_rec_profile[index - 1];
        unrecrystallisedIncrement = Eps_unrec_profile[index] - Eps_unrec_profile[index - 1];
    }
    advanceBothDensities(index, recrystallisedIncrement, unrecrystallisedIncrement);
    // A zero grain size has set the failure flag by now, yet the value is still computed and returned.
    if (!densitiesValid(index)) {
        Has_Failed = 1;
        return 1.0;
    }
    const double flowStress = mixedFlowStress(index, position.temperature, offsetYieldStress);
    if (keepProfiles) {
        Flow_stress_profile[index] = flowStress;
    }
    return flowStress;
}

void WS18::startAtEntry() {
    Eps_rec_profile[0] = 0.0;
    Eps_unrec_profile[0] = 0.0;
    Eps_rate_rec_profile[0] = 0.0;
    Eps_rate_unrec_profile[0] = 0.0;
}

void WS18::partitionStrain(int index, double strainIncrement) {
    // Both fractions do the same work per unit volume at the previous point's stresses
    // (sigma_rec deps_rec = sigma_unrec deps_unrec) and their volume-weighted increments add up.
    const int prev = index - 1;
    const double unrecrystallisedStress = Sigma_unrec_profile[prev];
    if (isZero(unrecrystallisedStress)) {
        Has_Failed = 1;
        return;
    }
    const double stressRatio = Sigma_rec_profile[prev] / unrecrystallisedStress;
    const double weight = stressRatio * WS18_inputs.X_unrec + WS18_inputs.X_rec;
    if (isZero(weight)) {
        Has_Failed = 1;
        return;
    }
    Eps_rec_profile[index] = strainIncrement / weight + Eps_rec_profile[prev];
    Eps_unrec_profile[index] =
        (Eps_rec_profile[index] - Eps_rec_profile[prev]) * stressRatio + Eps_unrec_profile[prev];
}

void WS18::computeStrainRates(int index, const BitePosition& position, double strainIncrement) {
    const double rate = strainRate(position.tangent, position.speed, position.thickness);
    if (isZero(rate)) {
        Has_Failed = 1;
        return;
    }
    const double timeIncrement = strainIncrement / rate; // s
    if (isZero(timeIncrement)) {
        Has_Failed = 1;
        return;
    }
    const int prev = index - 1;
    Eps_rate_rec_profile[index] = (Eps_rec_profile[index] - Eps_rec_profile[prev]) / timeIncrement;
    Eps_rate_unrec_profile[index] = (Eps_unrec_profile[index] - Eps_unrec_profile[prev]) / timeIncrement;
}

WS18::ThermalFactors WS18::thermalFactors(int index) const {
    const double kelvin = Temperature_profile[index] + kCelsiusToKelvin;
    return {std::exp(Storage_activation_energy / kGasConstant / kelvin),
            std::exp(-Recovery_activation_energy / kGasConstant / kelvin)};
}

void WS18::updateDislocationDensity(int index, double strain, double strainIncrement, double strainRate,
                                    double grainSize, std::vector<double>& density, bool recrystallised) {
    if (index == 0) {
        // The recrystallised fraction always starts fresh; the record's Rho_rec is not used.
        density[0] = recrystallised ? kRecrystallisedDensity : WS18_inputs.Rho_unrec;
        return;
    }
    if (!onGrid(index) || isZero(grainSize)) {
        Has_Failed = 1;
        return;
    }
    advanceDensity(index, strain, strainIncrement, strainRate, grainSize, density, thermalFactors(index));
}

void WS18::advanceDensity(int index, double strain, double strainIncrement, double strainRate,
                          double grainSize, std::vector<double>& density,
                          const ThermalFactors& thermal) const {
    const double storage =
        std::pow(strainRate, Storage_rate_exponent) * Storage_coefficient * thermal.storage;
    const double recovery =
        std::pow(strainRate, -Recovery_rate_exponent) * Recovery_coefficient * thermal.recovery;
    // Storage at the grain boundaries, fading with strain, over the Burgers vector times the grain size.
    const double grainStorage =
        std::exp(strain * kGrainStorageDecay / kGrainStorageLength) / kBurgersVector / grainSize;
    const double previous = density[index - 1];
    density[index] =
        (grainStorage + (storage - previous * recovery)) * (strainIncrement * kTaylorFactor) + previous;
}

void WS18::advanceBothDensities(int index, double recrystallisedIncrement, double unrecrystallisedIncrement) {
    const double recrystallisedGrain = WS18_inputs.D_rec / kMicrometresPerMetre;
    const double unrecrystallisedGrain = WS18_inputs.D_unrec / kMicrometresPerMetre;
    if (index == 0 || isZero(recrystallisedGrain) || isZero(unrecrystallisedGrain)) {
        updateDislocationDensity(index, Eps_rec_profile[index], recrystallisedIncrement,
                                 Eps_rate_rec_profile[index], recrystallisedGrain, Rho_rec_profile, true);
        updateDislocationDensity(index, Eps_unrec_profile[index], unrecrystallisedIncrement,
                                 Eps_rate_unrec_profile[index], unrecrystallisedGrain, Rho_unrec_profile,
                                 false);
        return;
    }
    // Both fractions see the same temperature: its storage and recovery factors are computed once.
    const ThermalFactors thermal = thermalFactors(index);
    advanceDensity(index, Eps_rec_profile[index], recrystallisedIncrement, Eps_rate_rec_profile[index],
                   recrystallisedGrain, Rho_rec_profile, thermal);
    advanceDensity(index, Eps_unrec_profile[index], unrecrystallisedIncrement, Eps_rate_unrec_profile[index],
                   unrecrystallisedGrain, Rho_unrec_profile, thermal);
}

bool WS18::densitiesValid(int index) {
    const auto valid = [](double density) { return isZero(density) || density > 0.0; };
    return valid(Rho_rec_profile[index]) && valid(Rho_unrec_profile[index]);
}

double WS18::mixedFlowStress(int index, double temperature, double offsetYieldStress) {
    const double hardening = shearModulus(temperature) * kTaylorConstant * kTaylorFactor * kBurgersVector;
    const double lattice = Lattice_stress_profile[index];
    Sigma_rec_profile[index] = std::sqrt(Rho_rec_profile[index]) * hardening + lattice;
    Sigma_unrec_profile[index] = std::sqrt(Rho_unrec_profile[index]) * hardening + lattice;
    double flowStress =
        (WS18_inputs.X_rec * Sigma_rec_profile[index] + Sigma_unrec_profile[index] * WS18_inputs.X_unrec) +
        offsetYieldStress;
    if (isZero(flowStress) || flowStress < 0.0) {
        flowStress = 1.0;
        Has_Failed = 1;
    }
    return flowStress;
}

} // namespace rollbite
