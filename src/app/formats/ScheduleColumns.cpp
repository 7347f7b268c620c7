#include "app/formats/ScheduleColumns.h"

#include "app/formats/ExactNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

namespace rollbite {

namespace {

using Stand = const StandResult&;

constexpr ScheduleColumn kColumns[] = {
    {"Entry_thickness", "mm", [](Stand s) { return s.pass.Entry_thickness; }, "%.3f", nullptr},
    {"Exit_thickness", "mm", [](Stand s) { return s.pass.Exit_thickness; }, "%.3f", nullptr},
    {"Reduction", "%", [](Stand s) { return s.Reduction; }, "%.1f", nullptr},
    {"Entry_tension", "MPa", [](Stand s) { return s.pass.Entry_tension; }, "%.1f", nullptr},
    {"Exit_tension", "MPa", [](Stand s) { return s.pass.Exit_tension; }, "%.1f", nullptr},
    {"Rolling_Force", "9.81 N/mm", [](Stand s) { return s.row.Rolling_Force; }, nullptr, nullptr},
    {"Force", "kN", [](Stand s) { return s.Force; }, "%.0f", &ScheduleResult::Total_force},
    {"Plasticity", "MN/mm", [](Stand s) { return s.Plasticity; }, "%.2f", nullptr},
    {"Rolling_Torque", "9.81 N mm/mm", [](Stand s) { return s.row.Rolling_Torque; }, nullptr, nullptr},
    {"Torque", "kN m", [](Stand s) { return s.Torque; }, "%.1f", nullptr},
    {"Power", "kW", [](Stand s) { return s.Power; }, "%.0f", &ScheduleResult::Total_power},
    {"Roll_speed", "rpm", [](Stand s) { return s.Roll_speed; }, "%.1f", nullptr},
    {"Roll_surface_speed", "m/s", [](Stand s) { return s.Roll_surface_speed; }, nullptr, nullptr},
    {"Entry_speed", "m/s", [](Stand s) { return s.Entry_speed; }, "%.3f", nullptr},
    {"Exit_speed", "m/s", [](Stand s) { return s.Exit_speed; }, "%.3f", nullptr},
    {"Forward_Slip", "%", [](Stand s) { return s.row.Forward_Slip; }, "%.2f", nullptr},
    {"Neutral_Angle", "rad", [](Stand s) { return s.row.Neutral_Angle; }, nullptr, nullptr},
    {"Sigma_Moy", "MPa", [](Stand s) { return s.row.Sigma_Moy; }, "%.0f", nullptr},
    {"Specific_energy", "kWh/t", [](Stand s) { return s.Specific_energy; }, "%.2f",
     &ScheduleResult::Specific_energy},
    {"Force_share", "%", [](Stand s) { return s.Force_share; }, "%.1f", nullptr},
    {"Torque_share", "%", [](Stand s) { return s.Torque_share; }, "%.1f", nullptr},
    {"Power_share", "%", [](Stand s) { return s.Power_share; }, "%.1f", nullptr},
    {"Entry_tension_force", "kN", [](Stand s) { return s.Entry_tension_force; }, nullptr, nullptr},
    {"Exit_tension_force", "kN", [](Stand s) { return s.Exit_tension_force; }, nullptr, nullptr},
    {"Contact_Length", "mm", [](Stand s) { return s.row.Contact_Length; }, nullptr, nullptr},
    {"Flattened_radius", "mm", [](Stand s) { return s.Flattened_radius; }, nullptr, nullptr},
    {"Strain_rate", "1/s", [](Stand s) { return s.Strain_rate; }, nullptr, nullptr},
    {"TemperatureIn", "C", [](Stand s) { return s.TemperatureIn; }, "%.0f", nullptr},
    {"TemperatureOut", "C", [](Stand s) { return s.TemperatureOut; }, "%.0f", nullptr},
    {"Roll_gap", "mm", [](Stand s) { return s.Roll_gap; }, "%.3f", nullptr},
    {"Gap_correction", "mm", [](Stand s) { return s.Gap_correction; }, "%.3f", nullptr},
    {"Mass_flow", "t/h", [](Stand s) { return s.Mass_flow; }, nullptr, &ScheduleResult::Mass_flow},
};

// With the thermal chain, after the columns every schedule has: the strip's way to the stand and through
// its bite, and what each cause did to its temperature there.
constexpr ScheduleColumn kThermalColumns[] = {
    {"Previous_temperature", "C", [](Stand s) { return s.Previous_temperature; }, nullptr, nullptr},
    {"Interstand_time", "s", [](Stand s) { return s.Interstand_time; }, "%.2f", nullptr},
    {"Bite_time", "s", [](Stand s) { return s.Bite_time; }, "%.3f", nullptr},
    {"Radiation_change", "C", [](Stand s) { return s.temperatureChange[kRadiation]; }, "%.1f", nullptr},
    {"Convection_change", "C", [](Stand s) { return s.temperatureChange[kConvection]; }, "%.1f", nullptr},
    {"Sprays_change", "C", [](Stand s) { return s.temperatureChange[kSprays]; }, "%.1f", nullptr},
    {"Roll_contact_change", "C", [](Stand s) { return s.temperatureChange[kRollContact]; }, "%.1f", nullptr},
    {"Deformation_change", "C", [](Stand s) { return s.temperatureChange[kDeformation]; }, "%.1f", nullptr},
    {"Radiation_heat", "kJ/kg", [](Stand s) { return s.heat[kRadiation] / 1e3; }, nullptr, nullptr},
    {"Convection_heat", "kJ/kg", [](Stand s) { return s.heat[kConvection] / 1e3; }, nullptr, nullptr},
    {"Sprays_heat", "kJ/kg", [](Stand s) { return s.heat[kSprays] / 1e3; }, nullptr, nullptr},
    {"Roll_contact_heat", "kJ/kg", [](Stand s) { return s.heat[kRollContact] / 1e3; }, nullptr, nullptr},
    {"Deformation_heat", "kJ/kg", [](Stand s) { return s.heat[kDeformation] / 1e3; }, nullptr, nullptr},
};

// The columns of a schedule's table.
std::vector<const ScheduleColumn*> columnsOf(bool thermal) {
    std::vector<const ScheduleColumn*> columns;
    for (const ScheduleColumn& column : kColumns) {
        columns.push_back(&column);
    }
    if (thermal) {
        for (const ScheduleColumn& column : kThermalColumns) {
            columns.push_back(&column);
        }
    }
    return columns;
}

// A load above its limit: marked in the readable table.
constexpr double kFullLoad = 100.0; // % of a limit
constexpr const char* kOverMark = "!";

bool isShare(const ScheduleColumn& column) {
    const std::string name = column.name;
    return name.size() > 6 && name.compare(name.size() - 6, 6, "_share") == 0;
}

std::string formatted(const char* format, double value) {
    if (std::isnan(value)) {
        return "-";
    }
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Lines of cells, aligned: the first column to the left, the others to the right.
std::string aligned(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t k = 0; k < row.size(); ++k) {
            widths[k] = std::max(widths[k], row[k].size());
        }
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k) {
            const std::string padding(widths[k] - row[k].size(), ' ');
            line += k == 0 ? row[k] + padding : "  " + padding + row[k];
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

} // namespace

const ScheduleColumn* ScheduleColumns::begin() {
    return std::begin(kColumns);
}

const ScheduleColumn* ScheduleColumns::end() {
    return std::end(kColumns);
}

const ScheduleColumn* ScheduleColumns::thermalBegin() {
    return std::begin(kThermalColumns);
}

const ScheduleColumn* ScheduleColumns::thermalEnd() {
    return std::end(kThermalColumns);
}

std::string ScheduleColumns::header(bool thermal) {
    std::string header = kStandName;
    for (const ScheduleColumn* column : columnsOf(thermal)) {
        header += std::string("\t") + column->name;
    }
    return header;
}

std::string ScheduleColumns::tabSeparated(const ScheduleResult& schedule) {
    const std::vector<const ScheduleColumn*> columns = columnsOf(schedule.thermal);
    std::string text = header(schedule.thermal) + "\n";
    for (const StandResult& stand : schedule.stands) {
        text += stand.name;
        for (const ScheduleColumn* column : columns) {
            text += "\t" + ExactNumber::text(column->value(stand));
        }
        text += "\n";
    }
    text += kTotalRow;
    for (const ScheduleColumn* column : columns) {
        text +=
            "\t" + (column->total != nullptr ? ExactNumber::text(schedule.*column->total) : std::string());
    }
    return text + "\n";
}

bool ScheduleColumns::shownIn(const ScheduleColumn& column, const ScheduleResult& schedule) {
    // A column that no stand has a value of (a limit, a modulus or temperatures not given) is left out.
    return column.format != nullptr &&
           std::any_of(schedule.stands.begin(), schedule.stands.end(),
                       [&column](const StandResult& stand) { return !std::isnan(column.value(stand)); });
}

std::string ScheduleColumns::readable(const ScheduleResult& schedule) {
    const std::vector<const ScheduleColumn*> columns = columnsOf(schedule.thermal);
    std::vector<std::vector<std::string>> rows(2);
    rows[0].push_back(kStandName);
    rows[1].push_back("");
    for (const ScheduleColumn* column : columns) {
        if (shownIn(*column, schedule)) {
            rows[0].push_back(column->name);
            rows[1].push_back(column->unit);
        }
    }
    bool over = false;
    for (const StandResult& stand : schedule.stands) {
        std::vector<std::string> row{stand.name};
        for (const ScheduleColumn* column : columns) {
            if (shownIn(*column, schedule)) {
                const double value = column->value(stand);
                const bool beyond = isShare(*column) && value > kFullLoad;
                over = over || beyond;
                row.push_back(formatted(column->format, value) + (beyond ? kOverMark : ""));
            }
        }
        rows.push_back(row);
    }
    std::vector<std::string> totals{kTotalRow};
    for (const ScheduleColumn* column : columns) {
        if (shownIn(*column, schedule)) {
            totals.push_back(column->total != nullptr ? formatted(column->format, schedule.*column->total)
                                                      : "");
        }
    }
    rows.push_back(totals);
    return aligned(rows) + (over ? std::string(kOverMark) + " above the stand's limit\n" : "");
}

} // namespace rollbite
