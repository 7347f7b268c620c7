#include "inputs/WS18Inputs.h"

#include "Numerics.h"

#include <cmath>

namespace rollbite {

WS18Inputs::WS18Inputs() : WS18Inputs(std::array<double, kValueCount>{}) {}

WS18Inputs::WS18Inputs(const std::array<double, kValueCount>& values)
    : Parameters(kListHead), C(values[0]), Mn(values[1]), Si(values[2]), N(values[3]), Nb(values[4]),
      Ti(values[5]), V(values[6]), Al(values[7]), P(values[8]), Cr(values[9]), Mo(values[10]), Cu(values[11]),
      Ni(values[12]), B(values[13]), TemperatureIn(values[14]), TemperatureOut(values[15]),
      Strip_speed(values[16]), X_rec(values[17]), D_rec(values[18]), Rho_rec(values[19]), X_unrec(values[20]),
      D_unrec(values[21]), Rho_unrec(values[22]) {}

bool WS18Inputs::checkInputs() {
    Wrong_inputs = kListHead;
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
