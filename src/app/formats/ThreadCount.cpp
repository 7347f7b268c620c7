#include "app/formats/ThreadCount.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sched.h>
#include <thread>

namespace rollbite {

bool ThreadCount::parse(const char* text, int& count) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > kMax) {
        return false;
    }
    count = static_cast<int>(value);
    return true;
}

bool ThreadCount::fromEnvironment(int& count, std::string& error) {
    count = ofMachine();
    const char* requested = std::getenv("ROLLBITE_THREADS");
    if (requested != nullptr && !parse(requested, count)) {
        error = "ROLLBITE_THREADS must be a whole number from 1 to " + std::to_string(kMax) + ", not \"" +
                requested + "\"";
        return false;
    }
    return true;
}

int ThreadCount::ofMachine() {
    // The cores this process may run on (a container or taskset may allow fewer than the machine has).
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    int cores = 0;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        cores = CPU_COUNT(&allowed);
    }
    if (cores <= 0) {
        cores = static_cast<int>(std::thread::hardware_concurrency());
    }
    return std::clamp(cores, 1, kMax);
}

} // namespace rollbite
