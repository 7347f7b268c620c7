#include "app/formats/ExitColumns.h"

#include <cstddef>
#include <cstdio>

namespace rollbite {

namespace {

using Kind = ExitColumn::Kind;

constexpr const char* kForce = "9.81 N/mm";     // tonnes-force per metre of width
constexpr const char* kTorque = "9.81 N mm/mm"; // both work rolls, per unit width
constexpr const char* kStress = "MPa";

constexpr ExitColumn kDirectColumns[] = {
    {"case", "", Kind::CaseId},
    {"Errors", "", Kind::ErrorClass},
    {"Rolling_Force", kForce, Kind::Number, &CaseResult::Rolling_Force},
    {"Forward_Slip", "%", Kind::Number, &CaseResult::Forward_Slip},
    {"Rolling_Torque", kTorque, Kind::Number, &CaseResult::Rolling_Torque},
    {"Sigma_Moy", kStress, Kind::Number, &CaseResult::Sigma_Moy},
    {"Sigma_Ini", kStress, Kind::Number, &CaseResult::Sigma_Ini},
    {"Sigma_Out", kStress, Kind::Number, &CaseResult::Sigma_Out},
    {"Sigma_Max", kStress, Kind::Number, &CaseResult::Sigma_Max},
    {"Neutral_X", "mm", Kind::Number, &CaseResult::Neutral_X},
    {"U_Forward_Slip", "%", Kind::Number, &CaseResult::U_Forward_Slip},
    {"Contact_Length", "mm", Kind::Number, &CaseResult::Contact_Length},
    {"Neutral_H", "mm", Kind::Number, &CaseResult::Neutral_H},
    {"angle_Tresca_Bw", "rad", Kind::Number, &CaseResult::angle_Tresca_Bw},
    {"Neutral_Angle", "rad", Kind::Number, &CaseResult::Neutral_Angle},
    {"angle_Tresca_Fw", "rad", Kind::Number, &CaseResult::angle_Tresca_Fw},
    {"U_Rolling_Force", kForce, Kind::Number, &CaseResult::U_Rolling_Force},
    {"Tresca_Presence", "", Kind::Flag, nullptr, &CaseResult::Tresca_Presence},
    {"Total_Tresca", "", Kind::Flag, nullptr, &CaseResult::Total_Tresca},
    {"Alpha_Max", "rad", Kind::Number, &CaseResult::Alpha_Max},
    {"Has_Converged", "", Kind::Convergence},
    {"Flow_stress_factor", "", Kind::Number, &CaseResult::Flow_stress_factor}, // with a law only
};

constexpr ExitColumn kInverseColumns[] = {
    {"case", "", Kind::CaseId},
    {"Errors", "", Kind::ErrorClass},
    {"OffsetYield", kStress, Kind::Number, &CaseResult::OffsetYield},
    {"Friction", "", Kind::Number, &CaseResult::Friction},
    {"Rolling_Torque", kTorque, Kind::Number, &CaseResult::Rolling_Torque},
    {"Sigma_Moy", kStress, Kind::Number, &CaseResult::Sigma_Moy},
    {"Sigma_Ini", kStress, Kind::Number, &CaseResult::Sigma_Ini},
    {"Sigma_Out", kStress, Kind::Number, &CaseResult::Sigma_Out},
    {"Sigma_Max", kStress, Kind::Number, &CaseResult::Sigma_Max},
    // Ratios, as the inverse search reports them, despite the names.
    {"Force_Error(%)", "", Kind::Number, &CaseResult::Force_Error},
    {"Slip_Error(%)", "", Kind::Number, &CaseResult::Slip_Error},
    {"Has_Converged", "", Kind::Convergence},
    {"Flow_stress_factor", "", Kind::Number, &CaseResult::Flow_stress_factor}, // with a law only
};
constexpr std::ptrdiff_t kLawColumns = 1; // the last of each mode's columns

void appendField(const ExitColumn& column, const CaseResult& result, std::string& row) {
    char text[32];
    switch (column.kind) {
    case Kind::CaseId:
        std::snprintf(text, sizeof text, "%d", static_cast<int>(result.Case_id));
        row += text;
        break;
    case Kind::ErrorClass:
        row += result.errorClass();
        break;
    case Kind::Number:
        std::snprintf(text, sizeof text, "%e", result.*column.number);
        row += text;
        break;
    case Kind::Flag:
        row += result.*column.flag ? '1' : '0';
        break;
    case Kind::Convergence:
        row += convergenceName(result.Has_Converged);
        break;
    }
}

} // namespace

ExitColumns::ExitColumns(Mode mode, RheologyKind rheology)
    : begin_(mode == kInverseMode ? std::begin(kInverseColumns) : std::begin(kDirectColumns)),
      end_((mode == kInverseMode ? std::end(kInverseColumns) : std::end(kDirectColumns)) -
           (rheology == kLawRheology ? 0 : kLawColumns)) {}

std::string ExitColumns::header() const {
    std::string header;
    for (const ExitColumn& column : *this) {
        header += (header.empty() ? "" : "\t") + std::string(column.name);
    }
    return header;
}

void ExitColumns::appendRow(const CaseResult& result, std::string& row) const {
    for (const ExitColumn* column = begin_; column != end_; ++column) {
        if (column != begin_) {
            row += '\t';
        }
        appendField(*column, result, row);
    }
    row += '\n';
}

std::string ExitColumns::row(const CaseResult& result) const {
    std::string row;
    appendRow(result, row);
    return row;
}

bool ExitColumns::isHeader(std::string_view line) {
    for (const Mode mode : {kDirectMode, kInverseMode}) {
        for (const RheologyKind rheology : {kConstantRheology, kLawRheology}) {
            if (line == ExitColumns(mode, rheology).header()) {
                return true;
            }
        }
    }
    return false;
}

} // namespace rollbite
