#include "app/formats/WhyTable.h"

namespace rollbite {

void WhyTable::appendRow(const CaseResult& result, long long lineNumber, const std::string& placement,
                         std::string& row) {
    row += std::to_string(result.Case_id);
    row += '\t';
    row += std::to_string(lineNumber);
    row += '\t';
    row += result.errorClass();
    row += '\t';
    row += result.reason;
    if (!placement.empty()) {
        row += result.reason.empty() ? "" : "; ";
        row += placement;
    }
    row += '\n';
}

} // namespace rollbite
