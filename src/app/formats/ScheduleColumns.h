#pragma once

#include "rollbite/model/ScheduleResult.h"

#include <string>

namespace rollbite {

// One column of a schedule's table: its name, its unit, its value for a stand, and how the readable table
// prints it. The readable table, the tab-separated file, the columns of Python's frame and the docs come
// from this one table.
struct ScheduleColumn {
    const char* name;
    const char* unit; // empty for a text or a ratio
    double (*value)(const StandResult& stand);
    const char* format; // printf format of the readable table; nullptr: not in the readable table
    // The column's total over the stands, in the last row; nullptr for a column without one.
    double ScheduleResult::*total;
};

class ScheduleColumns {
public:
    static constexpr const char* kStandName = "Stand"; // the first column: the stand's name
    static constexpr const char* kTotalRow = "Total";  // the name of the last row

    static const ScheduleColumn* begin();
    static const ScheduleColumn* end();
    // The columns a schedule with the thermal chain has besides, after them.
    static const ScheduleColumn* thermalBegin();
    static const ScheduleColumn* thermalEnd();

    // The tab-separated table: a header row of the names, one row per stand, then the row of totals
    // (empty cells where a column has none). Numbers with the fewest digits that read back to the same
    // value; a value not given (a share without a limit) is an empty cell.
    static std::string tabSeparated(const ScheduleResult& schedule);
    // The header row of the tab-separated table (with the thermal chain's columns), without its line feed.
    static std::string header(bool thermal = false);
    // The table for a terminal: the readable columns that some stand has a value of, aligned, their units
    // under their names, and the row of totals. A share above 100 % is marked "!" and a line says so.
    static std::string readable(const ScheduleResult& schedule);
    // True when the readable table of the schedule shows the column.
    static bool shownIn(const ScheduleColumn& column, const ScheduleResult& schedule);
};

} // namespace rollbite
