#pragma once

#include "app/formats/ScheduleFields.h"
#include "rollbite/model/LawCatalogue.h"
#include "rollbite/model/ScheduleInputs.h"

#include <istream>
#include <string>
#include <vector>

namespace rollbite {

// A schedule file: the strip, one field a line ("Width 1250 mm": name, value, an optional unit), then
// the stand table, whose header row starts with "Stand" and names its columns (each with an optional
// unit in brackets, "Force_limit [MN]"), one stand a row. A value is converted from the unit written to
// the field's own (Units); another unit is refused. Blank lines and lines starting with # are skipped;
// a byte-order mark before the first line is no part of it. Fields are separated by tabs when a line
// holds one (an empty cell is then a value not given), else by commas, else by blanks, so that a
// spreadsheet's tab-separated or CSV text reads as written; "-" is a value not given too. Every stand
// row names its stand, and no two the same.
class ScheduleReader {
public:
    // With the laws a "Law NAME" line may name (they must outlive the schedules read); none without.
    explicit ScheduleReader(const LawCatalogue* laws = nullptr) : laws_(laws) {}

    struct Schedule {
        StripInputs strip;
        std::vector<StandInputs> stands;
    };

    // Reads the whole stream. False when anything is wrong or missing; `errors` then says every such
    // thing, one message each, naming the line, the stand and the field.
    bool read(std::istream& file, Schedule& schedule);
    const std::vector<std::string>& errors() const { return errors_; }

private:
    void readStripLine(const std::vector<std::string>& cells);
    // The Law line; false when the line is none.
    bool readLawLine(const std::vector<std::string>& cells);
    // A parameter of the strip's law, or its factor; false when the line is none.
    bool readLawParameter(const std::vector<std::string>& cells);
    void checkLawComplete();
    // True when `name` is a parameter of the strip's law (Misaka's C is no chemistry of WS18's).
    bool namesLawParameter(const std::string& name) const;
    // Whether a stand's field is required: by its table, and with a law the temperatures when it reads them.
    bool requiredStandField(const StandField& field) const;
    void readHeader(const std::vector<std::string>& cells);
    // A column's name and its unit from a header cell: "Force_limit [MN]", "Force_limit (MN)".
    void readColumn(const std::string& cell);
    void readStand(const std::vector<std::string>& cells, char separator);
    // The message for a value of `what` given in a unit its field does not take.
    static std::string unitError(const std::string& what, const std::string& unit, const char* fieldUnit);
    void checkComplete();
    void error(const std::string& message, bool withLine = true);

    const LawCatalogue* laws_;
    Schedule* schedule_ = nullptr;
    std::vector<std::string> errors_;
    std::vector<std::string> stripGiven_;
    std::vector<std::string> columns_;     // of the stand table, after Stand
    std::vector<std::string> columnUnits_; // the unit each column's values are written in
    std::vector<long long> standLines_;    // the line of each stand
    std::vector<std::vector<bool>> given_; // per stand, per column
    bool rheologyGiven_ = false;
    bool inTable_ = false;
    long long line_ = 0;
};

} // namespace rollbite
