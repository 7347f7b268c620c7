#pragma once

#include "app/formats/OutputGuard.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/ScheduleResult.h"

#include <string>

namespace rollbite {

// Passes as the files that rollbite reads: an entry file and, for Smatch, WS18 and a flow-stress law
// (every parameter and condition, named by its header), the coefficient file beside it, as a schedule builds
// them (for rollbite direct) or Python's write_entry writes them. Every number is written with the fewest
// digits that read back to the same value, so that a run solves exactly these passes.
//
// The header line names the fields and, for a schedule's passes, the schedule they came from: a file may
// be replaced only by one of the same header (OutputForm), so that neither measured passes nor the
// passes of another schedule are lost to a file of the same name.
class PassFiles {
public:
    // "case Entry_thickness ... Friction_coefficient", and "  # the passes of schedule SOURCE" with one.
    static std::string entryHeader(Mode mode, const std::string& source = "");
    // With kLawRheology, of `law`.
    static std::string coefficientHeader(RheologyKind rheology, const std::string& source = "",
                                         const FlowStressLaw* law = nullptr);
    static OutputForm entryForm(Mode mode, const std::string& source = "");
    static OutputForm coefficientForm(RheologyKind rheology, const std::string& source = "",
                                      const FlowStressLaw* law = nullptr);

    // Appends the line of one pass: its identifier and the values of the mode. False, with the field in
    // `failure`, for a value that is not finite, which no entry file can hold.
    static bool appendEntryLine(Mode mode, const CaseInputs& pass, std::string& text, std::string& failure);

    static std::string entryText(const ScheduleResult& schedule, const std::string& source);
    // Empty for the Constant rheology, which has no coefficient file.
    static std::string coefficientText(const ScheduleResult& schedule, RheologyKind rheology,
                                       const std::string& source, const FlowStressLaw* law = nullptr);
};

} // namespace rollbite
