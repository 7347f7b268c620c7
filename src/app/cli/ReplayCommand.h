#pragma once

#include "app/cli/Arguments.h"
#include "app/formats/LawColumns.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/LawCatalogue.h"
#include "rollbite/model/MillLearner.h"

#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

class Interruption;
class MillLog;
class StagedFiles;

// rollbite replay LOG: a mill's log replayed coil by coil through the learner (docs/learning.md): each
// coil predicted from what the coils before it taught, then learnt from; the table of predictions and
// errors into --out, the state after the last coil into --state (from which the next replay goes on),
// both all together or not at all; a summary of the errors, frozen against adapted, on standard error.
class ReplayCommand {
public:
    static const std::vector<Arguments::Option>& options();

    // `arguments` parsed by the command line, the operands starting with "replay". The exit status: 0
    // when the log was replayed and every file written, 1 when it could not be (a message on `err`), 2
    // for a usage error, 128 + the signal's number when a signal stopped it (nothing written).
    // `laws` are those --law may name.
    static int run(const Arguments& arguments, const LawCatalogue& laws, std::ostream& err);

private:
    struct Request {
        std::string log; // "-" for standard input
        RheologyKind rheology = kSmatchRheology;
        const FlowStressLaw* law = nullptr; // with kLawRheology
        LawColumns lawColumns;              // the law and the values given for the whole run
        std::vector<std::string> classKey;
        std::string state; // read when it exists, written after the replay; empty for none
        std::string out;
        LearnerSettings settings;
        int threads = 0;
        bool force = false;
        bool quiet = false;
    };

    static bool parse(const Arguments& arguments, const LawCatalogue& laws, Request& request,
                      std::string& error);
    static bool parseSettings(const Arguments& arguments, LearnerSettings& settings, std::string& error);
    // The state to start from: none when the file is missing or empty. False, with the message.
    static bool readState(const Request& request, LearnerState& state, bool& found, std::ostream& err);
    static bool checkOutputs(const Request& request, std::ostream& err);
    // The table and the state file, in this order, to be staged and locked.
    static void addOutputs(const Request& request, StagedFiles& files);
    static int writeOutputs(const Request& request, StagedFiles& files, const std::string& table,
                            const std::string& state, std::ostream& err);
    // A state none of whose stands the log names was most likely learnt on another mill.
    static void warnOfOtherStands(const LearnerState& state, const MillLog& log, std::ostream& err);
};

} // namespace rollbite
