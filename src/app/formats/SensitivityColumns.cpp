#include "app/formats/SensitivityColumns.h"

#include <cmath>
#include <cstdio>

namespace rollbite {

namespace {

using Kind = SensitivityColumn::Kind;

constexpr const char* kOutputUnits[kPassOutputs] = {"9.81 N/mm", "%", "9.81 N mm/mm"};
constexpr const char* kInputUnits[kPassInputs] = {"mm", "mm", "MPa", "MPa", "mm", "MPa", "MPa", "unit"};

SensitivityColumn number(const char* name, const char* unit, double InverseUncertainty::*member,
                         const char* meaning) {
    SensitivityColumn column{name, unit, Kind::Number};
    column.number = member;
    column.meaning = meaning;
    return column;
}

SensitivityColumn flag(const char* name, bool InverseUncertainty::*member, const char* meaning) {
    SensitivityColumn column{name, "", Kind::Flag};
    column.flag = member;
    column.meaning = meaning;
    return column;
}

void appendNumber(double value, std::string& text) {
    if (std::isnan(value)) {
        text += "nan"; // whatever its sign bit
        return;
    }
    char field[32];
    std::snprintf(field, sizeof field, "%e", value);
    text += field;
}

// The inverse flags in words, for the reason column.
struct FlagText {
    bool InverseUncertainty::*flag;
    const char* text;
};
constexpr FlagText kFlagTexts[] = {
    {&InverseUncertainty::negativeOffset, "the offset yield stress found is negative"},
    {&InverseUncertainty::frictionAtBound,
     "the measured slip is beyond the model's reach: the friction was held at the sticking limit"},
    {&InverseUncertainty::unmatched, "the pair found does not reproduce the measured force and slip"},
    {&InverseUncertainty::illConditioned, "ill-conditioned: flow stress and friction are not told apart"},
    {&InverseUncertainty::beyondFirstOrder,
     "the first order does not hold at this measurement's uncertainty"},
};

} // namespace

SensitivityColumns::SensitivityColumns(Mode mode, bool withWidth, const FlowStressLaw* law)
    : SensitivityColumns(mode, withWidth, law, law != nullptr) {}

SensitivityColumns::SensitivityColumns(Mode mode, bool withWidth, const FlowStressLaw* law, bool byFactor)
    : mode_(mode), withWidth_(mode == kDirectMode && withWidth) {
    columns_.emplace_back("case", "", Kind::CaseId, "case identifier");
    columns_.emplace_back("Errors", "", Kind::ErrorClass, "the pass's error class, as in the exit file");
    if (mode == kInverseMode) {
        addInverseColumns(byFactor);
    } else {
        addDirectColumns();
        if (law != nullptr) {
            addLawColumns(*law);
        }
    }
    columns_.emplace_back("reason", "", Kind::Reason, "why values are missing, or what not to trust");
}

void SensitivityColumns::addDirectColumns() {
    for (int o = 0; o < kPassOutputs; ++o) {
        for (int i = 0; i < kPassInputs; ++i) {
            SensitivityColumn column{std::string("d") + kPassOutputNames[o] + "/d" + kPassInputNames[i],
                                     std::string(kOutputUnits[o]) + " per " + kInputUnits[i],
                                     Kind::Derivative};
            column.output = o;
            column.input = i;
            column.meaning =
                std::string("change of ") + kPassOutputNames[o] + " per unit of " + kPassInputNames[i];
            columns_.push_back(column);
        }
    }
    SensitivityColumn plasticity{"Plasticity", "9.81 N/mm per mm", Kind::Plasticity};
    plasticity.meaning = "plasticity coefficient -dRolling_Force/dExit_thickness";
    columns_.push_back(plasticity);
    plasticity.name = "Plasticity(kN/mm/mm)";
    plasticity.unit = "kN/mm per mm of width";
    plasticity.factor = PassSensitivities::kKilonewtonsPerForceUnit;
    plasticity.meaning = "the same, per mm of strip width";
    columns_.push_back(plasticity);
    if (withWidth_) {
        columns_.emplace_back("Plasticity(MN/mm)", "MN/mm", Kind::StripPlasticity,
                              "the same for the whole strip, of the width given");
    }
}

void SensitivityColumns::addLawColumns(const FlowStressLaw& law) {
    const std::vector<LawParameter> parameters = law.parameters();
    for (int o = 0; o < kPassOutputs; ++o) {
        for (int j = 0; j <= static_cast<int>(parameters.size()); ++j) {
            const std::string name = j == 0 ? kFactorInputName : parameters[j - 1].name;
            const std::string unit =
                j == 0 || parameters[j - 1].unit.empty() ? "unit" : parameters[j - 1].unit;
            SensitivityColumn column{std::string("d") + kPassOutputNames[o] + "/d" + name,
                                     std::string(kOutputUnits[o]) + " per " + unit, Kind::LawDerivative};
            column.output = o;
            column.input = j;
            column.meaning = std::string("change of ") + kPassOutputNames[o] + " per unit of " +
                             (j == 0 ? "the law's factor" : "the law's parameter " + name);
            columns_.push_back(column);
        }
    }
}

void SensitivityColumns::addInverseColumns(bool byFactor) {
    using U = InverseUncertainty;
    // With a law the search finds its factor: the offset's columns are the factor's.
    const auto of = [byFactor](const char* offset, const char* factor) {
        return std::string(byFactor ? factor : offset);
    };
    SensitivityColumn offset{of("OffsetYield", kFactorInputName), of("MPa", ""), Kind::ResultNumber};
    offset.resultNumber = byFactor ? &CaseResult::Flow_stress_factor : &CaseResult::OffsetYield;
    offset.meaning = of("offset yield stress found", "flow-stress factor found") + ", as in the exit file";
    columns_.push_back(offset);
    SensitivityColumn friction{"Friction", "", Kind::ResultNumber};
    friction.resultNumber = &CaseResult::Friction;
    friction.meaning = "friction coefficient found, as in the exit file";
    columns_.push_back(friction);
    const SensitivityColumn numbers[] = {
        number(of("dRolling_Force/dOffsetYield", "dRolling_Force/dFlow_stress_factor").c_str(),
               of("9.81 N/mm per MPa", "9.81 N/mm per unit").c_str(), &U::dForce_dOffset,
               "Jacobian at the pair found, the roll flattened by the measured force"),
        number("dRolling_Force/dFriction", "9.81 N/mm per unit", &U::dForce_dFriction, ""),
        number(of("dForward_Slip/dOffsetYield", "dForward_Slip/dFlow_stress_factor").c_str(),
               of("% per MPa", "% per unit").c_str(), &U::dSlip_dOffset, ""),
        number("dForward_Slip/dFriction", "% per unit", &U::dSlip_dFriction, ""),
        number("Condition_number", "", &U::conditionNumber,
               "of the Jacobian made relative (rows over the measured force and slip, columns times the "
               "mean flow stress and the friction)"),
        number("Force_SD", "9.81 N/mm", &U::forceDeviation, "standard deviation of the measured force used"),
        number("Slip_SD", "%", &U::slipDeviation, "standard deviation of the measured slip used"),
        number(of("SD_OffsetYield", "SD_Flow_stress_factor").c_str(), of("MPa", "").c_str(),
               &U::offsetDeviation,
               of("standard deviation of the offset yield stress found",
                  "standard deviation of the flow-stress factor found")
                   .c_str()),
        number("SD_Friction", "", &U::frictionDeviation, "standard deviation of the friction found"),
        number("Correlation", "", &U::correlation, "correlation of the two, -1 to 1"),
        number("Nonlinearity", "", &U::nonlinearity,
               "departure of the model from its tangent one standard deviation away, in measurement SDs"),
    };
    columns_.insert(columns_.end(), std::begin(numbers), std::end(numbers));
    const SensitivityColumn flags[] = {
        flag("Negative_Offset", &U::negativeOffset, "1: the offset yield stress found is below zero"),
        flag("Friction_At_Bound", &U::frictionAtBound, "1: the friction was held at the sticking limit"),
        flag("Unmatched", &U::unmatched, "1: the pair found does not reproduce the measurement"),
        flag("Ill_Conditioned", &U::illConditioned, "1: condition number above 20"),
        flag("Beyond_First_Order", &U::beyondFirstOrder, "1: nonlinearity above 1"),
    };
    columns_.insert(columns_.end(), std::begin(flags), std::end(flags));
    const SensitivityColumn second[] = {
        number(of("Second_OffsetYield", "Second_Flow_stress_factor").c_str(), of("MPa", "").c_str(),
               &U::secondOffset, "a second pair that reproduces the measurement"),
        number("Second_Friction", "", &U::secondFriction, ""),
        number("Second_Slip_Gap", "%", &U::secondSlipGap, "what the second pair misses the slip by"),
        flag("Second_Nearer_Start", &U::secondNearer, "1: the second pair lies nearer the starting values"),
    };
    columns_.insert(columns_.end(), std::begin(second), std::end(second));
    SensitivityColumn trusted{"Trusted", "", Kind::Flag};
    trusted.meaning = "1: no flag, no second pair, and deviations that are finite numbers";
    columns_.push_back(trusted);
}

std::string SensitivityColumns::header() const {
    std::string header;
    for (const SensitivityColumn& column : columns_) {
        header += (header.empty() ? "" : "\t") + column.name;
    }
    return header;
}

double SensitivityColumns::value(const SensitivityColumn& column, const SensitivityRow& row) const {
    const bool hasResult = row.result.errorCode == VOID;
    switch (column.kind) {
    case Kind::Derivative:
        return row.sensitivities.derivative[column.output][column.input];
    case Kind::LawDerivative:
        return row.sensitivities.lawDerivative[column.output][column.input];
    case Kind::Plasticity:
        return row.sensitivities.plasticity() * column.factor;
    case Kind::StripPlasticity:
        return row.width > 0.0 ? row.sensitivities.plasticityMeganewtons(row.width) : std::nan("");
    case Kind::Number:
        return row.uncertainty.*column.number;
    case Kind::ResultNumber:
        return hasResult ? row.result.*column.resultNumber : std::nan("");
    case Kind::Flag:
        if (column.flag == nullptr) {
            return row.uncertainty.trusted() ? 1.0 : 0.0;
        }
        return row.uncertainty.*column.flag ? 1.0 : 0.0;
    default:
        return std::nan("");
    }
}

std::string SensitivityColumns::reason(const SensitivityRow& row) const {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (row.result.errorCode != VOID) {
        return "the pass has no result";
    }
    if (mode_ == kInverseMode) {
        for (const FlagText& flagText : kFlagTexts) {
            if (row.uncertainty.*flagText.flag) {
                add(flagText.text);
            }
        }
        if (std::isnan(row.uncertainty.dForce_dOffset) || std::isnan(row.uncertainty.offsetDeviation)) {
            add(row.uncertainty.frictionAtBound || row.uncertainty.unmatched
                    ? "no deviations: the measured slip is not reproduced"
                    : "no deviations: a derivative is not smooth enough at the pair found to give it to 1 %");
        } else if (!row.uncertainty.finiteFigures()) {
            add("the deviations of the pair are no finite numbers at this measurement's uncertainty");
        }
        if (row.uncertainty.hasSecondPair()) {
            add(std::string(row.uncertainty.secondSlipGap == 0.0
                                ? "a second pair reproduces the measurement"
                                : "a pair gives the measured force and comes "
                                  "nearer the measured slip") +
                (row.uncertainty.secondNearer ? ", nearer the starting values" : ""));
        }
        return text;
    }
    for (const SensitivityColumn& column : columns_) {
        if (column.kind != Kind::Derivative && column.kind != Kind::LawDerivative) {
            continue;
        }
        const DerivativeIssue issue = column.kind == Kind::Derivative
                                          ? row.sensitivities.issue[column.output][column.input]
                                          : row.sensitivities.lawIssue[column.output][column.input];
        if (issue == DerivativeIssue::NotConverged) {
            return derivativeIssueText(issue);
        }
        if (issue != DerivativeIssue::None) {
            add(column.name + ": " + derivativeIssueText(issue));
        }
    }
    return text;
}

void SensitivityColumns::appendRow(const SensitivityRow& row, std::string& text) const {
    bool first = true;
    for (const SensitivityColumn& column : columns_) {
        text += first ? "" : "\t";
        first = false;
        switch (column.kind) {
        case Kind::CaseId:
            text += std::to_string(row.result.Case_id);
            break;
        case Kind::ErrorClass:
            text += row.result.errorClass();
            break;
        case Kind::Flag:
            text += value(column, row) != 0.0 ? '1' : '0';
            break;
        case Kind::Reason:
            text += reason(row);
            break;
        default:
            appendNumber(value(column, row), text);
            break;
        }
    }
    text += '\n';
}

bool SensitivityColumns::isHeader(std::string_view line) {
    if (line == SensitivityColumns(kInverseMode).header() ||
        line == SensitivityColumns(kInverseMode, false, nullptr, true).header() ||
        line == SensitivityColumns(kDirectMode).header()) {
        return true;
    }
    // With a width: the direct header with one more plasticity column before the reason.
    if (line == SensitivityColumns(kDirectMode, true).header()) {
        return true;
    }
    // With a law: the direct header (with or without its width) and derivatives by the law's factor and
    // parameters before the reason.
    const std::string reason = "\treason";
    const std::string direct = SensitivityColumns(kDirectMode).header();
    const std::string_view start = std::string_view(direct).substr(0, direct.size() - reason.size());
    if (line.size() <= direct.size() || line.substr(0, start.size()) != start ||
        line.substr(line.size() - reason.size()) != reason) {
        return false;
    }
    std::string_view rest = line.substr(start.size(), line.size() - start.size() - reason.size());
    const std::string factor = std::string("\td") + kPassOutputNames[0] + "/d" + kFactorInputName;
    const std::string width = "\tPlasticity(MN/mm)";
    if (rest.substr(0, width.size()) == width) {
        rest.remove_prefix(width.size());
    }
    return rest.substr(0, factor.size()) == factor;
}

} // namespace rollbite
