// Fuzz target: one case line with one coefficient record, in each mode and rheology, through parsing,
// the input checks, the solve and the written row. The first byte picks the mode and rheology; the bytes
// up to the first line feed are the case line, the rest is the coefficient record (its line feeds become
// blanks so that it stays one line).
#include "RunCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t lineEnd = std::min(text.find('\n'), text.size());
    const std::string caseLine = text.substr(0, lineEnd);
    std::string record = lineEnd < text.size() ? text.substr(lineEnd + 1) : std::string();
    std::replace(record.begin(), record.end(), '\n', ' ');
    rollbite::fuzz::RunCheck(data[0], "header\n" + caseLine + "\n", "header\n" + record + "\n").runAndCheck();
    return 0;
}
