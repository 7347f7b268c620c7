#include "app/formats/ScheduleReader.h"

#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/ScheduleFields.h"
#include "app/formats/TableCells.h"
#include "app/formats/Units.h"

#include <algorithm>
#include <cstdio>

namespace rollbite {

namespace {

constexpr const char* kNotGivenCell = "-";
bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

void ScheduleReader::error(const std::string& message, bool withLine) {
    errors_.push_back(withLine ? "line " + std::to_string(line_) + ": " + message : message);
}

bool ScheduleReader::read(std::istream& file, Schedule& schedule) {
    schedule = Schedule();
    schedule_ = &schedule;
    errors_.clear();
    stripGiven_.clear();
    columns_.clear();
    columnUnits_.clear();
    standLines_.clear();
    given_.clear();
    rheologyGiven_ = false;
    inTable_ = false;
    line_ = 0;
    for (std::string line; std::getline(file, line);) {
        ++line_;
        if (line_ == 1) {
            TableCells::dropByteOrderMark(line);
        }
        const std::vector<std::string> cells = TableCells::cellsOf(line);
        if (cells.empty() || (!cells[0].empty() && cells[0][0] == '#')) {
            continue;
        }
        if (cells[0].empty()) {
            // A value without its name would be lost, or go to the wrong stand.
            error(inTable_ ? "a stand's row without its name: the Stand cell is empty"
                           : "a value without a field name before it");
        } else if (inTable_) {
            readStand(cells, TableCells::separatorOf(line));
        } else if (cells[0] == ScheduleFields::kStandName) {
            readHeader(cells);
        } else {
            readStripLine(cells);
        }
    }
    if (file.bad()) {
        error("the file could not be read to its end", false);
    }
    checkComplete();
    return errors_.empty();
}

std::string ScheduleReader::unitError(const std::string& what, const std::string& unit,
                                      const char* fieldUnit) {
    return what + " is in '" + TableCells::shown(unit) +
           "', which is no unit of it: " + Units::accepted(fieldUnit);
}

void ScheduleReader::readStripLine(const std::vector<std::string>& cells) {
    const std::string name = TableCells::shown(cells[0]);
    if (cells.size() < 2 || cells[1].empty()) {
        error("the strip's " + name + " has no value");
        return;
    }
    if (listed(stripGiven_, cells[0])) {
        error("the strip's " + name + " is given twice");
        return;
    }
    stripGiven_.push_back(cells[0]);
    if (readLawLine(cells) || readLawParameter(cells)) {
        return;
    }
    if (cells[0] == ScheduleFields::kRheology) {
        if (listed(stripGiven_, ScheduleFields::kLaw)) {
            error("the strip has a Rheology and a Law: give one of them");
            return;
        }
        RheologyKind rheology = kConstantRheology;
        rheologyGiven_ = Names::parseRheology(cells[1], rheology);
        schedule_->strip.rheology = rheology;
        if (!rheologyGiven_) {
            error("Rheology '" + TableCells::shown(cells[1]) + "' is none of " + Names::rheologyChoices());
        }
        return;
    }
    const StripField* field = ScheduleFields::stripField(cells[0]);
    if (field == nullptr) {
        error("'" + name +
              "' is no field of the strip (nor the header row of the stands, which starts with " +
              ScheduleFields::kStandName + ")");
        return;
    }
    double& value = ScheduleFields::valueOf(*field, schedule_->strip);
    if (!FieldReader::parseDouble(cells[1], value)) {
        error("the strip's " + name + " '" + TableCells::shown(cells[1]) + "' is not a number");
        return;
    }
    const std::string unit = cells.size() > 2 ? cells[2] : std::string();
    if (!Units::convert(value, unit, field->unit, value)) {
        error(unitError("the strip's " + name, unit, field->unit));
    }
}

bool ScheduleReader::readLawLine(const std::vector<std::string>& cells) {
    if (cells[0] != ScheduleFields::kLaw) {
        return false;
    }
    const FlowStressLaw* law = laws_ != nullptr ? laws_->find(cells[1]) : nullptr;
    if (listed(stripGiven_, ScheduleFields::kRheology)) {
        error("the strip has a Rheology and a Law: give one of them");
    } else if (law == nullptr) {
        std::string names;
        for (const std::string& name : laws_ != nullptr ? laws_->names() : std::vector<std::string>()) {
            names += (names.empty() ? "" : ", ") + name;
        }
        error("Law '" + TableCells::shown(cells[1]) + "' is none of " +
              (names.empty() ? "the laws known here" : names));
    } else {
        schedule_->strip.rheology = kLawRheology;
        schedule_->strip.law = law;
        rheologyGiven_ = true;
    }
    return true;
}

bool ScheduleReader::readLawParameter(const std::vector<std::string>& cells) {
    const FlowStressLaw* law = schedule_->strip.law;
    if (law == nullptr) {
        return false;
    }
    const std::vector<LawParameter> parameters = law->parameters();
    const auto parameter = std::find_if(parameters.begin(), parameters.end(),
                                        [&cells](const LawParameter& p) { return p.name == cells[0]; });
    const bool factor = cells[0] == ScheduleFields::kFactor;
    if (parameter == parameters.end() && !factor) {
        return false;
    }
    double& value =
        factor ? schedule_->strip.Flow_stress_factor
               : schedule_->strip.lawParameters[static_cast<std::size_t>(parameter - parameters.begin())];
    const std::string unit = cells.size() > 2 ? cells[2] : std::string();
    const std::string own = factor ? std::string() : parameter->unit;
    if (!FieldReader::parseDouble(cells[1], value)) {
        error("the strip's " + cells[0] + " '" + TableCells::shown(cells[1]) + "' is not a number");
    } else if (!unit.empty() && unit != own) {
        error("the strip's " + cells[0] + " is in '" + TableCells::shown(unit) + "', not in " +
              (own.empty() ? "no unit" : own) + " as the law " + law->name() + " takes it");
    }
    return true;
}

bool ScheduleReader::namesLawParameter(const std::string& name) const {
    const FlowStressLaw* law = schedule_->strip.law;
    if (schedule_->strip.rheology != kLawRheology || law == nullptr) {
        return false;
    }
    const std::vector<LawParameter> parameters = law->parameters();
    return std::any_of(parameters.begin(), parameters.end(),
                       [&name](const LawParameter& p) { return p.name == name; });
}

void ScheduleReader::checkLawComplete() {
    const FlowStressLaw& law = *schedule_->strip.law;
    for (const LawParameter& parameter : law.parameters()) {
        if (!listed(stripGiven_, parameter.name)) {
            error("the strip's " + parameter.name + " is missing: a parameter of the law " + law.name(),
                  false);
        }
    }
}

bool ScheduleReader::requiredStandField(const StandField& field) const {
    const StripInputs& strip = schedule_->strip;
    const bool temperature =
        field.member == &StandInputs::TemperatureIn || field.member == &StandInputs::TemperatureOut;
    // The thermal chain gives them where they are not given (an Entry_temperature line that could not be
    // read has its own error).
    if (temperature && (strip.thermal() || listed(stripGiven_, "Entry_temperature"))) {
        return false;
    }
    if (strip.rheology == kLawRheology && temperature) {
        return strip.law != nullptr && strip.law->readsTemperature();
    }
    return ScheduleFields::required(field.rheologies, strip.rheology);
}

void ScheduleReader::readHeader(const std::vector<std::string>& cells) {
    inTable_ = true;
    for (const std::string& cell : TableCells::headerCells(cells)) {
        readColumn(cell);
    }
}

void ScheduleReader::readColumn(const std::string& cell) {
    std::string name;
    std::string unit;
    TableCells::splitUnit(cell, name, unit);
    const StandField* field = ScheduleFields::standField(name);
    double converted = 0.0;
    if (field == nullptr) {
        error("'" + TableCells::shown(name) + "' is no column of the stand table");
    } else if (listed(columns_, name)) {
        error("the stand table has column " + name + " twice");
    } else if (!Units::convert(1.0, unit, field->unit, converted)) {
        error(unitError("the stand table's " + name, unit, field->unit));
        unit.clear();
    }
    columns_.push_back(name);
    columnUnits_.push_back(unit);
}

void ScheduleReader::readStand(const std::vector<std::string>& cells, char separator) {
    StandInputs stand;
    stand.name = cells[0];
    const std::string label = "stand " + TableCells::shown(stand.name);
    const auto same = std::find_if(schedule_->stands.begin(), schedule_->stands.end(),
                                   [&stand](const StandInputs& other) { return other.name == stand.name; });
    if (same != schedule_->stands.end()) {
        const auto earlier = static_cast<std::size_t>(same - schedule_->stands.begin());
        error(label + " is named twice: also on line " + std::to_string(standLines_[earlier]));
    }
    // Only a spreadsheet's tab-separated row leaves its last cells out when they are empty; elsewhere a
    // value not given is written "-", and a short row would shift its values into other columns.
    if (cells.size() > columns_.size() + 1 || (separator != '\t' && cells.size() < columns_.size() + 1)) {
        error(label + " has " + std::to_string(cells.size() - 1) + " values, but the header row names " +
              std::to_string(columns_.size()) + " columns" +
              (cells.size() > columns_.size() + 1 ? "" : " (a value not given is written -)"));
    }
    std::vector<bool> given(columns_.size(), false);
    for (std::size_t k = 0; k < columns_.size() && k + 1 < cells.size(); ++k) {
        const StandField* field = ScheduleFields::standField(columns_[k]);
        const std::string& cell = cells[k + 1];
        if (field == nullptr || cell.empty() || cell == kNotGivenCell) {
            continue;
        }
        double& value = stand.*field->member;
        given[k] = FieldReader::parseDouble(cell, value);
        if (!given[k]) {
            error(label + ": " + columns_[k] + " '" + TableCells::shown(cell) + "' is not a number");
        } else {
            Units::convert(value, columnUnits_[k], field->unit, value); // a unit refused is no unit
        }
    }
    schedule_->stands.push_back(stand);
    standLines_.push_back(line_);
    given_.push_back(given);
}

void ScheduleReader::checkComplete() {
    if (!rheologyGiven_) {
        if (!listed(stripGiven_, ScheduleFields::kRheology) && !listed(stripGiven_, ScheduleFields::kLaw)) {
            error("the strip's Rheology is missing: " + Names::rheologyChoices() + ", or a Law", false);
        }
        return; // what else is required depends on it
    }
    if (schedule_->strip.rheology == kLawRheology) {
        checkLawComplete();
    }
    const RheologyKind rheology = schedule_->strip.rheology;
    const std::string kind = Names::rheologyName(rheology);
    for (const StripField* field = ScheduleFields::stripBegin(); field != ScheduleFields::stripEnd();
         ++field) {
        const bool given = listed(stripGiven_, field->name) && !namesLawParameter(field->name);
        const bool required = ScheduleFields::required(field->rheologies, rheology);
        if (required && !given) {
            error("the strip's " + std::string(field->name) + " is missing", false);
        } else if (given && field->rheologies != 0 && !required) {
            error("the strip's " + std::string(field->name) + " is no field of a " + kind + " schedule",
                  false);
        }
    }
    if (!inTable_ || schedule_->stands.empty()) {
        error(std::string("no stands: after the strip, a header row starting with ") +
                  ScheduleFields::kStandName + " names the stands' columns, then one stand a row",
              false);
        return;
    }
    for (const StandField* field = ScheduleFields::standBegin(); field != ScheduleFields::standEnd();
         ++field) {
        const auto column = std::find(columns_.begin(), columns_.end(), field->name);
        const bool required = requiredStandField(*field);
        const bool finalThickness = field->member == &StandInputs::Exit_thickness;
        if (column == columns_.end()) {
            if (required || finalThickness) {
                error("the stand table has no column " + std::string(field->name), false);
            }
            continue;
        }
        // With the thermal chain a stand may give its temperatures, or leave them to the chain.
        const bool chained =
            (schedule_->strip.thermal() || listed(stripGiven_, "Entry_temperature")) &&
            (field->member == &StandInputs::TemperatureIn || field->member == &StandInputs::TemperatureOut);
        if (field->rheologies != 0 && !required && !chained && field->rheologies != ScheduleFields::kAll) {
            error("the stand table's " + std::string(field->name) + " is no column of a " + kind +
                      " schedule",
                  false);
            continue;
        }
        const auto k = static_cast<std::size_t>(column - columns_.begin());
        for (std::size_t s = 0; s < schedule_->stands.size(); ++s) {
            const bool last = s + 1 == schedule_->stands.size();
            if ((required || (finalThickness && last)) && !given_[s][k]) {
                error("stand " + schedule_->stands[s].name + ": " + field->name + " is missing" +
                          (finalThickness ? " (the last stand's is the final thickness)" : ""),
                      false);
            }
        }
    }
}

} // namespace rollbite
