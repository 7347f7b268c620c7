#include "app/profile/ProfileTable.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace rollbite {

namespace {

std::string exact(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

} // namespace

ProfileTable::ProfileTable(const CaseProfile& computed, std::int32_t caseId)
    : computed_(computed), caseId_(caseId) {}

std::vector<std::pair<const char*, double>> ProfileTable::scalarValues() const {
    const BiteProfile& bite = computed_.profile();
    const double radius = bite.rollRadius;
    return {
        {"neutral_angle_rad", bite.neutralAngle},
        {"neutral_x_mm", -radius * std::sin(bite.neutralAngle)},
        {"neutral_pressure_MPa", bite.neutralPressure},
        {"entry_switch_angle_rad", bite.entrySwitchAngle},
        {"exit_switch_angle_rad", bite.exitSwitchAngle},
        {"entry_switch_x_mm", -radius * std::sin(bite.entrySwitchAngle)},
        {"exit_switch_x_mm", -radius * std::sin(bite.exitSwitchAngle)},
        {"force_N_per_mm", bite.force},
        {"torque_N_mm_per_mm", bite.torque},
        {"forward_slip_percent", computed_.forwardSlip()},
        {"contact_length_mm", bite.contactLength},
        {"roll_radius_mm", radius},
        {"roll_diameter_mm", bite.rollDiameter},
        {"angle_step_rad", bite.angleStep},
        // What the force and torque sums need besides the table: the cells cut at the neutral point and
        // at the switch points, and the integrands there.
        {"neutral_cell", bite.neutralCell},
        {"neutral_load_entry_MPa", bite.neutralLoadEntry},
        {"neutral_load_exit_MPa", bite.neutralLoadExit},
        {"neutral_shear_entry_MPa", bite.neutralShearEntry},
        {"neutral_shear_exit_MPa", bite.neutralShearExit},
        {"entry_sticks", bite.entrySticks ? 1 : 0},
        {"entry_switch_cell", bite.entrySwitchCell},
        {"entry_switch_load_MPa", bite.entrySwitch.load},
        {"entry_switch_shear_MPa", bite.entrySwitch.shear},
        {"entry_switch_pressure_MPa", bite.entrySwitch.pressure},
        {"exit_sticks", bite.exitSticks ? 1 : 0},
        {"exit_switch_cell", bite.exitSwitchCell},
        {"exit_switch_load_MPa", bite.exitSwitch.load},
        {"exit_switch_shear_MPa", bite.exitSwitch.shear},
        {"exit_switch_pressure_MPa", bite.exitSwitch.pressure},
    };
}

std::string ProfileTable::scalars() const {
    std::string text = "# case," + std::to_string(caseId_) + "\n";
    text += "# exit_file_header," + computed_.header() + "\n";
    text += "# exit_file_row," + computed_.row() + "\n";
    for (const auto& [name, value] : scalarValues()) {
        text += std::string("# ") + name + "," + exact(value) + "\n";
    }
    return text;
}

std::array<double, ProfileTable::kColumnCount> ProfileTable::point(int i) const {
    const BiteProfile& bite = computed_.profile();
    // The exit-side solution exists only from the crossing on; the friction hill is the entry-side
    // curve up to the neutral cell and the exit-side curve after it.
    const bool exitComputed = i >= bite.firstExitPoint;
    const double hill = i < bite.neutralCell ? bite.entryPressure[i] : bite.exitPressure[i];
    return {static_cast<double>(i),
            bite.angle[i],
            -bite.rollRadius * std::sin(bite.angle[i]),
            bite.thickness[i],
            bite.flowStress[i],
            bite.shearYield[i],
            bite.entryPressure[i],
            exitComputed ? bite.exitPressure[i] : std::numeric_limits<double>::quiet_NaN(),
            hill,
            bite.shear[i],
            bite.load[i],
            bite.shear[i]};
}

std::string ProfileTable::pointRow(int i) const {
    const std::array<double, kColumnCount> values = point(i);
    std::string row = std::to_string(i);
    for (int column = 1; column < kColumnCount; ++column) {
        const bool blank = column == kExitPressureColumn && std::isnan(values[column]);
        row += "," + (blank ? std::string() : exact(values[column]));
    }
    return row + "\n";
}

std::string ProfileTable::text() const {
    std::string text = scalars() + kColumns + "\n";
    for (int i = 0; i <= kLastPoint; ++i) {
        text += pointRow(i);
    }
    return text;
}

} // namespace rollbite
