// rollbite: roll-bite calculator for the flat rolling of steel strip. Without arguments the console
// dialogue asks for the mode, the rheology and the files; with them, the command line names them. Results
// go to the exit file, one row per case.
#include "app/cli/CommandLine.h"
#include "app/dialogue/Console.h"
#include "app/dialogue/ConsoleDriver.h"
#include "app/formats/ThreadCount.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, which the run handles as it does a
    // full disk (the file cut back to its last whole row, one line, status 1), instead of being killed
    // with a row torn.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc > 1) {
        return rollbite::CommandLine::run(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                          std::cerr);
    }
    int threads = 1;
    std::string error;
    if (!rollbite::ThreadCount::fromEnvironment(threads, error)) {
        std::cerr << "rollbite: " << error << "\n";
        return 1;
    }
    rollbite::Console console{std::cin, std::cout, std::cerr};
    return rollbite::ConsoleDriver(console, threads).run();
}
