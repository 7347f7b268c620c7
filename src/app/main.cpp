// rollbite: roll-bite calculator for the flat rolling of steel strip. The console dialogue asks for the
// mode, the rheology and the files; results go to the exit file, one row per case.
#include "app/Console.h"
#include "app/ConsoleDriver.h"
#include "app/ThreadCount.h"

#include <cstdlib>
#include <iostream>

int main() {
    int threads = rollbite::ThreadCount::ofMachine();
    const char* requested = std::getenv("ROLLBITE_THREADS");
    if (requested != nullptr && !rollbite::ThreadCount::parse(requested, threads)) {
        std::cerr << "rollbite: ROLLBITE_THREADS must be a whole number from 1 to "
                  << rollbite::ThreadCount::kMax << ", not \"" << requested << "\"\n";
        return 1;
    }
    rollbite::Console console{std::cin, std::cout, std::cerr};
    return rollbite::ConsoleDriver(console, threads).run();
}
