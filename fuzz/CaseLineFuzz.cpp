// Fuzz target: one case line with one coefficient record, in each mode and rheology, read as a run reads
// them, through the case API (input checks, solve, output checks) to the written row. The first byte picks
// the mode and rheology; the bytes up to the first line feed are the case line, the rest is the coefficient
// record. Every row must be well formed, and a case that is not VOID must say why.
#include "RunCheck.h"

#include "app/formats/CaseLine.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/RecordReader.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseSolver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto mode =
        static_cast<rollbite::Mode>(data[0] % 6 < 3 ? rollbite::kDirectMode : rollbite::kInverseMode);
    const auto kind = static_cast<rollbite::RheologyKind>(data[0] % 3);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t lineEnd = std::min(text.find('\n'), text.size());
    rollbite::CaseInputs inputs;
    rollbite::CaseLine::read(mode, text.substr(0, lineEnd), inputs);
    std::istringstream record(lineEnd < text.size() ? text.substr(lineEnd + 1) : std::string());
    rollbite::RecordReader(record).next(kind, inputs);

    rollbite::CaseSolver solver(mode, kind);
    const rollbite::CaseResult& result = solver.solve(inputs);
    std::string row = rollbite::ExitColumns(mode).row(result);
    row.pop_back(); // its line feed
    rollbite::fuzz::checkRow(row, mode == rollbite::kDirectMode ? 21 : 12, "the row");
    if ((result.errorCode == rollbite::VOID) != result.reason.empty() ||
        result.reason.find_first_of("\t\n") != std::string::npos) {
        std::fprintf(stderr, "rollbite fuzz check failed: the reason '%s' of a %s case\n",
                     result.reason.c_str(), result.errorClass());
        std::abort();
    }
    return 0;
}
