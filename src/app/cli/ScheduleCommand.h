#pragma once

#include "app/cli/Arguments.h"

#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

// rollbite schedule FILE: the stands of a schedule file chained into one mill, optionally with the load
// distributed among them; a readable table on standard output, the tab-separated table into --out, and
// with --passes the passes it built as the files of a rollbite direct run.
class ScheduleCommand {
public:
    // The options that only this command takes, for the command line's parser.
    static const std::vector<Arguments::Option>& options();

    // `arguments` parsed by the command line, the operands starting with "schedule". The exit status: 0
    // when the schedule was solved and every file written, 1 when it could not be (a message on `err`), 2
    // for a usage error.
    static int run(const Arguments& arguments, std::ostream& out, std::ostream& err);
};

} // namespace rollbite
