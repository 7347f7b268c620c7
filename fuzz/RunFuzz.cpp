// Fuzz target: a whole run on a fuzzed entry file and coefficient file. The first byte picks the mode
// and rheology, the next two give the length of the entry file; the remaining bytes are the coefficient
// file.
#include "RunCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kPrefix = 3;
    if (size < kPrefix) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + kPrefix, size - kPrefix);
    const std::size_t entryLength = std::min<std::size_t>(data[1] | (data[2] << 8), text.size());
    rollbite::fuzz::RunCheck(data[0], text.substr(0, entryLength), text.substr(entryLength)).runAndCheck();
    return 0;
}
