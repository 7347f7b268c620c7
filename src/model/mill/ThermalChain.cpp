#include "model/mill/ThermalChain.h"

#include "model/mill/SteelHeat.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

namespace {

constexpr double kMillimetre = 1e-3; // m
constexpr double kFaces = 2.0;       // a strip gives heat from its top and its bottom

double sumOf(const std::array<double, kHeatCauses>& rates) {
    double sum = 0.0;
    for (const double rate : rates) {
        sum += rate;
    }
    return sum;
}

void add(ThermalChain::Stretch& total, const ThermalChain::Stretch& part) {
    total.exitTemperature = part.exitTemperature;
    total.time += part.time;
    for (int cause = 0; cause < kHeatCauses; ++cause) {
        total.heat[cause] += part.heat[cause];
        total.drop[cause] += part.drop[cause];
    }
}

} // namespace

ThermalChain::ThermalChain(const StripInputs& strip, double stepScale)
    : strip_(strip), step_(kTimeStep * stepScale) {}

double ThermalChain::areaPerKilogram(double thickness) const {
    return kFaces / (strip_.Density * thickness * kMillimetre);
}

ThermalChain::Rates ThermalChain::rates(double temperature, const Exposure& exposure) const {
    Rates rate{};
    const double area = exposure.area;
    if (exposure.inBite) {
        rate[kRollContact] = -area * strip_.Contact_htc * (temperature - strip_.Roll_temperature);
        rate[kDeformation] = exposure.deformation;
        return rate;
    }
    const double surface = temperature + kKelvin;
    const double surroundings = strip_.Ambient_temperature + kKelvin;
    rate[kRadiation] =
        -area * strip_.Emissivity * kStefanBoltzmann *
        (surface * surface * surface * surface - surroundings * surroundings * surroundings * surroundings);
    rate[kConvection] = -area * strip_.Air_htc * (temperature - strip_.Ambient_temperature);
    rate[kSprays] = -area * exposure.sprayHtc * (temperature - strip_.Ambient_temperature);
    return rate;
}

ThermalChain::Stretch ThermalChain::march(double temperature, double time, const Exposure& exposure,
                                          std::vector<TemperaturePoint>* path, double speed,
                                          double startDistance, double startTime) const {
    Stretch stretch;
    stretch.time = time;
    // Steps of at most step_, and small enough that none changes the temperature by more than
    // kLargestStepChange at the stretch's start rate: a march under strong sprays or roll chill stays stable.
    const double startRate =
        std::abs(sumOf(rates(temperature, exposure))) / SteelHeat::specificHeat(temperature);
    const double needed = std::max(time / step_, startRate * time / kLargestStepChange);
    const int steps =
        std::max(kLeastSteps, static_cast<int>(std::ceil(std::min(needed, double(kMostSteps)))));
    const double dt = time / steps;
    double t = temperature;
    for (int k = 0; k < steps; ++k) {
        // The step's heat by cause, the mean of its rates at its start and at the end they lead to (Heun's
        // second-order step); the temperature from the enthalpy the heat leaves.
        const Rates start = rates(t, exposure);
        const double guess = SteelHeat::temperatureOf(SteelHeat::enthalpy(t) + sumOf(start) * dt, t);
        const Rates end = rates(guess, exposure);
        double gained = 0.0;
        Rates heat{};
        for (int cause = 0; cause < kHeatCauses; ++cause) {
            heat[cause] = 0.5 * (start[cause] + end[cause]) * dt;
            gained += heat[cause];
        }
        const double next = SteelHeat::temperatureOf(SteelHeat::enthalpy(t) + gained, guess);
        // Each cause's share of the step's change: its heat over the step's mean specific heat.
        const double meanHeat = next != t ? gained / (next - t) : SteelHeat::specificHeat(t);
        for (int cause = 0; cause < kHeatCauses; ++cause) {
            stretch.heat[cause] += heat[cause];
            stretch.drop[cause] += heat[cause] / meanHeat;
        }
        t = next;
        if (path != nullptr) {
            const double elapsed = (k + 1) * dt;
            path->push_back({startDistance + speed * elapsed, startTime + elapsed, t});
        }
    }
    stretch.exitTemperature = t;
    return stretch;
}

ThermalChain::Stretch ThermalChain::interstand(double temperature, double thickness, double speed,
                                               const StandInputs& stand, std::vector<TemperaturePoint>* path,
                                               double startDistance, double startTime) const {
    // In the air first, then under the sprays just before the stand.
    const double sprayLength = std::clamp(stand.Spray_length, 0.0, stand.Interstand_distance);
    const double dry = stand.Interstand_distance - sprayLength;
    Exposure air;
    air.area = areaPerKilogram(thickness);
    Stretch total;
    total.exitTemperature = temperature;
    if (dry > 0.0) {
        add(total, march(temperature, dry / speed, air, path, speed, startDistance, startTime));
    }
    if (sprayLength > 0.0) {
        Exposure sprayed = air;
        sprayed.sprayHtc = stand.Spray_htc;
        add(total, march(total.exitTemperature, sprayLength / speed, sprayed, path, speed,
                         startDistance + dry, startTime + total.time));
    }
    return total;
}

ThermalChain::Stretch ThermalChain::bite(double temperature, double entryThickness, double exitThickness,
                                         double time, double work) const {
    Exposure rolls;
    rolls.inBite = true;
    rolls.area = areaPerKilogram(0.5 * (entryThickness + exitThickness));
    rolls.deformation = time > 0.0 ? strip_.Deformation_efficiency * work / time : 0.0;
    return march(temperature, time, rolls, nullptr, 0.0, 0.0, 0.0);
}

} // namespace rollbite
