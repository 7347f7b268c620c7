#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/CaseResult.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace rollbite {

// One column of the exit file: its name in the header row, its unit, and where a case's result holds its
// value. The header row, the rows, the columns of the Python module and the digest all come from this
// table, so that a column is named, placed and written in one place.
struct ExitColumn {
    enum class Kind { CaseId, ErrorClass, Number, Flag, Convergence };

    const char* name;
    const char* unit; // empty for a count, a ratio or a text
    Kind kind;
    double CaseResult::*number = nullptr; // Kind::Number
    bool CaseResult::*flag = nullptr;     // Kind::Flag
};

// The columns of the exit file of a mode, in their order; a run with a flow-stress law has one more,
// Flow_stress_factor, at the end (the factor used, or found in inverse mode).
class ExitColumns {
public:
    explicit ExitColumns(Mode mode, RheologyKind rheology = kConstantRheology);

    const ExitColumn* begin() const { return begin_; }
    const ExitColumn* end() const { return end_; }
    std::size_t size() const { return static_cast<std::size_t>(end_ - begin_); }

    // The header row, without its line feed: the names separated by tabs.
    std::string header() const;
    // Appends the row of a case with its line feed: the identifier as a whole number, numbers in
    // scientific notation with six decimals (1.500000e+03), flags as 0 or 1, the texts as they are named.
    void appendRow(const CaseResult& result, std::string& row) const;
    std::string row(const CaseResult& result) const;

    // True when `line` (without its line feed) is the header row of an exit file of either mode, with a
    // law or without.
    static bool isHeader(std::string_view line);

private:
    const ExitColumn* begin_;
    const ExitColumn* end_;
};

} // namespace rollbite
