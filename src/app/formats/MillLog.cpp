#include "app/formats/MillLog.h"

#include "app/formats/FieldReader.h"
#include "app/formats/TableCells.h"
#include "app/formats/Units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace rollbite {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kCoil = "Coil";
constexpr const char* kStand = "Stand";
constexpr const char* kDefaultClass = "Class";
constexpr const char* kNotGiven = "-";
constexpr double kPercent = 100.0;
// The strip a mill rolls, as a schedule takes it (mm).
constexpr double kNarrowestStrip = 100.0;
constexpr double kWidestStrip = 5000.0;
// A forward slip beyond these (%) is a wrong speed or a wrong unit: no pass slips so.
constexpr double kLowestSlip = -50.0;
constexpr double kHighestSlip = 100.0;
constexpr const char* kClassJoint = "/"; // between the values of the class key's columns

// The columns of a log; their order here is the order of the places below.
enum ColumnIndex {
    kWidth,
    kEntryThickness,
    kExitThickness,
    kEntryTension,
    kExitTension,
    kRollDiameter,
    kRollModulus,
    kOffset,
    kFriction,
    kForce,
    kSlip,
    kRollSpeed,
    kExitSpeed,
    kTorque,
    kRollChange,
    kCoefficientA,
    kCoefficientB,
    kCoefficientC,
    kCoefficientD,
};

constexpr MillLog::Column kColumns[] = {
    {"Width", "mm", true},
    {"Entry_thickness", "mm", true},
    {"Exit_thickness", "mm", true},
    {"Entry_tension", "MPa", true},
    {"Exit_tension", "MPa", true},
    {"Working_roll_diameter", "mm", true},
    {"Young_modulus_WR", "MPa", true},
    {"Offset_yield_stress", "MPa", true},
    {"Friction_coefficient", "", true},
    {"Force", "kN", true},
    {"Forward_slip", "%", false},
    {"Roll_surface_speed", "m/s", false},
    {"Exit_speed", "m/s", false},
    {"Torque", "kN m", false},
    {"Roll_change", "", false},
    {"Coefficient_A", "MPa", true},
    {"Coefficient_B", "MPa", true},
    {"Coefficient_C", "", true},
    {"Coefficient_D", "", true},
};
constexpr int kRollingColumns = kCoefficientA; // the columns every rheology has

int columnCount(RheologyKind rheology) {
    return rheology == kSmatchRheology ? static_cast<int>(std::size(kColumns)) : kRollingColumns;
}

} // namespace

std::vector<MillLog::Column> MillLog::columns(RheologyKind rheology) {
    std::vector<Column> columns{{kCoil, "", true}, {kStand, "", true}};
    columns.insert(columns.end(), std::begin(kColumns), std::begin(kColumns) + columnCount(rheology));
    return columns;
}

void MillLog::error(const std::string& message) {
    errors_.push_back("line " + std::to_string(line_) + ": " + message);
}

bool MillLog::read(std::istream& file, RheologyKind rheology, const std::vector<std::string>& classKey,
                   const LawColumns* law) {
    rheology_ = rheology;
    law_ = law != nullptr ? *law : LawColumns();
    lawPlaces_.clear();
    if (rheology == kLawRheology && law == nullptr) {
        errors_ = {"no flow-stress law"};
        return false;
    }
    classKey_ = classKey;
    header_.clear();
    places_.assign(static_cast<std::size_t>(columnCount(rheology)), Place());
    classPlaces_.clear();
    coils_.clear();
    errors_.clear();
    line_ = 0;
    inRows_ = false;
    for (std::string line; std::getline(file, line);) {
        if (++line_ == 1) {
            TableCells::dropByteOrderMark(line);
        }
        // Every row is split as the header is: a comma inside a row of a tab-separated log is no separator.
        const std::vector<std::string> cells =
            inRows_ && separator_ != ' ' ? TableCells::cellsOf(line, separator_) : TableCells::cellsOf(line);
        if (cells.empty() || (!cells[0].empty() && cells[0][0] == '#')) {
            continue;
        }
        if (inRows_) {
            readRow(cells, separator_ != ' ' ? separator_ : TableCells::separatorOf(line));
        } else {
            separator_ = TableCells::separatorOf(line);
            readHeader(cells);
        }
    }
    if (file.bad()) {
        errors_.push_back("the log could not be read to its end");
    }
    if (!inRows_) {
        errors_.push_back("no header row: a log starts with a row naming its columns (Coil, Stand, ...)");
    } else if (coils_.empty() && errors_.empty()) {
        errors_.push_back("no coils: the log has a header row and no row after it");
    }
    return errors_.empty();
}

