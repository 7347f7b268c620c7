#pragma once

#include "app/dialogue/Console.h"

#include <string>

namespace rollbite {

// The start-up dialogue: computation mode, then rheology, then one run of the chosen mode.
class ConsoleDriver {
public:
    // `threadCount` threads solve the cases of the run (1: all on the calling thread).
    explicit ConsoleDriver(const Console& console, int threadCount = 1);

    // The program's exit status: 0 when the run processed its entry file, 1 when the console input ended
    // before every answer was given or the run could not start.
    int run();

private:
    // Asks until the answer is one of `accepted` (the whole line, case-sensitive). False when the input
    // ends first.
    bool ask(const char* prompt, const char* question, const std::string& accepted, char& answer);

    Console console_;
    int threadCount_;
};

} // namespace rollbite
