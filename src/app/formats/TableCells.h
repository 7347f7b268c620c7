#pragma once

#include <string>
#include <vector>

namespace rollbite {

// The cells of a table a spreadsheet or a historian writes (a schedule file, a mill log): fields separated
// by tabs when a line holds one (an empty cell is a value not given), else by commas (CSV, a cell in double
// quotes when it holds the separator), else by blanks;
// a header cell may carry a unit in brackets, "Force_limit [MN]"; and a cell as a message shows it.
class TableCells {
public:
    // The cells of one line, each trimmed; cells left empty at the end of a row are no columns.
    static std::vector<std::string> cellsOf(const std::string& line);
    // Likewise split at `separator` (the header's, for every row of a table).
    static std::vector<std::string> cellsOf(const std::string& line, char separator);
    // What separates them: a tab when the line holds one, else a comma when it holds one, else blanks.
    static char separatorOf(const std::string& line);
    // The cells of a header row from the second on, a unit in brackets joined to its name: a
    // blank-separated row splits "Torque_limit (kN m)" into three cells.
    static std::vector<std::string> headerCells(const std::vector<std::string>& cells);
    // "Force_limit [MN]" or "Force_limit (MN)": the name and the unit; no brackets: the cell and no unit.
    static void splitUnit(const std::string& cell, std::string& name, std::string& unit);
    // A cell as a message shows it: text as written, other bytes (and a byte-order mark) as \xNN, a long
    // cell cut.
    static std::string shown(const std::string& cell);
    // Removes UTF-8's byte-order mark, which some editors put before a file's first line.
    static void dropByteOrderMark(std::string& line);
};

} // namespace rollbite
