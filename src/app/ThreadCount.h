#pragma once

namespace rollbite {

// How many threads solve the cases of a run: the value of the environment variable ROLLBITE_THREADS
// when it is set, else one per core the process may run on.
class ThreadCount {
public:
    static constexpr int kMax = 256;

    // False (and `count` untouched) unless `text` is a whole number from 1 to kMax.
    static bool parse(const char* text, int& count);
    static int ofMachine();
};

} // namespace rollbite
