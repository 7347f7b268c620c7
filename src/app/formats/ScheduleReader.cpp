#include "app/formats/ScheduleReader.h"

#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/ScheduleFields.h"

#include <algorithm>

namespace rollbite {

namespace {

constexpr const char* kNotGivenCell = "-";
constexpr const char* kBlanks = " \t\r";

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    const std::size_t last = text.find_last_not_of(kBlanks);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::vector<std::string> ScheduleReader::cellsOf(const std::string& line) {
    std::vector<std::string> cells;
    const char separator = line.find('\t') != std::string::npos  ? '\t'
                           : line.find(',') != std::string::npos ? ','
                                                                 : ' ';
    if (separator == ' ') {
        std::string_view field;
        FieldReader fields(line);
        while (fields.nextField(field)) {
            cells.emplace_back(field);
        }
        return cells;
    }
    std::size_t start = 0;
    for (std::size_t end = line.find(separator);; end = line.find(separator, start)) {
        cells.push_back(
            trimmed(line.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    // Cells left empty at the end of a row, as spreadsheets write them, are no columns.
    while (!cells.empty() && cells.back().empty()) {
        cells.pop_back();
    }
    return cells;
}

void ScheduleReader::error(const std::string& message, bool withLine) {
    errors_.push_back(withLine ? "line " + std::to_string(line_) + ": " + message : message);
}

bool ScheduleReader::read(std::istream& file, Schedule& schedule) {
    schedule = Schedule();
    schedule_ = &schedule;
    errors_.clear();
    stripGiven_.clear();
    columns_.clear();
    given_.clear();
    rheologyGiven_ = false;
    inTable_ = false;
    line_ = 0;
    for (std::string line; std::getline(file, line);) {
        ++line_;
        const std::vector<std::string> cells = cellsOf(line);
        if (cells.empty() || cells[0].empty() || cells[0][0] == '#') {
            continue;
        }
        if (inTable_) {
            readStand(cells);
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

void ScheduleReader::readStripLine(const std::vector<std::string>& cells) {
    const std::string& name = cells[0];
    if (cells.size() < 2 || cells[1].empty()) {
        error("the strip's " + name + " has no value");
        return;
    }
    if (listed(stripGiven_, name)) {
        error("the strip's " + name + " is given twice");
        return;
    }
    stripGiven_.push_back(name);
    if (name == ScheduleFields::kRheology) {
        RheologyKind rheology = kConstantRheology;
        rheologyGiven_ = Names::parseRheology(cells[1], rheology);
        schedule_->strip.rheology = rheology;
        if (!rheologyGiven_) {
            error("Rheology '" + cells[1] + "' is none of " + Names::rheologyChoices());
        }
        return;
    }
    const StripField* field = ScheduleFields::stripField(name);
    if (field == nullptr) {
        error("'" + name +
              "' is no field of the strip (nor the header row of the stands, which starts with " +
              ScheduleFields::kStandName + ")");
        return;
    }
    if (!FieldReader::parseDouble(cells[1], ScheduleFields::valueOf(*field, schedule_->strip))) {
        error("the strip's " + name + " '" + cells[1] + "' is not a number");
    }
}

void ScheduleReader::readHeader(const std::vector<std::string>& cells) {
    inTable_ = true;
    for (std::size_t k = 1; k < cells.size(); ++k) {
        if (ScheduleFields::standField(cells[k]) == nullptr) {
            error("'" + cells[k] + "' is no column of the stand table");
        } else if (listed(columns_, cells[k])) {
            error("the stand table has column " + cells[k] + " twice");
        }
        columns_.push_back(cells[k]);
    }
}

void ScheduleReader::readStand(const std::vector<std::string>& cells) {
    StandInputs stand;
    stand.name = cells[0];
    const std::string label = "stand " + stand.name;
    if (cells.size() > columns_.size() + 1) {
        error(label + " has " + std::to_string(cells.size() - 1) + " values, but the header row names " +
              std::to_string(columns_.size()) + " columns");
    }
    std::vector<bool> given(columns_.size(), false);
    for (std::size_t k = 0; k < columns_.size() && k + 1 < cells.size(); ++k) {
        const StandField* field = ScheduleFields::standField(columns_[k]);
        const std::string& cell = cells[k + 1];
        if (field == nullptr || cell.empty() || cell == kNotGivenCell) {
            continue;
        }
        given[k] = FieldReader::parseDouble(cell, stand.*field->member);
        if (!given[k]) {
            error(label + ": " + columns_[k] + " '" + cell + "' is not a number");
        }
    }
    schedule_->stands.push_back(stand);
    given_.push_back(given);
}

void ScheduleReader::checkComplete() {
    if (!rheologyGiven_) {
        if (!listed(stripGiven_, ScheduleFields::kRheology)) {
            error("the strip's Rheology is missing: " + Names::rheologyChoices(), false);
        }
        return; // what else is required depends on it
    }
    const RheologyKind rheology = schedule_->strip.rheology;
    const std::string kind = Names::rheologyName(rheology);
    for (const StripField* field = ScheduleFields::stripBegin(); field != ScheduleFields::stripEnd();
         ++field) {
        const bool given = listed(stripGiven_, field->name);
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
        const bool required = ScheduleFields::required(field->rheologies, rheology);
        const bool finalThickness = field->member == &StandInputs::Exit_thickness;
        if (column == columns_.end()) {
            if (required || finalThickness) {
                error("the stand table has no column " + std::string(field->name), false);
            }
            continue;
        }
        if (field->rheologies != 0 && !required && field->rheologies != ScheduleFields::kAll) {
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
