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
    constexpr const char* kTemperatureRange = "in [600, 1200] degrees C";
    constexpr const char* kGrainRange = "in [0, 250] um";
    constexpr const char* kDensityRange = "in [5e12, 5e15] per m2";
    constexpr const char* kPositive = "above 0 %";
    constexpr const char* kNotNegative = "at least 0 %";
    return appendFailures(
               {
                   {inTemperatureRange(TemperatureIn), 0, " TemperatureIn ", TemperatureIn,
                    kTemperatureRange},
                   {inTemperatureRange(TemperatureOut), 0, " TemperatureOut ", TemperatureOut,
                    kTemperatureRange},
                   {std::abs(TemperatureOut - TemperatureIn) <= 100.0, 0, " DeltaTemperature_InOut ",
                    std::abs(TemperatureOut - TemperatureIn), "at most 100 degrees C"},
                   {0.0 < Strip_speed && Strip_speed <= 25.0, 0, " Strip_speed ", Strip_speed,
                    "in (0, 25] m/s"},
                   {C > 0.0, 0, " C ", C, kPositive},
                   {Mn > 0.0, 0, " Mn ", Mn, kPositive},
                   {Si >= 0.0, 0, " Si ", Si, kNotNegative},
                   {N >= 0.0, 0, " N ", N, kNotNegative},
                   {Nb >= 0.0, 0, " Nb ", Nb, kNotNegative},
                   {Ti >= 0.0, 0, " Ti ", Ti, kNotNegative},
                   {V >= 0.0, 0, " V ", V, kNotNegative},
                   {Al >= 0.0, 0, " Al ", Al, kNotNegative},
                   {P >= 0.0, 0, " P ", P, kNotNegative},
                   {Cr >= 0.0, 0, " Cr ", Cr, kNotNegative},
                   {Mo >= 0.0, 0, " Mo ", Mo, kNotNegative},
                   {Cu >= 0.0, 0, " Cu ", Cu, kNotNegative},
                   {Ni >= 0.0, 0, " Ni ", Ni, kNotNegative},
                   {B >= 0.0, 0, " B ", B, kNotNegative},
                   {X_rec >= 0.0, 0, " X_rec ", X_rec, "at least 0"},
                   {X_unrec >= 0.0, 0, " X_unrec ", X_unrec, "at least 0"},
                   {isZero(X_rec + X_unrec - 1.0), 0, " Non-unitary_X_sum ", X_rec + X_unrec,
                    "1 (X_rec + X_unrec)"},
                   {inGrainRange(D_rec), 0, " D_rec ", D_rec, kGrainRange},
                   {inGrainRange(D_unrec), 0, " D_unrec ", D_unrec, kGrainRange},
                   {inDensityRange(Rho_rec), 0, " Rho_rec ", Rho_rec, kDensityRange},
                   {inDensityRange(Rho_unrec), 0, " Rho_unrec ", Rho_unrec, kDensityRange},
               })
        .valid;
}

} // namespace rollbite
