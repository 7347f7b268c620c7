#pragma once

#include "app/formats/LawColumns.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/MillLearner.h"

#include <istream>
#include <string>
#include <vector>

namespace rollbite {

// A mill's log as its historian exports it: tab-separated or CSV text, a header row naming the columns in
// any order (each with an optional unit in brackets, "Force [MN]"), then one row per coil and stand, in
// rolling order. A coil's rows follow one another; its product class is the values of the class key's
// columns. The pass as set up, what was measured and the roll changes come from the columns of `columns`;
// other columns are left alone. Blank lines and lines starting with # are skipped.
class MillLog {
public:
    struct Coil {
        std::string id;
        long long line = 0; // of its first row: the header is line 1
        std::vector<StandPass> stands;
    };
    struct Column {
        const char* name;
        const char* unit;
        bool required;
    };

    // Reads the whole stream. False when anything is wrong or missing; `errors` then says every such
    // thing, naming the line, the coil, the stand and the column. Without a class key, a column Class
    // when there is one, else one class for every coil. With kLawRheology, `law` holds the law and the
    // values given for the whole run; the log's columns named as its parameters and conditions give the
    // rest (a law of strain rate without Strip_speed takes the Roll_surface_speed).
    bool read(std::istream& file, RheologyKind rheology, const std::vector<std::string>& classKey,
              const LawColumns* law = nullptr);
    const std::vector<Coil>& coils() const { return coils_; }
    const std::vector<std::string>& errors() const { return errors_; }

    // The columns a log of the rheology has, with their units: the identifiers, the pass as set up, the
    // measurements and the roll change.
    static std::vector<Column> columns(RheologyKind rheology);

private:
    struct Place {
        int index = -1; // of the column in a row, -1 when the log has none
        std::string unit;
    };

    void readHeader(const std::vector<std::string>& cells);
    void readRow(const std::vector<std::string>& cells, char separator);
    // The value of a column in a row, in the column's unit: false (with the error) when it cannot be read,
    // and NaN, true, when it is not given.
    bool valueOf(const std::vector<std::string>& cells, const Column& column, const std::string& where,
                 double& value);
    // A name (coil, stand, class) goes into a tab-separated table: false (with the error) when it holds a
    // tab.
    bool tabFree(const std::string& cell, const std::string& column, const std::string& where);
    // The coil's class from the key's columns; false (with the error) when a value is missing.
    bool readClass(const std::vector<std::string>& cells, const std::string& where,
                   std::string& productClass);
    // The speeds given are positive, both given when the slip is not, and the slip one a pass can have.
    void checkSlip(const std::vector<double>& values, const std::string& where);
    void addToCoil(const std::string& id, const StandPass& pass, const std::string& where);
    // The law's columns among the header's; false (with the error) for one in a unit of no such value.
    void readLawHeader(const std::vector<std::string>& names, const std::vector<std::string>& units);
    // The law's values of a row into the pass; false (with the error) for one that is not a number.
    bool readLawValues(const std::vector<std::string>& cells, const std::string& where, double rollSpeed,
                       CaseInputs& setup);
    void error(const std::string& message);

    RheologyKind rheology_ = kConstantRheology;
    LawColumns law_;             // with a law: its columns in the log
    std::vector<int> lawPlaces_; // the index in a row of each of the law's columns
    std::vector<std::string> classKey_;
    std::vector<std::string> header_;
    std::vector<Place> places_; // per column of `columns`
    std::vector<int> classPlaces_;
    std::vector<Coil> coils_;
    std::vector<std::string> errors_;
    long long line_ = 0;
    bool inRows_ = false;
    char separator_ = '\t'; // the header's: every row is split at it
};

} // namespace rollbite
