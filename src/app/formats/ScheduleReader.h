#pragma once

#include "rollbite/model/ScheduleInputs.h"

#include <istream>
#include <string>
#include <vector>

namespace rollbite {

// A schedule file: the strip, one field a line ("Width 1250 mm": name, value, an optional unit), then
// the stand table, whose header row starts with "Stand" and names its columns, one stand a row. Blank
// lines and lines starting with # are skipped. Fields are separated by tabs when a line holds one (an
// empty cell is then a value not given), else by commas, else by blanks, so that a spreadsheet's
// tab-separated or CSV text reads as written; "-" is a value not given too.
class ScheduleReader {
public:
    struct Schedule {
        StripInputs strip;
        std::vector<StandInputs> stands;
    };

    // Reads the whole stream. False when anything is wrong or missing; `errors` then says every such
    // thing, one message each, naming the line, the stand and the field.
    bool read(std::istream& file, Schedule& schedule);
    const std::vector<std::string>& errors() const { return errors_; }

    // The cells of one line.
    static std::vector<std::string> cellsOf(const std::string& line);

private:
    void readStripLine(const std::vector<std::string>& cells);
    void readHeader(const std::vector<std::string>& cells);
    void readStand(const std::vector<std::string>& cells);
    void checkComplete();
    void error(const std::string& message, bool withLine = true);

    Schedule* schedule_ = nullptr;
    std::vector<std::string> errors_;
    std::vector<std::string> stripGiven_;
    std::vector<std::string> columns_;     // of the stand table, after Stand
    std::vector<std::vector<bool>> given_; // per stand, per column
    bool rheologyGiven_ = false;
    bool inTable_ = false;
    long long line_ = 0;
};

} // namespace rollbite
