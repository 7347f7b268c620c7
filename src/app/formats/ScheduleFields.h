#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/ScheduleInputs.h"

#include <cstddef>
#include <string>

namespace rollbite {

// The fields of a schedule as a user writes them, in a schedule file or a Python frame: the strip's (one
// name and value a line) and the stands' (one column each). The reader of schedule files, the Python
// module and the docs take names, units and what is required from these tables.
struct StripField {
    const char* name;
    const char* unit;
    double StripInputs::*member; // nullptr: a chemistry value, at `chemistry`
    int chemistry;               // place in StripInputs::chemistry, or -1
    unsigned rheologies;         // bit per RheologyKind that requires it; 0: optional for all
};

struct StandField {
    const char* name;
    const char* unit;
    double StandInputs::*member;
    unsigned rheologies; // bit per RheologyKind that requires it; 0: optional
};

class ScheduleFields {
public:
    static constexpr unsigned kAll = 0xF; // required whatever the rheology

    static const StripField* stripBegin();
    static const StripField* stripEnd();
    static const StandField* standBegin();
    static const StandField* standEnd();
    // The column of the stands' names.
    static constexpr const char* kStandName = "Stand";
    // The strip's line that names its rheology.
    static constexpr const char* kRheology = "Rheology";
    // The strip's line that names its flow-stress law instead, its parameters on lines of their own.
    static constexpr const char* kLaw = "Law";
    static constexpr const char* kFactor = "Flow_stress_factor";

    static const StripField* stripField(const std::string& name);
    static const StandField* standField(const std::string& name);
    static bool required(unsigned rheologies, RheologyKind rheology) {
        return (rheologies & (1u << static_cast<unsigned>(rheology))) != 0;
    }
    static double& valueOf(const StripField& field, StripInputs& strip);
};

} // namespace rollbite