void MillLog::readHeader(const std::vector<std::string>& cells) {
    inRows_ = true;
    std::vector<std::string> names{cells.front()};
    const std::vector<std::string> rest = TableCells::headerCells(cells);
    names.insert(names.end(), rest.begin(), rest.end());
    std::vector<std::string> units;
    for (std::size_t k = 0; k < names.size(); ++k) {
        std::string name;
        std::string unit;
        TableCells::splitUnit(names[k], name, unit);
        units.push_back(unit);
        if (std::find(header_.begin(), header_.end(), name) != header_.end()) {
            error("the log has column " + TableCells::shown(name) + " twice");
        }
        header_.push_back(name);
        for (std::size_t c = 0; c < places_.size(); ++c) {
            double converted = 0.0;
            if (name != kColumns[c].name) {
                continue;
            }
            if (!Units::convert(1.0, unit, kColumns[c].unit, converted)) {
                error("the column " + name + " is in '" + TableCells::shown(unit) +
                      "', which is no unit of it: " + Units::accepted(kColumns[c].unit));
            }
            places_[c] = {static_cast<int>(k), unit};
        }
    }
    for (const Column& column : columns(rheology_)) {
        if (column.required && std::find(header_.begin(), header_.end(), column.name) == header_.end()) {
            error(std::string("the log has no column ") + column.name);
        }
    }
    if (rheology_ == kLawRheology) {
        readLawHeader(header_, units);
    }
    const bool defaultClass = classKey_.empty();
    if (defaultClass && std::find(header_.begin(), header_.end(), kDefaultClass) != header_.end()) {
        classKey_.push_back(kDefaultClass);
    }
    for (const std::string& name : classKey_) {
        const auto at = std::find(header_.begin(), header_.end(), name);
        if (at == header_.end()) {
            error("the log has no column " + TableCells::shown(name) + " of the class key");
        }
        classPlaces_.push_back(static_cast<int>(at - header_.begin()));
    }
}

bool MillLog::valueOf(const std::vector<std::string>& cells, const Column& column, const std::string& where,
                      double& value) {
    value = kNaN;
    const auto c = static_cast<std::size_t>(&column - kColumns);
    const int index = places_[c].index;
    const std::string cell = index >= 0 && static_cast<std::size_t>(index) < cells.size()
                                 ? cells[static_cast<std::size_t>(index)]
                                 : std::string();
    if (index < 0 && column.required) {
        return false; // the header's error says it once
    }
    if (cell.empty() || cell == kNotGiven) {
        if (column.required) {
            error(where + ": " + column.name + " is missing");
            return false;
        }
        return true;
    }
    double read = 0.0;
    if (!FieldReader::parseDouble(cell, read) || !std::isfinite(read)) {
        error(where + ": " + column.name + " '" + TableCells::shown(cell) + "' is not a number");
        return false;
    }
    Units::convert(read, places_[c].unit, column.unit, value); // a unit refused is told with the header
    return true;
}

void MillLog::readLawHeader(const std::vector<std::string>& names, const std::vector<std::string>& units) {
    const FlowStressLaw& law = *law_.law();
    std::vector<std::string> found;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (!law_.knows(names[k])) {
            continue; // a column of the pass or the mill, or left alone
        }
        // A law's own unit, or none: a law's parameter in another unit would be another law.
        const std::string lawUnit = LawColumns::unitOf(law, names[k]);
        if (!units[k].empty() && units[k] != lawUnit) {
            error("the column " + names[k] + " is in '" + TableCells::shown(units[k]) + "', not in " +
                  (lawUnit.empty() ? "no unit" : "'" + lawUnit + "'") + " as the law " + law.name() +
                  " takes it");
        }
        found.push_back(names[k]);
        lawPlaces_.push_back(static_cast<int>(k));
    }
    // The strip's speed of a law of strain rate may come from the roll surface speed.
    const bool rollSpeed = std::find(names.begin(), names.end(), kColumns[kRollSpeed].name) != names.end();
    std::string wrong;
    if (!law_.setColumns(found, wrong,
                         rollSpeed ? std::vector<std::string>{"Strip_speed"} : std::vector<std::string>{})) {
        error("the log is no log of the law " + law.name() + ": " + wrong);
        lawPlaces_.clear(); // no row reads the law's columns then
    }
}

