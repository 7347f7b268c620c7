#include "app/formats/ScheduleReader.h"

#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/ScheduleFields.h"
#include "app/formats/Units.h"

#include <algorithm>
#include <cstdio>

namespace rollbite {

namespace {

constexpr const char* kNotGivenCell = "-";
constexpr const char* kBlanks = " \t\r";
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF"; // UTF-8's, which some editors put first
constexpr std::size_t kLongestShown = 40;              // bytes of a cell a message shows

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    const std::size_t last = text.find_last_not_of(kBlanks);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes there are none.
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// A cell as a message shows it: text as written, other bytes as \xNN, a long cell cut.
std::string shown(const std::string& cell) {
    std::string text;
    std::size_t at = 0;
    while (at < cell.size() && text.size() < kLongestShown) {
        const auto byte = static_cast<unsigned char>(cell[at]);
        const std::size_t length = byte >= 0x80 ? utf8Length(cell, at) : 1;
        // A byte-order mark inside a cell is invisible: it is shown as its bytes.
        const bool mark = cell.compare(at, 3, kByteOrderMark) == 0;
        if (byte >= 0x20 && byte != 0x7F && length > 0 && !mark) {
            text += cell.substr(at, length);
            at += length;
            continue;
        }
        for (const std::size_t end = at + (mark ? 3 : 1); at < end; ++at) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(cell[at]));
            text += escaped;
        }
    }
    return at < cell.size() ? text + "..." : text;
}

// The cells of a header row after Stand, a unit in brackets joined to its name: a blank-separated row
// splits "Torque_limit (kN m)" into three cells.
std::vector<std::string> columnCells(const std::vector<std::string>& cells) {
    std::vector<std::string> columns;
    bool inUnit = false;
    for (std::size_t k = 1; k < cells.size(); ++k) {
        const std::string& cell = cells[k];
        const bool opensUnit = !cell.empty() && (cell.front() == '[' || cell.front() == '(');
        if (inUnit || (opensUnit && !columns.empty())) {
            columns.back() += " " + cell;
            inUnit = cell.empty() || (cell.back() != ']' && cell.back() != ')');
        } else {
            columns.push_back(cell);
        }
    }
    return columns;
}

// "Force_limit [MN]" or "Force_limit (MN)": the name and the unit; no brackets: the cell and no unit.
void splitUnit(const std::string& cell, std::string& name, std::string& unit) {
    const std::size_t open = cell.find_first_of("[(");
    const char close = open == std::string::npos ? '\0' : (cell[open] == '[' ? ']' : ')');
    if (open == std::string::npos || cell.back() != close) {
        name = cell;
        unit.clear();
        return;
    }
    name = trimmed(cell.substr(0, open));
    unit = trimmed(cell.substr(open + 1, cell.size() - open - 2));
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

char ScheduleReader::separatorOf(const std::string& line) {
    return line.find('\t') != std::string::npos ? '\t' : line.find(',') != std::string::npos ? ',' : ' ';
}

std::vector<std::string> ScheduleReader::cellsOf(const std::string& line) {
    std::vector<std::string> cells;
    const char separator = separatorOf(line);
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
    columnUnits_.clear();
    standLines_.clear();
    given_.clear();
    rheologyGiven_ = false;
    inTable_ = false;
    line_ = 0;
    for (std::string line; std::getline(file, line);) {
        ++line_;
        if (line_ == 1 && line.rfind(kByteOrderMark, 0) == 0) {
            line.erase(0, std::char_traits<char>::length(kByteOrderMark));
        }
        const std::vector<std::string> cells = cellsOf(line);
        if (cells.empty() || (!cells[0].empty() && cells[0][0] == '#')) {
            continue;
        }
        if (cells[0].empty()) {
            // A value without its name would be lost, or go to the wrong stand.
            error(inTable_ ? "a stand's row without its name: the Stand cell is empty"
                           : "a value without a field name before it");
        } else if (inTable_) {
            readStand(cells, separatorOf(line));
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
    return what + " is in '" + shown(unit) + "', which is no unit of it: " + Units::accepted(fieldUnit);
}

void ScheduleReader::readStripLine(const std::vector<std::string>& cells) {
    const std::string name = shown(cells[0]);
    if (cells.size() < 2 || cells[1].empty()) {
        error("the strip's " + name + " has no value");
        return;
    }
    if (listed(stripGiven_, cells[0])) {
        error("the strip's " + name + " is given twice");
        return;
    }
    stripGiven_.push_back(cells[0]);
    if (cells[0] == ScheduleFields::kRheology) {
        RheologyKind rheology = kConstantRheology;
        rheologyGiven_ = Names::parseRheology(cells[1], rheology);
        schedule_->strip.rheology = rheology;
        if (!rheologyGiven_) {
            error("Rheology '" + shown(cells[1]) + "' is none of " + Names::rheologyChoices());
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
        error("the strip's " + name + " '" + shown(cells[1]) + "' is not a number");
        return;
    }
    const std::string unit = cells.size() > 2 ? cells[2] : std::string();
    if (!Units::convert(value, unit, field->unit, value)) {
        error(unitError("the strip's " + name, unit, field->unit));
    }
}

void ScheduleReader::readHeader(const std::vector<std::string>& cells) {
    inTable_ = true;
    for (const std::string& cell : columnCells(cells)) {
        readColumn(cell);
    }
}

void ScheduleReader::readColumn(const std::string& cell) {
    std::string name;
    std::string unit;
    splitUnit(cell, name, unit);
    const StandField* field = ScheduleFields::standField(name);
    double converted = 0.0;
    if (field == nullptr) {
        error("'" + shown(name) + "' is no column of the stand table");
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
    const std::string label = "stand " + shown(stand.name);
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
            error(label + ": " + columns_[k] + " '" + shown(cell) + "' is not a number");
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
