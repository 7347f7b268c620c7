#include "app/formats/Units.h"

#include <cmath>
#include <iterator>

namespace rollbite {

namespace {

// A unit and its size in its quantity's base unit (SI, or the fraction for contents).
struct Unit {
    const char* name;
    double size;
};

// The units of one quantity; the first few are those a message lists.
struct Quantity {
    Unit units[12];
};

constexpr double kGravity = 9.80665;      // m/s2: a kilogram-force in newtons
constexpr double kWholeTolerance = 1e-12; // a ratio of units this near a whole number is one

constexpr Quantity kQuantities[] = {
    {{{"mm", 1e-3}, {"m", 1.0}, {"cm", 1e-2}, {"um", 1e-6}, {"\xC2\xB5m", 1e-6}}},
    {{{"MPa", 1e6},
      {"N/mm2", 1e6},
      {"kN/mm2", 1e9},
      {"GPa", 1e9},
      {"kPa", 1e3},
      {"Pa", 1.0},
      {"N/mm\xC2\xB2", 1e6},
      {"N/mm^2", 1e6},
      {"kN/mm\xC2\xB2", 1e9},
      {"kN/mm^2", 1e9},
      {"kgf/mm2", kGravity * 1e6},
      {"kgf/mm\xC2\xB2", kGravity * 1e6}}},
    {{{"m/s", 1.0}, {"m/min", 1.0 / 60.0}, {"mm/s", 1e-3}}},
    {{{"kN", 1e3}, {"MN", 1e6}, {"N", 1.0}}},
    {{{"kN m", 1e3}, {"kNm", 1e3}, {"MN m", 1e6}, {"MNm", 1e6}, {"N m", 1.0}, {"Nm", 1.0}}},
    {{{"kW", 1e3}, {"MW", 1e6}, {"W", 1.0}}},
    {{{"kg/m3", 1.0}, {"t/m3", 1e3}, {"g/cm3", 1e3}, {"kg/m\xC2\xB3", 1.0}}},
    {{{"kN/mm", 1e6}, {"MN/mm", 1e9}, {"N/mm", 1e3}, {"MN/m", 1e6}, {"kN/m", 1e3}}},
    {{{"1/m2", 1.0}, {"m-2", 1.0}, {"1/m\xC2\xB2", 1.0}, {"m^-2", 1.0}, {"1/mm2", 1e6}}},
    {{{"W/m2K", 1.0}, {"kW/m2K", 1e3}, {"W/(m2 K)", 1.0}, {"W/(m2K)", 1.0}, {"kW/(m2 K)", 1e3}}},
    {{{"%", 1.0}}}, // a share (of a reduction): its own, before the contents that take it too
    {{{"wt%", 1e-2}, {"%", 1e-2}, {"ppm", 1e-6}, {"wt.%", 1e-2}}},
    {{{"C", 1.0},
      {"\xC2\xB0"
       "C",
       1.0},
      {"degC", 1.0}}},
};

// The quantity a field's own unit measures and that unit's size, or null for a unit of its own (a
// percentage of reduction, a ratio, no unit).
const Quantity* quantityOf(const std::string& fieldUnit, double& size) {
    for (const Quantity& quantity : kQuantities) {
        for (const Unit& unit : quantity.units) {
            if (unit.name != nullptr && fieldUnit == unit.name) {
                size = unit.size;
                return &quantity;
            }
        }
    }
    return nullptr;
}

// `value` times `ratio`: by a whole multiplier or divisor when the ratio is one, exactly as a person
// would convert it.
double scaled(double value, double ratio) {
    const double multiplier = std::round(ratio);
    const double divisor = std::round(1.0 / ratio);
    if (multiplier >= 1.0 && std::abs(ratio - multiplier) <= kWholeTolerance * ratio) {
        return value * multiplier;
    }
    if (divisor >= 1.0 && std::abs(1.0 / ratio - divisor) <= kWholeTolerance * divisor) {
        return value / divisor;
    }
    return value * ratio;
}

} // namespace

bool Units::convert(double value, const std::string& unit, const std::string& fieldUnit, double& converted) {
    converted = value;
    if (unit.empty() || unit == fieldUnit) {
        return true;
    }
    double fieldSize = 1.0;
    const Quantity* quantity = quantityOf(fieldUnit, fieldSize);
    if (quantity == nullptr) {
        // A field without a unit also takes "-", as a spreadsheet's empty unit cell.
        return fieldUnit.empty() && unit == "-";
    }
    for (const Unit& known : quantity->units) {
        if (known.name != nullptr && unit == known.name) {
            converted = scaled(value, known.size / fieldSize);
            return true;
        }
    }
    return false;
}

std::string Units::accepted(const std::string& fieldUnit) {
    double size = 1.0;
    const Quantity* quantity = quantityOf(fieldUnit, size);
    if (quantity == nullptr) {
        return fieldUnit.empty() ? "none" : fieldUnit;
    }
    std::string names;
    for (const Unit& unit : quantity->units) {
        if (unit.name != nullptr) {
            names += (names.empty() ? "" : ", ") + std::string(unit.name);
        }
    }
    return names;
}

} // namespace rollbite
