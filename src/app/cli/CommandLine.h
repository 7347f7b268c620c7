#pragma once

#include "app/cli/Arguments.h"
#include "app/formats/LawColumns.h"
#include "app/run/SensitivityTable.h"
#include "rollbite/model/LawCatalogue.h"

#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

// rollbite with arguments: one run of a mode and a rheology on files named on the command line, with the
// dialogue's checks as messages, a progress line on a terminal, a summary line and an optional why file
// (the exit file is byte for byte the one the dialogue writes for the same answers); or the profile of
// one case (`rollbite profile`). Options may stand anywhere, before or after the command.
class CommandLine {
public:
    static constexpr int kUsageError = 2;

    // `arguments` without the program name. Returns the exit status: 0 when the entry file was processed,
    // 1 for a run that could not start or stopped (a message on `err`), 2 for a usage error, 128 + the
    // signal's number for a run that SIGINT, SIGTERM or SIGHUP stopped.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
    // The same, with the laws --law may name: the built-in ones and a program's own.
    static int run(const std::vector<std::string>& arguments, const LawCatalogue& laws, std::ostream& out,
                   std::ostream& err);

private:
    struct Request {
        int mode = -1;
        int rheology = -1;
        std::string entry;
        std::string exit;
        std::string coefficients;
        std::string why;
        std::string sensitivities; // the sensitivity table, or empty
        SensitivityOptions sensitivityOptions;
        int threads = 0; // 0: ROLLBITE_THREADS, else one per core
        bool force = false;
        bool quiet = false;
        bool dryRun = false;
        const FlowStressLaw* law = nullptr; // --law: the run's law, with its columns
        LawColumns lawColumns;
    };

    // The mode and rheology of `arguments`, shared by the runs and the profile. False with the message.
    static bool parseKinds(const Arguments& arguments, int& mode, int& rheology, std::string& error);
    // --law NAME (from `laws`), --parameters and --extrapolate into the law and its columns (both left
    // as they are without --law). False with the message.
    static bool parseLaw(const Arguments& arguments, const LawCatalogue& laws, const FlowStressLaw*& law,
                         LawColumns& columns, std::string& error);
    // Fills the request of a run; false with the message in `error` for a usage error.
    static bool parseRun(const Arguments& arguments, const LawCatalogue& laws, Request& request,
                         std::string& error);
    static bool parseSensitivities(const Arguments& arguments, Request& request, std::string& error);
    static int execute(const Request& request, std::ostream& out, std::ostream& err);
    static int profile(const Arguments& arguments, const LawCatalogue& laws, std::ostream& out,
                       std::ostream& err);
};

} // namespace rollbite