bool MillLog::readLawValues(const std::vector<std::string>& cells, const std::string& where, double rollSpeed,
                            CaseInputs& setup) {
    law_.startCase(setup);
    bool readable = true;
    for (std::size_t k = 0; k < lawPlaces_.size(); ++k) {
        const auto index = static_cast<std::size_t>(lawPlaces_[k]);
        const std::string cell = index < cells.size() ? cells[index] : std::string();
        double value = 0.0;
        if (cell.empty() || cell == kNotGiven) {
            error(where + ": " + law_.name(static_cast<int>(k)) + " is missing");
            readable = false;
        } else if (!FieldReader::parseDouble(cell, value) || !std::isfinite(value)) {
            error(where + ": " + law_.name(static_cast<int>(k)) + " '" + TableCells::shown(cell) +
                  "' is not a number");
            readable = false;
        } else {
            law_.assign(static_cast<int>(k), value, setup);
        }
    }
    // The strip leaves the bite at about the roll's speed: what a law of strain rate needs, when not given.
    if (setup.Strip_speed == 0.0 && std::isfinite(rollSpeed)) {
        setup.Strip_speed = rollSpeed;
    }
    return readable;
}

void MillLog::readRow(const std::vector<std::string>& cells, char separator) {
    const auto cellAt = [&cells](std::size_t k) { return k < cells.size() ? cells[k] : std::string(); };
    const std::string id =
        cellAt(static_cast<std::size_t>(std::find(header_.begin(), header_.end(), kCoil) - header_.begin()));
    const std::string stand =
        cellAt(static_cast<std::size_t>(std::find(header_.begin(), header_.end(), kStand) - header_.begin()));
    const std::string where = "coil " + TableCells::shown(id) + ", stand " + TableCells::shown(stand);
    if (id.empty() || stand.empty()) {
        error(id.empty() ? "a row without its coil"
                         : "coil " + TableCells::shown(id) + ": a row without its stand");
        return;
    }
    if (!tabFree(id, kCoil, where) || !tabFree(stand, kStand, where)) {
        return;
    }
    if (separator != '\t' && cells.size() < header_.size()) {
        error(where + ": " + std::to_string(cells.size()) + " values, but the header row names " +
              std::to_string(header_.size()) + " columns (a value not given is written -)");
        return;
    }
    StandPass pass;
    pass.stand = stand;
    if (!readClass(cells, where, pass.productClass)) {
        return;
    }
    std::vector<double> values(places_.size(), kNaN);
    bool readable = true;
    for (std::size_t c = 0; c < places_.size(); ++c) {
        readable = valueOf(cells, kColumns[c], where, values[c]) && readable;
    }
    if (!readable) {
        return;
    }
    CaseInputs& setup = pass.setup;
    setup.Case_id = static_cast<std::int32_t>(coils_.size() + 1);
    setup.Entry_thickness = values[kEntryThickness];
    setup.Exit_thickness = values[kExitThickness];
    setup.Entry_tension = values[kEntryTension];
    setup.Exit_tension = values[kExitTension];
    setup.Working_roll_diameter = values[kRollDiameter];
    setup.Young_modulus_WR = values[kRollModulus];
    setup.Offset_yield_stress = values[kOffset];
    setup.Friction_coefficient = values[kFriction];
    for (int k = 0; k + kCoefficientA < static_cast<int>(values.size()); ++k) {
        setup.coefficients[static_cast<std::size_t>(k)] = values[static_cast<std::size_t>(kCoefficientA + k)];
    }
    if (rheology_ == kLawRheology && !readLawValues(cells, where, values[kRollSpeed], setup)) {
        return;
    }
    pass.width = values[kWidth];
    pass.measuredForce = values[kForce];
    // The forward slip as measured, or from the speeds it comes from.
    pass.measuredSlip = !std::isnan(values[kSlip])
                            ? values[kSlip]
                            : (values[kExitSpeed] / values[kRollSpeed] - 1.0) * kPercent;
    checkSlip(values, where);
    pass.measuredTorque = values[kTorque];
    const double change = values[kRollChange];
    if (!std::isnan(change) && change != 0.0 && change != 1.0) {
        error(where + ": Roll_change must be 1 (new work rolls before this coil) or 0, not " +
              TableCells::shown(cellAt(static_cast<std::size_t>(places_[kRollChange].index))));
    }
    pass.rollChange = change == 1.0;
    if (!(pass.width >= kNarrowestStrip && pass.width <= kWidestStrip)) {
        error(where + ": Width is not in [100, 5000] mm");
    }
    if (!(pass.measuredForce > 0.0)) {
        error(where + ": Force must be positive (kN)");
    }
    addToCoil(id, pass, where);
}

