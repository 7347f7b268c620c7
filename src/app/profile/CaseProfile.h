#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/BiteProfile.h"
#include "rollbite/model/CaseInputs.h"

#include <cstdint>
#include <string>

namespace rollbite {

// One case of a run's files, computed exactly as a rollbite run computes it (the same reading of its line
// and record, and the same case API), with the arc of contact of its last roll-bite integration kept.
class CaseProfile {
public:
    CaseProfile(Mode mode, RheologyKind rheology);

    // Finds the case in the entry file (the first line whose identifier is `caseId`) and the record the
    // run gives it in the coefficient file, then computes it. False, with a message, when the case is
    // missing, the files cannot be read or differ in their number of lines, or the case fails its checks
    // or its solve.
    bool run(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId);
    // Computes one case from its values, as a run does. False, with a message, when it has no result.
    bool compute(const CaseInputs& inputs);

    const BiteProfile& profile() const { return profile_; }
    const std::string& header() const { return header_; } // the exit file's header row
    const std::string& row() const { return row_; }       // the case's row, as rollbite writes it
    double forwardSlip() const { return forwardSlip_; }   // percent, of the last roll bite
    const std::string& message() const { return message_; }
    // Why the case's coefficient record did not stand alone on its line, or an empty text.
    const std::string& placement() const { return placement_; }

private:
    bool findCase(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId,
                  CaseInputs& inputs);
    bool fail(const std::string& why);

    Mode mode_;
    RheologyKind rheology_;
    BiteProfile profile_;
    std::string header_;
    std::string row_;
    double forwardSlip_ = 0.0;
    std::string message_;
    std::string placement_;
};

} // namespace rollbite
