// rollbite: roll-bite calculator for the flat rolling of steel strip. The console dialogue asks for the
// mode, the rheology and the files; results go to the exit file, one row per case.
#include "app/Console.h"
#include "app/ConsoleDriver.h"

#include <iostream>

int main() {
    rollbite::Console console{std::cin, std::cout, std::cerr};
    return rollbite::ConsoleDriver(console).run();
}
