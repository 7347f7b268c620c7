#pragma once

#include "app/formats/EntryReader.h"
#include "app/formats/RecordReader.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "support/ExampleRuns.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rollbite::test {

// The cases of an entry file and its coefficient file, given as texts, read exactly as a run reads them:
// the header lines skipped, then one case per line with the next record of the coefficient file.
inline std::vector<CaseInputs> casesOf(int mode, int kind, const std::string& entryText,
                                       const std::string& coefficientText) {
    std::istringstream entry(entryText);
    std::istringstream coefficients(coefficientText);
    EntryReader entries(entry);
    RecordReader records(coefficients);
    entries.skipHeader();
    records.skipHeader();
    std::vector<CaseInputs> cases;
    CaseInputs inputs;
    while (entries.next(static_cast<Mode>(mode), inputs)) {
        records.next(static_cast<RheologyKind>(kind), inputs);
        cases.push_back(inputs);
    }
    return cases;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

inline std::string readExample(const std::string& name) {
    return readFile(std::filesystem::path(ROLLBITE_TEST_DATA).parent_path() / "examples" / name);
}

inline Mode modeOf(const ExampleRun& run) {
    return *run.mode == 'd' ? kDirectMode : kInverseMode;
}

inline RheologyKind kindOf(const ExampleRun& run) {
    return *run.rheology == 's' ? kSmatchRheology : *run.rheology == 'w' ? kWS18Rheology : kConstantRheology;
}

// The cases of one of the six example runs.
inline std::vector<CaseInputs> exampleCases(const ExampleRun& run) {
    return casesOf(modeOf(run), kindOf(run), readExample(run.entry),
                   run.withCoefficients() ? readExample(run.coefficients) : std::string());
}

} // namespace rollbite::test
