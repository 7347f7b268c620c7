#pragma once

namespace rollbite {

// The heat a carbon steel strip holds: its specific heat and its enthalpy against temperature, from the
// design values of EN 1993-1-2:2005 (Eurocode 3, part 1-2), 3.4.1.2, for 20 to 1200 degrees Celsius;
// outside, the nearest branch goes on (a constant 650 J/(kg K) above). The specific heat peaks at 735 C,
// where ferrite turns to austenite.
class SteelHeat {
public:
    // J/(kg K)
    static double specificHeat(double celsius);
    // J/kg, from 20 C: the integral of the specific heat, continuous across its branches.
    static double enthalpy(double celsius);
    // The temperature (C) of an enthalpy (J/kg), near `guess`.
    static double temperatureOf(double enthalpy, double guess);
};

} // namespace rollbite
