#pragma once

#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace rollbite {

// A number as the files rollbite writes for reading back hold it: the fewest digits that read back to the
// same double (a schedule's table, the passes it built, a replay's table and state).
class ExactNumber {
public:
    // The text; empty for NaN, a value not given.
    static std::string text(double value) {
        if (std::isnan(value)) {
            return {};
        }
        char digits[32];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        return std::string(digits, written.ptr);
    }
};

} // namespace rollbite
