#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/ScheduleResult.h"

#include <string>

namespace rollbite {

// The passes a schedule built, as files that rollbite direct reads: a direct entry file and, for Smatch
// and WS18, the coefficient file beside it. Every number is written with the fewest digits that read back
// to the same value, so that rollbite direct solves exactly the schedule's passes.
class PassFiles {
public:
    static std::string entryText(const ScheduleResult& schedule);
    // Empty for the Constant rheology, which has no coefficient file.
    static std::string coefficientText(const ScheduleResult& schedule, RheologyKind rheology);
    // The header line of a coefficient file as rollbite writes it: the names of the record, separated by
    // blanks.
    static std::string coefficientHeader(RheologyKind rheology);
};

} // namespace rollbite
