#pragma once

#include "model/BiteProfile.h"
#include "model/CaseInputs.h"

#include <cstdint>
#include <string>

namespace rollbite {

// One case of a run's files, computed exactly as a rollbite run computes it (the same reading of its line
// and record, and the same case API), with the arc of contact of its last roll-bite integration kept.
class CaseProfile {
public:
    // `mode` is 'd' or 'i', `rheology` 'c', 's' or 'w', as answered to rollbite.
    CaseProfile(char mode, char rheology);

    // Finds the case in the entry file (the first line whose identifier is `caseId`) and its record in
    // the coefficient file (the line of the same rank), then computes it. False, with a message, when
    // the case is missing, its files cannot be paired line by line, or it fails its checks or its solve.
    bool run(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId);
    // Computes one case from its values, as a run does. False, with a message, when it has no result.
    bool compute(const CaseInputs& inputs);

    const BiteProfile& profile() const { return profile_; }
    const std::string& header() const { return header_; } // the exit file's header row
    const std::string& row() const { return row_; }       // the case's row, as rollbite writes it
    double forwardSlip() const { return forwardSlip_; }   // percent, of the last roll bite
    const std::string& message() const { return message_; }

private:
    bool findCase(const std::string& entryFile, std::int32_t caseId, std::string& line, long long& rank);
    bool findRecord(const std::string& entryFile, const std::string& coefficientFile, long long rank,
                    std::string& record);
    // Solves the case of `caseLine` with its coefficient `record`, exactly as a run does.
    bool compute(const std::string& caseLine, const std::string& record);
    bool fail(const std::string& why);

    char mode_;
    char rheology_;
    BiteProfile profile_;
    std::string header_;
    std::string row_;
    double forwardSlip_ = 0.0;
    std::string message_;
};

} // namespace rollbite
