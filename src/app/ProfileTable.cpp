#include "app/ProfileTable.h"

#include "app/TextFiles.h"

#include <cmath>
#include <cstdio>

namespace rollbite {

namespace {

std::string exact(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string scalarLine(const char* name, double value) {
    return std::string("# ") + name + "," + exact(value) + "\n";
}

} // namespace

ProfileTable::ProfileTable(const CaseProfile& computed, std::int32_t caseId)
    : computed_(computed), caseId_(caseId) {}

std::string ProfileTable::scalars() const {
    const BiteProfile& bite = computed_.profile();
    const double radius = bite.rollRadius;
    std::string text = "# case," + std::to_string(caseId_) + "\n";
    text += "# exit_file_header," + computed_.header() + "\n";
    text += "# exit_file_row," + computed_.row() + "\n";
    text += scalarLine("neutral_angle_rad", bite.neutralAngle);
    text += scalarLine("neutral_x_mm", -radius * std::sin(bite.neutralAngle));
    text += scalarLine("neutral_pressure_MPa", bite.neutralPressure);
    text += scalarLine("entry_switch_angle_rad", bite.entrySwitchAngle);
    text += scalarLine("exit_switch_angle_rad", bite.exitSwitchAngle);
    text += scalarLine("entry_switch_x_mm", -radius * std::sin(bite.entrySwitchAngle));
    text += scalarLine("exit_switch_x_mm", -radius * std::sin(bite.exitSwitchAngle));
    text += scalarLine("force_N_per_mm", bite.force);
    text += scalarLine("torque_N_mm_per_mm", bite.torque);
    text += scalarLine("forward_slip_percent", computed_.forwardSlip());
    text += scalarLine("contact_length_mm", bite.contactLength);
    text += scalarLine("roll_radius_mm", radius);
    text += scalarLine("roll_diameter_mm", bite.rollDiameter);
    text += scalarLine("angle_step_rad", bite.angleStep);
    // What the force and torque sums need besides the table: the cells cut at the neutral point and at
    // the switch points, and the integrands there.
    text += scalarLine("neutral_cell", bite.neutralCell);
    text += scalarLine("neutral_load_entry_MPa", bite.neutralLoadEntry);
    text += scalarLine("neutral_load_exit_MPa", bite.neutralLoadExit);
    text += scalarLine("neutral_shear_entry_MPa", bite.neutralShearEntry);
    text += scalarLine("neutral_shear_exit_MPa", bite.neutralShearExit);
    text += scalarLine("entry_sticks", bite.entrySticks ? 1 : 0);
    text += scalarLine("entry_switch_cell", bite.entrySwitchCell);
    text += scalarLine("entry_switch_load_MPa", bite.entrySwitch.load);
    text += scalarLine("entry_switch_shear_MPa", bite.entrySwitch.shear);
    text += scalarLine("entry_switch_pressure_MPa", bite.entrySwitch.pressure);
    text += scalarLine("exit_sticks", bite.exitSticks ? 1 : 0);
    text += scalarLine("exit_switch_cell", bite.exitSwitchCell);
    text += scalarLine("exit_switch_load_MPa", bite.exitSwitch.load);
    text += scalarLine("exit_switch_shear_MPa", bite.exitSwitch.shear);
    text += scalarLine("exit_switch_pressure_MPa", bite.exitSwitch.pressure);
    return text;
}

std::string ProfileTable::pointRow(int i) const {
    const BiteProfile& bite = computed_.profile();
    // The exit-side solution exists only from the crossing on; the friction hill is the entry-side
    // curve up to the neutral cell and the exit-side curve after it.
    const bool exitComputed = i >= bite.firstExitPoint;
    const double hill = i < bite.neutralCell ? bite.entryPressure[i] : bite.exitPressure[i];
    return std::to_string(i) + "," + exact(bite.angle[i]) + "," +
           exact(-bite.rollRadius * std::sin(bite.angle[i])) + "," + exact(bite.thickness[i]) + "," +
           exact(bite.flowStress[i]) + "," + exact(bite.shearYield[i]) + "," + exact(bite.entryPressure[i]) +
           "," + (exitComputed ? exact(bite.exitPressure[i]) : std::string()) + "," + exact(hill) + "," +
           exact(bite.shear[i]) + "," + exact(bite.load[i]) + "," + exact(bite.shear[i]) + "\n";
}

std::string ProfileTable::text() const {
    std::string text = scalars() + kColumns + "\n";
    for (int i = 0; i <= kLastPoint; ++i) {
        text += pointRow(i);
    }
    return text;
}

bool ProfileTable::write(const std::string& path) const {
    return writeWholeFile(path, text());
}

} // namespace rollbite
