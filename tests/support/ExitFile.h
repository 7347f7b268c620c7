#pragma once

#include <string>
#include <vector>

namespace rollbite::test {

// The rows of an exit file, each split at its tabs.
std::vector<std::vector<std::string>> exitRows(const std::string& content);

// Differences between two exit files, one line each: the row, its case, the column name and both
// values. Text cells must match exactly; numbers must match to the last printed digit, or within one
// unit of it when `lastDigitTolerance` is set (for results computed by another implementation).
std::vector<std::string> compareExitFiles(const std::string& actual, const std::string& expected,
                                          bool lastDigitTolerance);

} // namespace rollbite::test
