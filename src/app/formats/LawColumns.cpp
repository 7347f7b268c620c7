#include "app/formats/LawColumns.h"

#include "app/formats/FieldReader.h"

#include <algorithm>
#include <sstream>

namespace rollbite {

namespace {

struct Condition {
    const char* name;
    double CaseInputs::*member;
    const char* unit; // "" for a number without unit
};

constexpr Condition kConditions[] = {{"Strain_in", &CaseInputs::Strain_in, ""},
                                     {"TemperatureIn", &CaseInputs::TemperatureIn, "C"},
                                     {"TemperatureOut", &CaseInputs::TemperatureOut, "C"},
                                     {"Strip_speed", &CaseInputs::Strip_speed, "m/s"},
                                     {"Flow_stress_factor", &CaseInputs::Flow_stress_factor, ""}};

std::string withUnit(const std::string& name, const std::string& unit) {
    return unit.empty() ? name : name + "(" + unit + ")";
}

// A header cell without the unit after it: "K(MPa)" and "K [MPa]" are K.
std::string withoutUnit(const std::string& cell) {
    const std::size_t unit = cell.find_first_of("([");
    std::string name = cell.substr(0, unit);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.pop_back();
    }
    return name;
}

// The unit in brackets of a cell ("K(MPa)", "(MPa)"), or an empty text.
std::string unitOf(const std::string& cell) {
    const std::size_t open = cell.find_first_of("([");
    if (open == std::string::npos) {
        return "";
    }
    const std::size_t close = cell.find_first_of(")]", open);
    return cell.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

// A header row's names, each with the unit in brackets written with it ("" for none): the cells are
// separated by blanks, a unit after a blank staying with its name ("K (MPa)"); a # starts a comment.
std::vector<std::pair<std::string, std::string>> headerCells(const std::string& line) {
    std::vector<std::pair<std::string, std::string>> cells;
    std::istringstream words(line);
    for (std::string cell; words >> cell;) {
        if (cell.front() == '#') {
            break; // a comment: the schedule that passes came from
        }
        if (!cells.empty() && (cell.front() == '(' || cell.front() == '[')) {
            cells.back().second = unitOf(cell); // "K (MPa)": the unit of the name before
            continue;
        }
        cells.emplace_back(withoutUnit(cell), unitOf(cell));
    }
    return cells;
}

} // namespace

const std::vector<std::string>& LawColumns::conditionNames() {
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names;
        for (const Condition& condition : kConditions) {
            names.emplace_back(condition.name);
        }
        return names;
    }();
    return kNames;
}

std::string LawColumns::fullHeader(const FlowStressLaw& law) {
    std::string header;
    for (const LawParameter& parameter : law.parameters()) {
        header += (header.empty() ? "" : " ") + withUnit(parameter.name, parameter.unit);
    }
    for (const Condition& condition : kConditions) {
        header += (header.empty() ? "" : " ") + withUnit(condition.name, condition.unit);
    }
    return header;
}

std::string LawColumns::unitOf(const FlowStressLaw& law, const std::string& name) {
    for (const LawParameter& parameter : law.parameters()) {
        if (parameter.name == name) {
            return parameter.unit;
        }
    }
    for (const Condition& condition : kConditions) {
        if (name == condition.name) {
            return condition.unit;
        }
    }
    return "";
}

bool LawColumns::knows(const std::string& name) const {
    Column column;
    return columnOf(name, column);
}

std::vector<double> LawColumns::fullRecord(const FlowStressLaw& law, const CaseInputs& pass) {
    const std::size_t parameters = law.parameters().size();
    std::vector<double> record(pass.coefficients.begin(),
                               pass.coefficients.begin() + static_cast<std::ptrdiff_t>(parameters));
    for (const Condition& condition : kConditions) {
        record.push_back(pass.*condition.member);
    }
    return record;
}

bool LawColumns::columnOf(const std::string& name, Column& column) const {
    const std::vector<LawParameter> parameters = law_->parameters();
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        if (parameters[k].name == name) {
            column = {name, static_cast<int>(k), nullptr};
            return true;
        }
    }
    for (const Condition& condition : kConditions) {
        if (name == condition.name) {
            column = {name, -1, condition.member};
            return true;
        }
    }
    return false;
}

bool LawColumns::given(const std::string& name) const {
    return std::any_of(runValues_.begin(), runValues_.end(),
                       [&name](const auto& value) { return value.first.name == name; });
}

bool LawColumns::setUp(const FlowStressLaw& law, const std::string& runValues, bool extrapolate,
                       std::string& error) {
    law_ = &law;
    std::vector<std::pair<std::string, double>> values;
    std::istringstream items(runValues);
    for (std::string item; std::getline(items, item, ',');) {
        const std::size_t equals = item.find('=');
        Column column;
        double value = 0.0;
        if (equals == std::string::npos || !columnOf(item.substr(0, equals), column)) {
            error = "'" + item + "' is no NAME=VALUE of the law " + law.name() + " (" + describeNames() + ")";
            return false;
        }
        if (!FieldReader::parseDouble(item.substr(equals + 1), value)) {
            error = column.name + " '" + item.substr(equals + 1) + "' is not a number";
            return false;
        }
        values.emplace_back(column.name, value);
    }
    return setUp(law, values, extrapolate, error);
}