bool MillLog::tabFree(const std::string& cell, const std::string& column, const std::string& where) {
    if (cell.find('\t') == std::string::npos) {
        return true;
    }
    error(where + ": " + column + " '" + TableCells::shown(cell) +
          "' holds a tab, which the table's rows cannot");
    return false;
}

bool MillLog::readClass(const std::vector<std::string>& cells, const std::string& where,
                        std::string& productClass) {
    productClass.clear();
    for (std::size_t k = 0; k < classPlaces_.size(); ++k) {
        const auto index = static_cast<std::size_t>(classPlaces_[k]);
        const std::string cell = index < cells.size() ? cells[index] : std::string();
        if (cell.empty() || cell == kNotGiven) {
            error(where + ": " + classKey_[k] + " is missing (a column of the class key)");
            return false;
        }
        // The class is the key's values joined by '/': one holding it would be another class's name.
        if (classPlaces_.size() > 1 && cell.find(kClassJoint) != std::string::npos) {
            error(where + ": " + classKey_[k] + " '" + TableCells::shown(cell) + "' holds a '" + kClassJoint +
                  "', which joins the columns of the class key");
            return false;
        }
        if (!tabFree(cell, classKey_[k], where)) {
            return false;
        }
        productClass += (k == 0 ? "" : kClassJoint) + cell;
    }
    return true;
}

void MillLog::checkSlip(const std::vector<double>& values, const std::string& where) {
    const double rollSpeed = values[kRollSpeed];
    const double exitSpeed = values[kExitSpeed];
    for (const int c : {kRollSpeed, kExitSpeed}) {
        if (!std::isnan(values[c]) && !(values[c] > 0.0)) {
            error(where + ": " + kColumns[c].name + " must be positive (m/s)");
        }
    }
    if (std::isnan(values[kSlip]) && std::isnan(rollSpeed) != std::isnan(exitSpeed)) {
        error(where + ": a forward slip needs both Roll_surface_speed and Exit_speed, or Forward_slip");
    }
    const double slip = std::isnan(values[kSlip]) ? (exitSpeed / rollSpeed - 1.0) * kPercent : values[kSlip];
    if (std::isfinite(slip) && !(slip > kLowestSlip && slip < kHighestSlip)) {
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.4g", slip);
        const bool fromSpeeds = std::isnan(values[kSlip]);
        error(where + ": " +
              (fromSpeeds ? "the forward slip from Exit_speed and Roll_surface_speed, " : "Forward_slip ") +
              shown + (fromSpeeds ? " %," : " %") + " is no slip of a pass (one lies between -50 and 100 %)");
    }
}

void MillLog::addToCoil(const std::string& id, const StandPass& pass, const std::string& where) {
    if (coils_.empty() || coils_.back().id != id) {
        for (const Coil& earlier : coils_) {
            if (earlier.id == id) {
                error(where + ": the coil's rows do not follow one another (it had rows from line " +
                      std::to_string(earlier.line) + ", then other coils)");
                return;
            }
        }
        coils_.push_back({id, line_, {}});
    }
    Coil& coil = coils_.back();
    for (const StandPass& other : coil.stands) {
        if (other.stand == pass.stand) {
            error(where + ": the stand has two rows in the coil");
            return;
        }
    }
    if (!coil.stands.empty() && coil.stands.front().productClass != pass.productClass) {
        error(where + ": the class " + TableCells::shown(pass.productClass) + " is not the coil's (" +
              TableCells::shown(coil.stands.front().productClass) + ")");
    }
    coil.stands.push_back(pass);
}

} // namespace rollbite
