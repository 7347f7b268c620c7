#pragma once

#include "app/run/SensitivityTable.h"

#include <string>

namespace rollbite {

// The command line's options of a sensitivity table: --uncertainty FORCE_SD,SLIP_SD (inverse) and
// --width MM (direct).
class SensitivityArguments {
public:
    // "1%,0.2": the force's standard deviation in percent of the measured force (with %) or in 9.81 N/mm,
    // then the slip's in percentage points. False, with the message in `error`.
    static bool parseUncertainty(const std::string& text, MeasurementUncertainty& uncertainty,
                                 std::string& error);
    // The strip width in mm, a positive number. False, with the message in `error`.
    static bool parseWidth(const std::string& text, double& width, std::string& error);
};

} // namespace rollbite