bool LawColumns::setUp(const FlowStressLaw& law, const std::vector<std::pair<std::string, double>>& runValues,
                       bool extrapolate, std::string& error) {
    law_ = &law;
    extrapolate_ = extrapolate;
    runValues_.clear();
    columns_.clear();
    for (const auto& [name, value] : runValues) {
        Column column;
        if (!columnOf(name, column)) {
            error = "'" + name + "' is none of " + describeNames();
            return false;
        }
        if (given(name)) {
            error = name + " is given twice";
            return false;
        }
        runValues_.emplace_back(column, value);
    }
    return true;
}

std::string LawColumns::describeNames() const {
    std::string names;
    for (const LawParameter& parameter : law_->parameters()) {
        names += (names.empty() ? "" : ", ") + parameter.name;
    }
    for (const Condition& condition : kConditions) {
        names += (names.empty() ? "" : ", ") + std::string(condition.name);
    }
    return names;
}

std::vector<std::string> LawColumns::needed() const {
    std::vector<std::string> names;
    for (const LawParameter& parameter : law_->parameters()) {
        names.push_back(parameter.name);
    }
    if (law_->readsTemperature()) {
        names.insert(names.end(), {"TemperatureIn", "TemperatureOut"});
    }
    if (law_->readsStrainRate()) {
        names.emplace_back("Strip_speed");
    }
    return names;
}

bool LawColumns::needsFile() const {
    const std::vector<std::string> names = needed();
    return std::any_of(names.begin(), names.end(), [this](const std::string& name) { return !given(name); });
}

bool LawColumns::readHeader(const std::string& line, std::string& error) {
    // A value in another unit than the law's would be read as if in the law's: refused, not misread.
    std::vector<std::string> names;
    for (const auto& [name, unit] : headerCells(line)) {
        const std::string lawUnit = unitOf(*law_, name);
        if (knows(name) && !unit.empty() && unit != lawUnit) {
            error = "its header gives " + name + " in '" + unit + "', not " +
                    (lawUnit.empty() ? std::string("without a unit") : "in '" + lawUnit + "'") +
                    " as the law " + law_->name() + " takes it";
            return false;
        }
        names.push_back(name);
    }
    return setColumns(names, error);
}

bool LawColumns::setColumns(const std::vector<std::string>& names, std::string& error,
                            const std::vector<std::string>& elsewhere) {
    columns_.clear();
    for (const std::string& name : names) {
        Column column;
        if (!columnOf(name, column)) {
            error = "its header names '" + name + "', which is none of " + describeNames();
            columns_.clear();
            return false;
        }
        const bool twice = std::any_of(columns_.begin(), columns_.end(),
                                       [&name](const Column& other) { return other.name == name; });
        if (twice || given(name)) {
            error =
                "its header names " + name + (twice ? " twice" : ", which is given for the whole run too");
            columns_.clear();
            return false;
        }
        columns_.push_back(column);
    }
    const std::vector<LawParameter> parameters = law_->parameters();
    for (const std::string& name : needed()) {
        const bool inFile = std::any_of(columns_.begin(), columns_.end(),
                                        [&name](const Column& c) { return c.name == name; });
        const bool otherwise = std::find(elsewhere.begin(), elsewhere.end(), name) != elsewhere.end();
        if (!inFile && !given(name) && !otherwise) {
            const bool parameter = std::any_of(parameters.begin(), parameters.end(),
                                               [&name](const LawParameter& p) { return p.name == name; });
            error = "the law " + law_->name() + (parameter ? "'s parameter " : " reads ") + name +
                    ", which is neither a column of its header nor given for the run";
            columns_.clear();
            return false;
        }
    }
    return true;
}

void LawColumns::startCase(CaseInputs& inputs) const {
    inputs.law = law_;
    inputs.extrapolate = extrapolate_;
    inputs.coefficients = {};
    inputs.Strain_in = 0.0;
    inputs.TemperatureIn = 0.0;
    inputs.TemperatureOut = 0.0;
    inputs.Strip_speed = 0.0;
    inputs.Flow_stress_factor = 1.0;
    for (const auto& [column, value] : runValues_) {
        assignTo(column, value, inputs);
    }
}

void LawColumns::assign(int column, double value, CaseInputs& inputs) const {
    assignTo(columns_[static_cast<std::size_t>(column)], value, inputs);
}

void LawColumns::assignTo(const Column& column, double value, CaseInputs& inputs) {
    if (column.parameter >= 0) {
        inputs.coefficients[static_cast<std::size_t>(column.parameter)] = value;
    } else {
        inputs.*column.condition = value;
    }
}

} // namespace rollbite
