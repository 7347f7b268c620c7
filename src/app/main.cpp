// rollbite: roll-bite calculator for the flat rolling of steel strip. Without arguments the console
// dialogue asks for the mode, the rheology and the files; with them, the command line names them. Results
// go to the exit file, one row per case.
#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/ConsoleDriver.h"
#include "app/ThreadCount.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
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
