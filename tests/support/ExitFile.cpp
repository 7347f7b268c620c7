#include "support/ExitFile.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace rollbite::test {

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return cells;
        }
        start = tab + 1;
    }
}

bool parseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

// Numbers printed with seven significant digits may differ by one unit of the last one.
bool withinLastDigit(double actual, double expected) {
    if (expected == 0.0) {
        return actual == 0.0;
    }
    const double unit = std::pow(10.0, std::floor(std::log10(std::abs(expected))) - 6);
    return std::abs(actual - expected) <= 1.01 * unit;
}

} // namespace

std::vector<std::vector<std::string>> exitRows(const std::string& content) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream stream(content);
    std::string line;
    while (std::getline(stream, line)) {
        rows.push_back(splitTabs(line));
    }
    return rows;
}

std::vector<std::string> compareExitFiles(const std::string& actual, const std::string& expected,
                                          bool lastDigitTolerance) {
    const auto ours = exitRows(actual);
    const auto theirs = exitRows(expected);
    std::vector<std::string> differences;
    if (ours.size() != theirs.size()) {
        differences.push_back("rows: " + std::to_string(ours.size()) + " instead of " +
                              std::to_string(theirs.size()));
    }
    const std::vector<std::string> header = theirs.empty() ? std::vector<std::string>() : theirs.front();
    for (std::size_t row = 0; row < std::min(ours.size(), theirs.size()); ++row) {
        const std::string where = "row " + std::to_string(row) + " (case " + theirs[row].front() + ")";
        if (ours[row].size() != theirs[row].size()) {
            differences.push_back(where + ": " + std::to_string(ours[row].size()) + " columns instead of " +
                                  std::to_string(theirs[row].size()));
            continue;
        }
        for (std::size_t column = 0; column < ours[row].size(); ++column) {
            const std::string& mine = ours[row][column];
            const std::string& reference = theirs[row][column];
            double mineValue = 0.0;
            double referenceValue = 0.0;
            const bool equal =
                mine == reference ||
                (lastDigitTolerance && row > 0 && parseNumber(mine, mineValue) &&
                 parseNumber(reference, referenceValue) && withinLastDigit(mineValue, referenceValue));
            if (!equal) {
                const std::string name = column < header.size() ? header[column] : std::to_string(column);
                differences.push_back(where + ", column " + name + ": " + mine + " instead of " + reference);
            }
        }
    }
    return differences;
}

} // namespace rollbite::test
