#include "app/formats/LearnerStateFile.h"

#include "app/formats/ExactNumber.h"
#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/TableCells.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <vector>

namespace rollbite {

namespace {

constexpr const char* kFirstLine = "# rollbite learner state: short-term factor and friction per stand, "
                                   "long-term factor per class and stand";
constexpr const char* kLearntLine = "# learnt with ";
constexpr const char* kHeader = "Kind\tStand\tClass\tFactor\tFriction\tBeyond_screen";
constexpr const char* kLastLine = "# end of state";
constexpr const char* kShort = "short";
constexpr const char* kFresh = "fresh";
constexpr const char* kLong = "long";
constexpr std::size_t kCells = 6;
// The friction of the model's passes: what a learnt friction is kept in.
constexpr double kLowestFriction = 0.1;
constexpr double kHighestFriction = 1.0;

enum Cell { kKind, kStand, kClass, kFactor, kFriction, kBeyond };

// The cells of a row, the empty ones kept: split at every tab.
std::vector<std::string> rowCells(const std::string& line) {
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == '\t') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

// Reads the rows into a state, each checked against what a learner with `settings` ever writes.
class RowReader {
public:
    RowReader(const LearnerSettings& settings, LearnerState& state) : settings_(settings), state_(state) {}

    // Empty when the row is read; else what is wrong with it.
    std::string read(const std::vector<std::string>& cells) {
        if (cells.size() != kCells) {
            return std::to_string(cells.size()) + " cells, not " + std::to_string(kCells);
        }
        if (cells[kStand].empty()) {
            return "the Stand is missing";
        }
        double factor = 0.0;
        double friction = 0.0;
        if (!FieldReader::parseDouble(cells[kFactor], factor) ||
            !(factor >= settings_.lowestFactor && factor <= settings_.highestFactor)) {
            return "the Factor '" + TableCells::shown(cells[kFactor]) + "' is no factor of the learner (" +
                   ExactNumber::text(settings_.lowestFactor) + " to " +
                   ExactNumber::text(settings_.highestFactor) + ")";
        }
        if (!frictionOf(cells[kFriction], friction)) {
            return "the Friction '" + TableCells::shown(cells[kFriction]) +
                   "' is no friction of the model (0.1 to 1, or empty: the setup's)";
        }
        if (cells[kKind] == kShort) {
            return readShort(cells, factor, friction);
        }
        if (cells[kKind] == kFresh) {
            return readFresh(cells, factor, friction);
        }
        if (cells[kKind] == kLong) {
            return readLong(cells, factor);
        }
        return "the Kind '" + TableCells::shown(cells[kKind]) + "' is none of short, fresh and long";
    }

private:
    static bool frictionOf(const std::string& cell, double& friction) {
        if (cell.empty()) {
            friction = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        return FieldReader::parseDouble(cell, friction) && friction >= kLowestFriction &&
               friction <= kHighestFriction;
    }

    std::string readShort(const std::vector<std::string>& cells, double factor, double friction) {
        std::int32_t beyond = 0;
        if (!FieldReader::parseInteger(cells[kBeyond], beyond) ||
            std::abs(beyond) > settings_.screenPatience) {
            return "the Beyond_screen '" + TableCells::shown(cells[kBeyond]) + "' is no count from -" +
                   std::to_string(settings_.screenPatience) + " to " +
                   std::to_string(settings_.screenPatience);
        }
        if (!stands_.insert(cells[kStand]).second) {
            return "the stand " + TableCells::shown(cells[kStand]) + " has a second short row";
        }
        LearnerState::Stand stand;
        stand.name = cells[kStand];
        stand.lastClass = cells[kClass];
        stand.shortTerm = factor;
        stand.friction = friction;
        stand.beyondScreen = beyond;
        state_.stands.push_back(stand);
        fresh_ = false;
        return "";
    }

    // What new rolls start from follows the short row of its stand, once.
    std::string readFresh(const std::vector<std::string>& cells, double factor, double friction) {
        if (state_.stands.empty() || state_.stands.back().name != cells[kStand] || fresh_) {
            return "a fresh row comes once, after the short row of its stand";
        }
        state_.stands.back().freshShortTerm = factor;
        state_.stands.back().freshFriction = friction;
        fresh_ = true;
        return "";
    }

    std::string readLong(const std::vector<std::string>& cells, double factor) {
        if (!state_.longTerm.emplace(std::make_pair(cells[kClass], cells[kStand]), factor).second) {
            return "the class " + TableCells::shown(cells[kClass]) + " of stand " +
                   TableCells::shown(cells[kStand]) + " has a second long row";
        }
        return "";
    }

    const LearnerSettings& settings_;
    LearnerState& state_;
    std::set<std::string> stands_;
    bool fresh_ = false;
};

// A line without the carriage return a file copied through another system may end it with.
bool nextLine(std::istream& file, std::string& line) {
    if (!std::getline(file, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

} // namespace

std::string LearnerStateFile::firstLine() {
    return kFirstLine;
}

OutputForm LearnerStateFile::form() {
    return {kFirstLine, "its first line is not that of a learner state file"};
}

std::string LearnerStateFile::learntWith(RheologyKind rheology, const FlowStressLaw* law) {
    if (rheology == kLawRheology && law != nullptr) {
        return "--law " + law->name();
    }
    return std::string("--rheology ") + Names::rheologyName(rheology);
}

std::string LearnerStateFile::text(const LearnerState& state, const std::string& learntWith) {
    std::string text = std::string(kFirstLine) + "\n" + kLearntLine + learntWith + "\n" + kHeader + "\n";
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
    return text + kLastLine + "\n";
}

bool LearnerStateFile::read(std::istream& file, const std::string& learntWith,
                            const LearnerSettings& settings, LearnerState& state, std::string& failure) {
    state = LearnerState();
    std::string line;
    if (!nextLine(file, line) || line != kFirstLine) {
        failure = "its first line is not that of a learner state file";
        return false;
    }
    if (!nextLine(file, line) || line != kLearntLine + learntWith) {
        failure = line.rfind(kLearntLine, 0) == 0 ? "it was " + line.substr(2) + ", not " + learntWith
                                                  : "line 2 does not name the rheology it was learnt with";
        return false;
    }
    if (!nextLine(file, line) || line != kHeader) {
        failure = "line 3 is not the header row of a learner state file";
        return false;
    }
    RowReader rows(settings, state);
    bool whole = false;
    for (long long number = 4; !whole && nextLine(file, line); ++number) {
        whole = line == kLastLine;
        const std::string wrong = whole ? "" : rows.read(rowCells(line));
        if (!wrong.empty()) {
            failure = "line " + std::to_string(number) + ": " + wrong;
            return false;
        }
    }
    if (file.bad() || !whole) {
        failure = file.bad() ? "it could not be read to its end" : "it ends before its last line: it is torn";
        return false;
    }
    if (nextLine(file, line)) {
        failure = "it goes on after its last line";
        return false;
    }
    return true;
}

} // namespace rollbite
