#pragma once

#include "app/formats/LawColumns.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/BiteProfile.h"
#include "rollbite/model/CaseInputs.h"

#include <cstdint>
#include <string>

namespace rollbite {

class RecordReader;

// One case of a run's files, computed exactly as a rollbite run computes it (the same reading of its line
// and record, and the same case API), with the arc of contact of its last roll-bite integration kept.
class CaseProfile {
public:
    // With kLawRheology, `law` holds the law and the values given for the whole run (and must outlive the
    // profile): its coefficient file, when there is one, names its columns in its header row.
    CaseProfile(Mode mode, RheologyKind rheology, const LawColumns* law = nullptr);

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

    // The coefficient file's header: skipped, or read as the law's columns. False, with a message, for a
    // header that names no columns of the law.
    bool readHeader(RecordReader& records, const std::string& coefficientFile, LawColumns& columns);

    Mode mode_;
    RheologyKind rheology_;
    const LawColumns* law_;
    BiteProfile profile_;
    std::string header_;
    std::string row_;
    double forwardSlip_ = 0.0;
    std::string message_;
    std::string placement_;
};

} // namespace rollbite
