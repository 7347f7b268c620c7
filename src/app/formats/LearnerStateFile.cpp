#include "app/formats/LearnerStateFile.h"

#include "app/formats/ExactNumber.h"
#include "app/formats/FieldReader.h"
#include "app/formats/TableCells.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <vector>

namespace rollbite {

namespace {

constexpr const char* kFirstLine = "# rollbite learner state: short-term factor and friction per stand, "
                                   "long-term factor per class and stand";
constexpr const char* kHeader = "Kind\tStand\tClass\tFactor\tFriction\tBeyond_screen";
constexpr const char* kShort = "short";
constexpr const char* kFresh = "fresh";
constexpr const char* kLong = "long";
constexpr std::size_t kCells = 6;

// The cells of a row, the empty ones kept: split at every tab.
std::vector<std::string> rowCells(const std::string& line) {
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == '\t') {
            cells.emplace_back();
        } else if (c != '\r') {
            cells.back() += c;
        }
    }
    return cells;
}

bool number(const std::string& cell, bool optional, double& value) {
    if (cell.empty() && optional) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    return FieldReader::parseDouble(cell, value) && std::isfinite(value) && value > 0.0;
}

// A row of the file into the state: false when it is none.
bool readRow(const std::vector<std::string>& cells, LearnerState& state) {
    double factor = 0.0;
    double friction = 0.0;
    std::int32_t beyond = 0;
    if (cells.size() != kCells || cells[1].empty() || !number(cells[3], false, factor) ||
        !number(cells[4], true, friction)) {
        return false;
    }
    if (cells[0] == kShort && FieldReader::parseInteger(cells[5], beyond)) {
        LearnerState::Stand stand;
        stand.name = cells[1];
        stand.lastClass = cells[2];
        stand.shortTerm = factor;
        stand.friction = friction;
        stand.beyondScreen = beyond;
        state.stands.push_back(stand);
        return true;
    }
    // The fresh values follow the row of their stand.
    if (cells[0] == kFresh && !state.stands.empty() && state.stands.back().name == cells[1]) {
        state.stands.back().freshShortTerm = factor;
        state.stands.back().freshFriction = friction;
        return true;
    }
    if (cells[0] == kLong) {
        state.longTerm[{cells[2], cells[1]}] = factor;
        return true;
    }
    return false;
}

} // namespace

std::string LearnerStateFile::firstLine() {
    return kFirstLine;
}

OutputForm LearnerStateFile::form() {
    return {kFirstLine, "its first line is not that of a learner state file"};
}

std::string LearnerStateFile::text(const LearnerState& state) {
    std::string text = std::string(kFirstLine) + "\n" + kHeader + "\n";
    for (const LearnerState::Stand& stand : state.stands) {
        text += std::string(kShort) + "\t" + stand.name + "\t" + stand.lastClass + "\t" +
                ExactNumber::text(stand.shortTerm) + "\t" + ExactNumber::text(stand.friction) + "\t" +
                std::to_string(stand.beyondScreen) + "\n";
        text += std::string(kFresh) + "\t" + stand.name + "\t\t" + ExactNumber::text(stand.freshShortTerm) +
                "\t" + ExactNumber::text(stand.freshFriction) + "\t\n";
    }
    for (const auto& [key, factor] : state.longTerm) {
        text += std::string(kLong) + "\t" + key.second + "\t" + key.first + "\t" + ExactNumber::text(factor) +
                "\t\t\n";
    }
    return text;
}

bool LearnerStateFile::read(std::istream& file, LearnerState& state, std::string& failure) {
    state = LearnerState();
    std::string line;
    if (!std::getline(file, line) || line != kFirstLine) {
        failure = "its first line is not that of a learner state file";
        return false;
    }
    if (!std::getline(file, line) || line != kHeader) {
        failure = "line 2 is not the header row of a learner state file";
        return false;
    }
    for (long long number_ = 3; std::getline(file, line); ++number_) {
        const std::vector<std::string> cells = rowCells(line);
        if (!readRow(cells, state)) {
            failure = "line " + std::to_string(number_) + ": '" + TableCells::shown(line) +
                      "' is no row of a learner state file";
            return false;
        }
    }
    if (file.bad()) {
        failure = "it could not be read to its end";
        return false;
    }
    return true;
}

} // namespace rollbite
