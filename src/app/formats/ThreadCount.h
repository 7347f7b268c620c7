#pragma once

#include <string>

namespace rollbite {

// How many threads solve the cases of a run: the value of the environment variable ROLLBITE_THREADS
// when it is set, else one per core the process may run on.
class ThreadCount {
public:
    static constexpr int kMax = 256;

    // False (and `count` untouched) unless `text` is a whole number from 1 to kMax.
    static bool parse(const char* text, int& count);
    static int ofMachine();
    // ROLLBITE_THREADS when it is set, else ofMachine(). False, with the message in `error`, when the
    // variable holds anything but a whole number from 1 to kMax.
    static bool fromEnvironment(int& count, std::string& error);
};

} // namespace rollbite
