#pragma once

#include "app/profile/CaseProfile.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace rollbite {

// The arc of contact of one case as a CSV table: the case's scalars as commented lines ("# name,value"),
// then one row per grid point from the entry to the exit. Values carry 17 significant digits, so that
// the table gives back the computation's own numbers.
class ProfileTable {
public:
    ProfileTable(const CaseProfile& computed, std::int32_t caseId);

    std::string text() const;

    static constexpr const char* kColumns =
        "index,angle_rad,x_mm,thickness_mm,flow_stress_MPa,shear_yield_MPa,entry_pressure_MPa,"
        "exit_pressure_MPa,friction_hill_MPa,friction_shear_MPa,load_integrand_MPa,shear_integrand_MPa";
    static constexpr int kColumnCount = 12;
    static constexpr int kExitPressureColumn = 7;

    // The values of grid point i in the order of kColumns; NaN where the exit-side solution never came.
    std::array<double, kColumnCount> point(int i) const;
    // The case's scalars after its header and row, by name.
    std::vector<std::pair<const char*, double>> scalarValues() const;

private:
    std::string scalars() const;
    std::string pointRow(int i) const;

    const CaseProfile& computed_;
    std::int32_t caseId_;
};

} // namespace rollbite
