#include "app/ThreadCount.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

int ThreadCount::ofMachine() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMax);
}

} // namespace rollbite
