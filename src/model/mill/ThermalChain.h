#pragma once

#include "rollbite/model/ScheduleInputs.h"
#include "rollbite/model/ScheduleResult.h"

#include <array>
#include <vector>

namespace rollbite {

// The strip's mean temperature along a hot mill, taken as one temperature through its thickness (a thin
// strip's Biot number is small): its enthalpy marched in time steps, each step's heat by cause, from both
// faces. Between the stands it radiates (emissivity) and gives heat to the air (a heat-transfer
// coefficient), and under sprays to their water; in a bite it gives heat to the colder work rolls and
// gains the share of the pass's work that turns into heat. The heat is per kilogram of strip, so the
// causes add up to the change of the strip's enthalpy (SteelHeat) exactly; each cause's part of the
// temperature change is its heat over the step's mean specific heat.
class ThermalChain {
public:
    // Below this time step a march changes no temperature by a visible amount (docs/thermal.md).
    static constexpr double kTimeStep = 0.02;                  // s
    static constexpr int kLeastSteps = 10;                     // of a stretch, however short
    static constexpr double kLargestStepChange = 10.0;         // C per step, at the stretch's start rate
    static constexpr int kMostSteps = 1000000;                 // of a stretch
    static constexpr double kStefanBoltzmann = 5.670374419e-8; // W/(m2 K4)
    static constexpr double kKelvin = 273.15;                  // K at 0 C

    // What one stretch of the strip's way did to it.
    struct Stretch {
        double exitTemperature = 0.0;           // C
        double time = 0.0;                      // s
        std::array<double, kHeatCauses> heat{}; // J/kg, gained (negative: lost), by HeatCause
        std::array<double, kHeatCauses> drop{}; // C, the temperature change of each cause (negative: a fall)
    };

    // `stepScale` times every time step (1: kTimeStep), to show that the steps do not matter.
    explicit ThermalChain(const StripInputs& strip, double stepScale = 1.0);

    // From the stand before (or the entry measurement) to this stand's bite, over its interstand distance
    // at `speed` (m/s), the strip `thickness` mm thick; its sprays over the last Spray_length. Appends the
    // path's points to `path`, from `startDistance` (m) and `startTime` (s), when it is given.
    Stretch interstand(double temperature, double thickness, double speed, const StandInputs& stand,
                       std::vector<TemperaturePoint>* path = nullptr, double startDistance = 0.0,
                       double startTime = 0.0) const;
    // Through a bite of `time` s from `entryThickness` to `exitThickness` (mm): the rolls' chill and the
    // pass's work `work` (J/kg) of which the strip keeps Deformation_efficiency.
    Stretch bite(double temperature, double entryThickness, double exitThickness, double time,
                 double work) const;

private:
    // What the strip is exposed to along a stretch: its faces' area per kilogram (m2/kg, both faces), the
    // sprays' coefficient (W/(m2 K), 0 for none), the rolls (in a bite) and the work turned into heat (W/kg).
    struct Exposure {
        double area = 0.0;
        double sprayHtc = 0.0;
        bool inBite = false;
        double deformation = 0.0;
    };
    using Rates = std::array<double, kHeatCauses>; // W/kg, gained, by HeatCause

    Stretch march(double temperature, double time, const Exposure& exposure,
                  std::vector<TemperaturePoint>* path, double speed, double startDistance,
                  double startTime) const;
    Rates rates(double temperature, const Exposure& exposure) const;
    // Both faces of a strip `thickness` mm thick: m2 per kg.
    double areaPerKilogram(double thickness) const;

    StripInputs strip_;
    double step_;
};

} // namespace rollbite
