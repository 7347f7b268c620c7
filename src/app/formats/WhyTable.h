#pragma once

#include "rollbite/model/CaseResult.h"

#include <string>

namespace rollbite {

// The why file of a run: a tab-separated table with a header row, then one row for every case without a
// result and every case whose coefficient record did not stand alone on its line: the case, its line in
// the entry file, its error class and the reason.
class WhyTable {
public:
    static constexpr const char* kHeader = "case\tline\tErrors\treason";

    // Appends the row of a case, with its line feed; `placement` is the RecordReader's word on its record
    // (empty when it stood alone on its line).
    static void appendRow(const CaseResult& result, long long lineNumber, const std::string& placement,
                          std::string& row);
    // True when the case has a row in the why file.
    static bool listed(const CaseResult& result, const std::string& placement) {
        return result.errorCode != VOID || !placement.empty();
    }
};

} // namespace rollbite
