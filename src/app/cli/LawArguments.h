#pragma once

#include "app/cli/Arguments.h"
#include "app/formats/LawColumns.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/LawCatalogue.h"

#include <string>

namespace rollbite {

// The command line's options of a flow-stress law: --law NAME (from a catalogue), --parameters
// NAME=VALUE,... (values for the whole run) and --extrapolate.
class LawArguments {
public:
    // Into the law and its columns; without --law both are left as they are, and --parameters or
    // --extrapolate is refused. False, with the message in `error`.
    static bool parse(const Arguments& arguments, const LawCatalogue& laws, const FlowStressLaw*& law,
                      LawColumns& columns, std::string& error);
};

} // namespace rollbite
