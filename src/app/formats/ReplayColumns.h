#pragma once

#include "rollbite/model/MillLearner.h"

#include <string>
#include <vector>

namespace rollbite {

// One column of a replay's table: its name, its unit and its value for a stand of a coil. The table of
// rollbite replay --out, the columns of Python's frame and the docs come from this one table.
struct ReplayColumn {
    enum class Kind { Text, Number, Flag };
    const char* name;
    const char* unit;
    Kind kind;
    double (*number)(const StandReplay& said, const StandPass& pass);      // Number and Flag
    std::string (*text)(const StandReplay& said, const std::string& coil); // Text
};

class ReplayColumns {
public:
    static const ReplayColumn* begin();
    static const ReplayColumn* end();
    // The header row, without its line feed.
    static std::string header();
    // The row of a stand of a coil, with its line feed: numbers with the fewest digits that read back to
    // the same double, an empty cell for a value not given, flags 0 or 1.
    static void appendRow(const StandReplay& said, const StandPass& pass, const std::string& coil,
                          std::string& text);
};

} // namespace rollbite
