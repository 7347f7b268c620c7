#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/InverseUncertainty.h"
#include "rollbite/model/PassSensitivities.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rollbite {

// What one row of a sensitivity table is made of: the pass's result and its sensitivities (direct) or
// the uncertainty of its result (inverse).
struct SensitivityRow {
    const CaseResult& result;
    const PassSensitivities& sensitivities;
    const InverseUncertainty& uncertainty;
    double width = 0.0; // mm, the strip's width for the plasticity coefficient in MN/mm
};

// One column of a sensitivity table: its name in the header row, its unit, and what of the row it holds.
struct SensitivityColumn {
    enum class Kind {
        CaseId,
        ErrorClass,
        Derivative,      // sensitivities.derivative[output][input]
        LawDerivative,   // sensitivities.lawDerivative[output][input]: by a law's factor or a parameter
        Plasticity,      // -dRolling_Force/dExit_thickness times `factor`
        StripPlasticity, // the same in MN/mm for the row's strip width
        Number,          // a number of the inverse uncertainty
        Flag,            // a flag of the inverse uncertainty, 0 or 1
        ResultNumber,    // a number of the result
        Reason,
    };

    SensitivityColumn(std::string columnName, std::string columnUnit, Kind columnKind, std::string what = "")
        : name(std::move(columnName)), unit(std::move(columnUnit)), kind(columnKind),
          meaning(std::move(what)) {}

    std::string name;
    std::string unit; // empty for a count, a ratio, a flag or a text
    Kind kind;
    int output = 0;
    int input = 0;
    double factor = 1.0;                          // Kind::Plasticity
    double InverseUncertainty::*number = nullptr; // Kind::Number
    bool InverseUncertainty::*flag = nullptr;     // Kind::Flag
    double CaseResult::*resultNumber = nullptr;   // Kind::ResultNumber
    std::string meaning;                          // for the documentation
};

// The columns of the sensitivity table of a mode: the table that --sensitivities writes, one row per case
// in the order of the entry file. The header row, the rows, the columns of the Python module and the
// documentation's table all come from here. `withWidth` (direct mode) adds the plasticity coefficient of
// the strip, of the width each row gives; a flow-stress law adds the derivatives by its factor and its
// parameters before the reason (direct), or gives the factor found in place of the offset yield stress
// (inverse).
class SensitivityColumns {
public:
    explicit SensitivityColumns(Mode mode, bool withWidth = false, const FlowStressLaw* law = nullptr);

    const std::vector<SensitivityColumn>& columns() const { return columns_; }
    std::size_t size() const { return columns_.size(); }

    // The header row, without its line feed: the names separated by tabs.
    std::string header() const;
    // Appends the row with its line feed: the identifier, numbers in scientific notation with six decimals
    // (nan where a value cannot be given), flags as 0 or 1, and the reason of every missing value.
    void appendRow(const SensitivityRow& row, std::string& text) const;
    // The value of a numeric column (a flag as 0 or 1).
    double value(const SensitivityColumn& column, const SensitivityRow& row) const;
    // Why values of the row are missing, or what a user should not trust in it: empty when nothing.
    std::string reason(const SensitivityRow& row) const;

    // True when `line` (without its line feed) is the header row of a sensitivity table, of either mode,
    // with or without a width, with or without a law.
    static bool isHeader(std::string_view line);

private:
    SensitivityColumns(Mode mode, bool withWidth, const FlowStressLaw* law, bool byFactor);
    void addDirectColumns();
    void addLawColumns(const FlowStressLaw& law);
    void addInverseColumns(bool byFactor);

    Mode mode_;
    bool withWidth_;
    std::vector<SensitivityColumn> columns_;
};

} // namespace rollbite
