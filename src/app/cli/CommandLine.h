#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

// rollbite with arguments: one run of a mode and a rheology on files named on the command line, with the
// dialogue's checks as messages, a progress line on a terminal, a summary line and an optional why file.
// The exit file is byte for byte the one the dialogue writes for the same answers.
class CommandLine {
public:
    static constexpr int kUsageError = 2;

    // `arguments` without the program name. Returns the exit status: 0 when the entry file was processed,
    // 1 for a run that could not start or stopped (a message on `err`), 2 for a usage error.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

private:
    struct Request {
        int mode = -1;
        int rheology = -1;
        std::string entry;
        std::string exit;
        std::string coefficients;
        std::string why;
        int threads = 0; // 0: ROLLBITE_THREADS, else one per core
        bool force = false;
        bool quiet = false;
        bool dryRun = false;
    };

    // Fills the request; false with the message in `error` for a usage error.
    static bool parse(const std::vector<std::string>& arguments, Request& request, std::string& error);
    static int execute(const Request& request, std::ostream& out, std::ostream& err);
};

} // namespace rollbite
