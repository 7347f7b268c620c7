#include "inputs/WS18Inputs.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

WS18Inputs::WS18Inputs() : WS18Inputs(std::array<double, kValueCount>{}) {}

WS18Inputs::WS18Inputs(const std::array<double, kValueCount>& values) : Parameters(kListHead) {
    assign(values);
}

void WS18Inputs::assign(const std::array<double, kValueCount>& values) {
    double* const fields[kValueCount] = {&C,
                                         &Mn,
                                         &Si,
                                         &N,
                                         &Nb,
                                         &Ti,
                                         &V,
                                         &Al,
                                         &P,
                                         &Cr,
                                         &Mo,
                                         &Cu,
                                         &Ni,
                                         &B,
                                         &TemperatureIn,
                                         &TemperatureOut,
                                         &Strip_speed,
                                         &X_rec,
                                         &D_rec,
                                         &Rho_rec,
                                         &X_unrec,
                                         &D_unrec,
                                         &Rho_unrec};
    for (int k = 0; k < kValueCount; ++k) {
        *fields[k] = values[k];
    }
    startList(kListHead);
}

std::array<double, WS18Inputs::kValueCount> WS18Inputs::values() const {
    return {C,
            Mn,
            Si,
            N,
            Nb,
            Ti,
            V,
            Al,
            P,
            Cr,
            Mo,
            Cu,
            Ni,
            B,
            TemperatureIn,
            TemperatureOut,
            Strip_speed,
            X_rec,
            D_rec,
            Rho_rec,
            X_unrec,
            D_unrec,
            Rho_unrec};
}

bool WS18Inputs::checkInputs() {
    startList(kListHead);
    // The model's range: 600 to 1200 degrees Celsius, at most 100 degrees between entry and exit.
    const auto inTemperatureRange = [](double celsius) { return 600.0 <= celsius && celsius <= 1200.0; };
    const auto inGrainRange = [](double micrometres) { return 0.0 <= micrometres && micrometres <= 250.0; };
    const auto inDensityRange = [](double perSquareMetre) {
        return 5e12 <= perSquareMetre && perSquareMetre <= 5e15;
    };
    return appendFailures(
               {
                   {inTemperatureRange(TemperatureIn), 0, " TemperatureIn "},
                   {inTemperatureRange(TemperatureOut), 0, " TemperatureOut "},
                   {std::abs(TemperatureOut - TemperatureIn) <= 100.0, 0, " DeltaTemperature_InOut "},
                   {0.0 < Strip_speed && Strip_speed <= 25.0, 0, " Strip_speed "},
                   {C > 0.0, 0, " C "},
                   {Mn > 0.0, 0, " Mn "},
                   {Si >= 0.0, 0, " Si "},
                   {N >= 0.0, 0, " N "},
                   {Nb >= 0.0, 0, " Nb "},
                   {Ti >= 0.0, 0, " Ti "},
                   {V >= 0.0, 0, " V "},
                   {Al >= 0.0, 0, " Al "},
                   {P >= 0.0, 0, " P "},
                   {Cr >= 0.0, 0, " Cr "},
                   {Mo >= 0.0, 0, " Mo "},
                   {Cu >= 0.0, 0, " Cu "},
                   {Ni >= 0.0, 0, " Ni "},
                   {B >= 0.0, 0, " B "},
                   {X_rec >= 0.0, 0, " X_rec "},
                   {X_unrec >= 0.0, 0, " X_unrec "},
                   {isZero(X_rec + X_unrec - 1.0), 0, " Non-unitary_X_sum "},
                   {inGrainRange(D_rec), 0, " D_rec "},
                   {inGrainRange(D_unrec), 0, " D_unrec "},
                   {inDensityRange(Rho_rec), 0, " Rho_rec "},
                   {inDensityRange(Rho_unrec), 0, " Rho_unrec "},
               })
        .valid;
}

} // namespace rollbite
