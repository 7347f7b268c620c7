#pragma once

#include <string>

namespace rollbite {

// The units a mill engineer writes beside a value, by what they measure: lengths (m, mm, um), stresses
// (MPa, N/mm2, kN/mm2, kgf/mm2...), speeds (m/s, m/min), forces (kN, MN), torques, powers (kW, MW),
// densities, stiffnesses (kN/mm, MN/mm), contents (wt%, ppm)... A value is converted once, where it is
// read, to the unit its field takes; any other unit is refused. Names are matched as written: the letter
// case tells mN from MN.
class Units {
public:
    // `value`, written in `unit`, in `fieldUnit`, the unit the field takes ("mm"): multiplied or divided by
    // a whole power of ten (or 60) where the units differ by one, so that 1.5 m is 1500 mm exactly. An
    // empty `unit` is the field's own. False when `unit` measures something else or is unknown.
    static bool convert(double value, const std::string& unit, const std::string& fieldUnit,
                        double& converted);
    // The units a field of `fieldUnit` takes, for a message: "m, mm, cm, um".
    static std::string accepted(const std::string& fieldUnit);
};

} // namespace rollbite
