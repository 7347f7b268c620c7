#pragma once

namespace rollbite {

// The heat a carbon steel strip holds: its specific heat, its enthalpy and its conductivity against
// temperature, from the design values of EN 1993-1-2:2005 (Eurocode 3, part 1-2), 3.4.1.2 and 3.4.1.3,
// for 20 to 1200 degrees Celsius; outside, the nearest branch goes on (a constant 650 J/(kg K) above).
// The specific heat peaks at 735 C, where ferrite turns to austenite.
class SteelHeat {
public:
    static constexpr double kDensity = 7850.0; // kg/m3, unit mass of steel (EN 1993-1-2, 3.2.2)

    // J/(kg K)
    static double specificHeat(double celsius);
    // J/kg, from 20 C: the integral of the specific heat, continuous across its branches.
    static double enthalpy(double celsius);
    // The temperature (C) of an enthalpy (J/kg), near `guess`.
    static double temperatureOf(double enthalpy, double guess);
    // W/(m K): what tells whether a strip may be taken at one mean temperature (Biot number).
    static double conductivity(double celsius);
};

} // namespace rollbite
