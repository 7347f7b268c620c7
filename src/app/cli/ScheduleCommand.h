#pragma once

#include "app/cli/Arguments.h"
#include "app/formats/OutputGuard.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleInputs.h"
#include "rollbite/model/ScheduleResult.h"

#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

class Interruption;

// rollbite schedule FILE: the stands of a schedule file chained into one mill, optionally with the load
// distributed among them; a readable table on standard output, the tab-separated table into --out, with
// --passes the passes it built as the files of a rollbite direct run, and with --sensitivities the
// sensitivity table of those passes. The files appear all together or not at all.
class ScheduleCommand {
public:
    // The options that only this command takes, for the command line's parser.
    static const std::vector<Arguments::Option>& options();

    // `arguments` parsed by the command line, the operands starting with "schedule". The exit status: 0
    // when the schedule was solved and every file written (a stand above a limit is told on `err`), 1
    // when it could not be (a message on `err`; an unmet distribution also shows the best schedule it
    // reached), 2 for a usage error.
    static int run(const Arguments& arguments, std::ostream& out, std::ostream& err);

private:
    struct Request {
        std::string path;   // the schedule file, "-" for standard input
        std::string source; // what names it in the header of its passes
        bool distribute = false;
        DistributionTarget target = DistributionTarget::ForceLimits;
        std::string out;           // --out, or empty
        std::string passes;        // --passes STEM, or empty
        std::string sensitivities; // --sensitivities, or empty
        bool force = false;
    };
    // A file to write, and what it is for the messages.
    struct Output {
        std::string path;
        OutputForm form;
        std::string what;
    };

    static bool parse(const Arguments& arguments, Request& request, std::string& error);
    static std::vector<Output> outputsOf(const Request& request, const StripInputs& strip);
    // The texts of the outputs, in their order.
    static std::vector<std::string> textsOf(const Request& request, const std::vector<Output>& outputs,
                                            const ScheduleResult& schedule, const StripInputs& strip);
    static int refuseDistribution(const std::string& path, const DistributionResult& result,
                                  DistributionTarget target, std::ostream& err);
    // The table on standard output, then the files all together; each stand above a limit named on `err`.
    static int writeResults(const Request& request, const std::vector<Output>& outputs,
                            const ScheduleResult& schedule, const StripInputs& strip,
                            const std::string& summary, const Interruption& interruption, std::ostream& err);
    // The message and status of a command that a signal stopped.
    static int interrupted(const Interruption& interruption, std::ostream& err);
};

} // namespace rollbite
