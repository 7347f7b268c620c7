#pragma once

#include <istream>
#include <ostream>

namespace rollbite {

// The three console streams of a run: answers come in, prompts go out, and a missing answer is reported
// on the error stream.
struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

} // namespace rollbite
