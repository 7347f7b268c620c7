#include "app/formats/ScheduleColumns.h"

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
    {"Entry_tension", "MPa", [](Stand s) { return s.pass.Entry_tension; }, nullptr, nullptr},
    {"Exit_tension", "MPa", [](Stand s) { return s.pass.Exit_tension; }, "%.1f", nullptr},
    {"Rolling_Force", "9.81 N/mm", [](Stand s) { return s.row.Rolling_Force; }, nullptr, nullptr},
    {"Force", "kN", [](Stand s) { return s.Force; }, "%.0f", &ScheduleResult::Total_force},
    {"Plasticity", "MN/mm", [](Stand s) { return s.Plasticity; }, "%.2f", nullptr},
    {"Rolling_Torque", "9.81 N mm/mm", [](Stand s) { return s.row.Rolling_Torque; }, nullptr, nullptr},
    {"Torque", "kN m", [](Stand s) { return s.Torque; }, "%.1f", nullptr},
    {"Power", "kW", [](Stand s) { return s.Power; }, "%.0f", &ScheduleResult::Total_power},
    {"Roll_speed", "rpm", [](Stand s) { return s.Roll_speed; }, "%.1f", nullptr},
    {"Roll_surface_speed", "m/s", [](Stand s) { return s.Roll_surface_speed; }, nullptr, nullptr},
    {"Entry_speed", "m/s", [](Stand s) { return s.Entry_speed; }, nullptr, nullptr},
    {"Exit_speed", "m/s", [](Stand s) { return s.Exit_speed; }, "%.3f", nullptr},
    {"Forward_Slip", "%", [](Stand s) { return s.row.Forward_Slip; }, "%.2f", nullptr},
    {"Neutral_Angle", "rad", [](Stand s) { return s.row.Neutral_Angle; }, nullptr, nullptr},
    {"Sigma_Moy", "MPa", [](Stand s) { return s.row.Sigma_Moy; }, "%.0f", nullptr},
    {"Specific_energy", "kWh/t", [](Stand s) { return s.Specific_energy; }, "%.2f",
     &ScheduleResult::Specific_energy},
    {"Force_share", "%", [](Stand s) { return s.Force_share; }, "%.1f", nullptr},
    {"Torque_share", "%", [](Stand s) { return s.Torque_share; }, "%.1f", nullptr},
    {"Power_share", "%", [](Stand s) { return s.Power_share; }, "%.1f", nullptr},
};

// The shortest text that reads back to the same double; empty for NaN (a value not given).
std::string exact(double value) {
    if (std::isnan(value)) {
        return {};
    }
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, written.ptr);
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

std::string ScheduleColumns::header() {
    std::string header = kStandName;
    for (const ScheduleColumn& column : kColumns) {
        header += std::string("\t") + column.name;
    }
    return header;
}

std::string ScheduleColumns::tabSeparated(const ScheduleResult& schedule) {
    std::string text = header() + "\n";
    for (const StandResult& stand : schedule.stands) {
        text += stand.name;
        for (const ScheduleColumn& column : kColumns) {
            text += "\t" + exact(column.value(stand));
        }
        text += "\n";
    }
    text += kTotalRow;
    for (const ScheduleColumn& column : kColumns) {
        text += "\t" + (column.total != nullptr ? exact(schedule.*column.total) : std::string());
    }
    return text + "\n";
}

std::string ScheduleColumns::readable(const ScheduleResult& schedule) {
    std::vector<std::vector<std::string>> rows(2);
    rows[0].push_back(kStandName);
    rows[1].push_back("");
    for (const ScheduleColumn& column : kColumns) {
        if (column.format != nullptr) {
            rows[0].push_back(column.name);
            rows[1].push_back(column.unit);
        }
    }
    for (const StandResult& stand : schedule.stands) {
        std::vector<std::string> row{stand.name};
        for (const ScheduleColumn& column : kColumns) {
            if (column.format != nullptr) {
                row.push_back(formatted(column.format, column.value(stand)));
            }
        }
        rows.push_back(row);
    }
    std::vector<std::string> totals{kTotalRow};
    for (const ScheduleColumn& column : kColumns) {
        if (column.format != nullptr) {
            totals.push_back(column.total != nullptr ? formatted(column.format, schedule.*column.total) : "");
        }
    }
    rows.push_back(totals);
    return aligned(rows);
}

} // namespace rollbite
