#include "app/formats/ReplayColumns.h"

#include "app/formats/ExactNumber.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace rollbite {

namespace {

using Said = const StandReplay&;
using Pass = const StandPass&;
using Kind = ReplayColumn::Kind;

constexpr ReplayColumn kColumns[] = {
    {"Coil", "", Kind::Text, nullptr, [](Said, const std::string& coil) { return coil; }},
    {"Class", "", Kind::Text, nullptr, [](Said s, const std::string&) { return s.productClass; }},
    {"Stand", "", Kind::Text, nullptr, [](Said s, const std::string&) { return s.stand; }},
    {"Errors", "", Kind::Text, nullptr,
     [](Said s, const std::string&) { return std::string(errorClassName(s.error)); }},
    {"Measured_force", "kN", Kind::Number, [](Said, Pass p) { return p.measuredForce; }, nullptr},
    {"Predicted_force", "kN", Kind::Number, [](Said s, Pass) { return s.predictedForce; }, nullptr},
    {"Error", "%", Kind::Number, [](Said s, Pass) { return s.forceError; }, nullptr},
    {"Frozen_force", "kN", Kind::Number, [](Said s, Pass) { return s.frozenForce; }, nullptr},
    {"Frozen_error", "%", Kind::Number, [](Said s, Pass) { return s.frozenError; }, nullptr},
    {"Factor", "", Kind::Number, [](Said s, Pass) { return s.factor; }, nullptr},
    {"Long_term", "", Kind::Number, [](Said s, Pass) { return s.longTerm; }, nullptr},
    {"Short_term", "", Kind::Number, [](Said s, Pass) { return s.shortTerm; }, nullptr},
    {"Friction", "", Kind::Number, [](Said s, Pass) { return s.friction; }, nullptr},
    {"Measured_factor", "", Kind::Number, [](Said s, Pass) { return s.measuredFactor; }, nullptr},
    {"Measured_friction", "", Kind::Number, [](Said s, Pass) { return s.measuredFriction; }, nullptr},
    {"Measured_slip", "%", Kind::Number, [](Said, Pass p) { return p.measuredSlip; }, nullptr},
    {"Predicted_slip", "%", Kind::Number, [](Said s, Pass) { return s.predictedSlip; }, nullptr},
    {"Measured_torque", "kN m", Kind::Number, [](Said, Pass p) { return p.measuredTorque; }, nullptr},
    {"Predicted_torque", "kN m", Kind::Number, [](Said s, Pass) { return s.predictedTorque; }, nullptr},
    {"First_of_class", "", Kind::Flag, [](Said s, Pass) { return s.firstOfClass ? 1.0 : 0.0; }, nullptr},
    {"Roll_change", "", Kind::Flag, [](Said s, Pass) { return s.rollChange ? 1.0 : 0.0; }, nullptr},
    {"Force_screened", "", Kind::Flag, [](Said s, Pass) { return s.forceScreened ? 1.0 : 0.0; }, nullptr},
    {"Screened", "", Kind::Text, nullptr, [](Said s, const std::string&) { return s.screened; }},
    {"Reason", "", Kind::Text, nullptr, [](Said s, const std::string&) { return s.reason; }},
};

} // namespace

const ReplayColumn* ReplayColumns::begin() {
    return std::begin(kColumns);
}

const ReplayColumn* ReplayColumns::end() {
    return std::end(kColumns);
}

std::string ReplayColumns::header() {
    std::string header;
    for (const ReplayColumn& column : kColumns) {
        header += (header.empty() ? "" : "\t") + std::string(column.name);
    }
    return header;
}

void ReplayColumns::appendRow(const StandReplay& said, const StandPass& pass, const std::string& coil,
                              std::string& text) {
    bool first = true;
    for (const ReplayColumn& column : kColumns) {
        if (!first) {
            text += '\t';
        }
        first = false;
        if (column.kind == ReplayColumn::Kind::Text) {
            text += column.text(said, coil);
        } else if (column.kind == ReplayColumn::Kind::Flag) {
            text += column.number(said, pass) != 0.0 ? '1' : '0';
        } else {
            text += ExactNumber::text(column.number(said, pass));
        }
    }
    text += '\n';
}

} // namespace rollbite
